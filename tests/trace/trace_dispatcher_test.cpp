// The dispatcher against raw clients, and the kempwell-trace program as a
// whole. Every wait is bounded, so a fault fails a test instead of hanging it.
#include "trace/trace_dispatcher.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <stdexcept>

#include "support/temp_files.h"
#include "support/trace_processes.h"
#include "trace/trace_channel.h"
#include "trace/trace_view_line.h"

namespace kw {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

using test::Eventually;

// Every read waits at most kTraceWait.
class RawClient {
 public:
  explicit RawClient(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const timeval wait{static_cast<time_t>(test::kTraceWait.count() / 1000), 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_un address;
    connected = MakeSocketAddress(path, address) &&
                ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void Send(std::string_view bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // Sends the frame, if any, and gives the answer: nothing when the
  // dispatcher closed the connection or kept silent.
  std::optional<int32_t> Exchange(std::string_view frame = {}) {
    Send(frame);
    char answer[kTraceAnswerSize];
    if (::recv(fd_, answer, sizeof answer, MSG_WAITALL) != sizeof answer) return std::nullopt;
    return ReadTraceAnswer({answer, sizeof answer});
  }
  bool ClosedByDispatcher() {
    char byte;
    return ::recv(fd_, &byte, 1, 0) == 0;
  }

  bool connected = false;

 private:
  int fd_;
};

TraceRecord Record(int32_t type, std::string text) {
  return {.Type = type, .Stamp = {37000123, 739023}, .TimeZoneBias = -120, .ProcessId = 4711, .ThreadId = 12,
          .InstanceId = "{0C5A4B4E-1F2D-4B7A-9C3E-5D6F7A8B9C0D}", .ComputerName = "HOST",
          .ApplicationName = "Kempwell", .Category = "Viewer", .CategoryColor = 0xFFEEDD, .TypeName = "TForm1",
          .Text = std::move(text), .Details = "line 1\r\nline 2\xE9"};
}

std::string Frame(const TraceRecord& record) {
  const std::string bytes = BuildTraceRecord(record);
  return TraceFrameHeader(static_cast<uint32_t>(record.Type), static_cast<uint32_t>(bytes.size())) + bytes;
}

using Running = test::RunningDispatcher;

class TraceDispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dispatcher_.OnRecord = [this](const TraceRecord& record) {
      std::lock_guard lock(mutex_);
      received_.push_back(record);
      if (answer_ == kThrows) throw std::runtime_error("the handler failed");
      return answer_.load();
    };
    ASSERT_TRUE(dispatcher_.Listen(path_)) << dispatcher_.Error();
  }
  std::vector<TraceRecord> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }

  TempFolder folder_;
  const std::string path_ = folder_.File("trace.sock");
  TraceDispatcher dispatcher_;
  std::mutex mutex_;
  std::vector<TraceRecord> received_;
  std::atomic<int32_t> answer_ = 1;
  static constexpr int32_t kThrows = 99;
};

// Malformed frames and a handler that throws get the record refused, and the
// connection carries on.
TEST_F(TraceDispatcherTest, EachFrameIsAnsweredWithTheHandlersResultOrZero) {
  Running running(dispatcher_);
  RawClient client(path_);
  const TraceRecord sent = Record(kTraceEnterMethod, "btRunClick");
  const std::string info = BuildTraceRecord(Record(kTraceInfo, "x"));
  const auto size = static_cast<uint32_t>(info.size());
  const struct {
    std::string frame;
    int32_t handlerAnswer, answer;
  } exchanges[] = {
      {Frame(sent), 1, 1},
      {Frame(Record(kTraceInfo, "second")), -7, -7},
      {Frame(Record(kTraceInfo, "third")), kThrows, 0},
      {TraceFrameHeader(kTraceError, size) + info, 1, 0},  // tag disagrees
      {TraceFrameHeader(kTraceInfo, size + 1) + info + "!", 1, 0},
      {TraceFrameHeader(kTraceInfo, 5) + "short", 1, 0},
      {Frame(Record(kTraceInfo, "last")), 1, 1},
  };
  for (const auto& exchange : exchanges) {
    answer_ = exchange.handlerAnswer;
    EXPECT_EQ(client.Exchange(exchange.frame), exchange.answer) << &exchange - exchanges;
  }
  const std::vector<TraceRecord> received = Received();
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(BuildTraceRecord(received[0]), BuildTraceRecord(sent));
  EXPECT_EQ(received[3].Text, "last");
}

TEST_F(TraceDispatcherTest, NoClientHoldsUpOrHarmsTheOthers) {
  Running running(dispatcher_);
  RawClient slow(path_), oversized(path_), vanishing(path_), good(path_);
  const std::string frame = Frame(Record(kTraceWarning, std::string(100000, 's')));
  slow.Send(std::string_view(frame).substr(0, 50000));
  EXPECT_EQ(good.Exchange(Frame(Record(kTraceInfo, "quick"))), 1);
  oversized.Send(TraceFrameHeader(kTraceInfo, kMaxTraceRecordSize + 1));
  EXPECT_EQ(oversized.Exchange(), 0);
  EXPECT_TRUE(oversized.ClosedByDispatcher());
  // Its answer goes to a closed socket, which must not raise SIGPIPE here.
  vanishing.Send(Frame(Record(kTraceInfo, "gone")));
  vanishing.Close();
  EXPECT_TRUE(Eventually([&] { return Received().size() == 2; }));
  slow.Send(std::string_view(frame).substr(50000));
  EXPECT_EQ(slow.Exchange(), 1);
  EXPECT_EQ(good.Exchange(Frame(Record(kTraceInfo, "still served"))), 1);
  ASSERT_EQ(Received().size(), 4u);
  EXPECT_EQ(Received()[2].Text, std::string(100000, 's'));
}

TEST_F(TraceDispatcherTest, ListenTakesOnlyAFreeOrStalePathAndCloseRemovesOnlyItsOwnFile) {
  EXPECT_EQ(TempFolder::Mode(path_), 0600u);
  TraceDispatcher other;
  EXPECT_FALSE(other.Listen(path_));
  EXPECT_EQ(other.Error(), "A trace dispatcher is already listening on " + path_);
  const std::string plain = folder_.Write("plain", "data"), tooLong = folder_.File(std::string(120, 'n'));
  EXPECT_FALSE(other.Listen(plain));
  EXPECT_EQ(TempFolder::Read(plain), "data");
  EXPECT_FALSE(other.Listen(tooLong));
  EXPECT_NE(other.Error().find(tooLong), std::string::npos) << other.Error();

  // Bound and closed without removing the file, as a crashed dispatcher leaves it.
  const std::string stale = folder_.File("stale.sock");
  sockaddr_un address;
  ASSERT_TRUE(MakeSocketAddress(stale, address));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  ASSERT_TRUE(other.Listen(stale)) << other.Error();
  Running running(other);
  EXPECT_EQ(RawClient(stale).Exchange(Frame(Record(kTraceInfo, "x"))), 1);

  dispatcher_.Close();
  EXPECT_EQ(TempFolder::Mode(path_), 0u);
  ASSERT_TRUE(dispatcher_.Listen(path_));
  ::unlink(path_.c_str());
  folder_.Write("trace.sock", "someone else's");
  dispatcher_.Close();
  EXPECT_EQ(TempFolder::Read(path_), "someone else's");
}

// On demand, the dispatcher serves while any client stays and ends once the
// last has gone, or when none came. Clients that keep a place without
// sending lose it; a quiet client whose frames are all answered keeps it.
TEST_F(TraceDispatcherTest, OnDemandEndsOnceTheLastClientHasGoneOrNoneCame) {
  dispatcher_.OnDemand = true;
  dispatcher_.SilentClientTimeout = 50ms;
  {
    Running running(dispatcher_);
    RawClient first(path_), quiet(path_);
    EXPECT_EQ(first.Exchange(Frame(Record(kTraceRegister, "a"))), 1);
    EXPECT_EQ(quiet.Exchange(Frame(Record(kTraceRegister, "b"))), 1);
    RawClient silent(path_), halfSent(path_);
    halfSent.Send(Frame(Record(kTraceInfo, "cut")).substr(0, 20));
    EXPECT_TRUE(silent.ClosedByDispatcher());
    EXPECT_TRUE(halfSent.ClosedByDispatcher());
    first.Close();
    // Twice: the first may be served in the same turn as the closing.
    for (const char* text : {"still served", "and again"})
      EXPECT_EQ(quiet.Exchange(Frame(Record(kTraceInfo, text))), 1) << text;
    quiet.Close();
    EXPECT_TRUE(running.EndsWithin(test::kTraceWait));
  }
  TraceDispatcher unused;
  ASSERT_TRUE(unused.Listen(folder_.File("unused.sock")));
  unused.OnDemand = true;
  unused.FirstClientTimeout = 50ms;
  EXPECT_TRUE(Running(unused).EndsWithin(test::kTraceWait));
}

TEST(KempwellTraceProgram, PrintsAndAnswersEachRecordAndLeavesNoSocketOnSigterm) {
  TempFolder folder;
  const std::string socket = folder.File("trace.sock"), out = folder.File("out.txt");
  test::TraceProgram program({"--socket", socket, "--refuse"}, out, folder.File("err.txt"));
  ASSERT_TRUE(program.Started());
  std::unique_ptr<RawClient> client;
  EXPECT_TRUE(Eventually([&] { return (client = std::make_unique<RawClient>(socket))->connected; }));
  const TraceRecord registration = Record(kTraceRegister, "Viewer"), info = Record(kTraceInfo, "h\xE9llo\n");
  EXPECT_EQ(client->Exchange(Frame(registration)), 0);
  EXPECT_EQ(client->Exchange(Frame(info)), 1);
  const std::string expected = FormatTraceLine(registration) + "\n" + FormatTraceLine(info) + "\n";
  EXPECT_TRUE(Eventually([&] { return TempFolder::Read(out) == expected; })) << TempFolder::Read(out);

  EXPECT_EQ(test::TraceProgram({"--socket", socket}, folder.File("out2.txt"), folder.File("err2.txt")).ExitCode(), 1);
  EXPECT_NE(TempFolder::Read(folder.File("err2.txt")).find("already listening"), std::string::npos);

  program.Signal(SIGTERM);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(TempFolder::Mode(socket), 0u);
}

}  // namespace
}  // namespace kw
