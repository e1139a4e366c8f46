// The dispatcher against raw clients on a socket of its own, and the
// kempwell-trace program as a whole. Every wait is bounded, so a fault
// fails a test instead of hanging it.
#include "trace/trace_dispatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "support/temp_files.h"
#include "trace/trace_channel.h"
#include "trace/trace_view_line.h"

extern char** environ;

namespace kw {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

constexpr int kWaitMs = 5000;

// Tries every 10 ms until it holds or the time is up.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(kWaitMs)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

class RawClient {
 public:
  explicit RawClient(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_un address;
    connected_ = MakeSocketAddress(path, address) &&
                 ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return connected_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }
  // Nothing when the dispatcher closed the connection or kept silent.
  std::optional<int32_t> Answer() {
    std::string answer;
    if (!Read(answer, kTraceAnswerSize)) return std::nullopt;
    return ReadTraceAnswer(answer);
  }
  std::optional<int32_t> Exchange(std::string_view frame) {
    Send(frame);
    return Answer();
  }
  bool ClosedByDispatcher() {
    std::string rest;
    return !Read(rest, 1) && rest.empty() && eof_;
  }

 private:
  bool Read(std::string& into, size_t count) {
    while (into.size() < count) {
      pollfd fd{fd_, POLLIN, 0};
      if (::poll(&fd, 1, kWaitMs) != 1) return false;
      char buffer[16];
      const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, count - into.size()), 0);
      eof_ = n == 0;
      if (n <= 0) return false;
      into.append(buffer, static_cast<size_t>(n));
    }
    return true;
  }

  int fd_;
  bool connected_ = false;
  bool eof_ = false;
};

TraceRecord Record(int32_t type, std::string text) {
  TraceRecord record;
  record.Type = type;
  record.Stamp = {37000123, TraceDateOf(2024, 5, 17)};
  record.TimeZoneBias = -120;
  record.ProcessId = 4711;
  record.ThreadId = 4712;
  record.InstanceId = "{0C5A4B4E-1F2D-4B7A-9C3E-5D6F7A8B9C0D}";
  record.ComputerName = "HOST";
  record.ApplicationName = "Kempwell";
  record.Category = "Viewer";
  record.CategoryColor = 0xFFEEDD;
  record.TypeName = "TForm1";
  record.Text = std::move(text);
  record.Details = "line 1\r\nline 2\xE9";
  return record;
}

std::string Frame(const TraceRecord& record) {
  const std::string bytes = BuildTraceRecord(record);
  return TraceFrameHeader(static_cast<uint32_t>(record.Type), static_cast<uint32_t>(bytes.size())) + bytes;
}

// Run on a thread of its own; stopped and joined when it goes.
class Running {
 public:
  explicit Running(TraceDispatcher& dispatcher)
      : dispatcher_(dispatcher), ended_(done_.get_future()), thread_([this] {
          dispatcher_.Run();
          done_.set_value();
        }) {}
  ~Running() {
    dispatcher_.Stop();
    thread_.join();
  }
  bool EndsWithin(std::chrono::milliseconds limit) { return ended_.wait_for(limit) == std::future_status::ready; }

 private:
  TraceDispatcher& dispatcher_;
  std::promise<void> done_;
  std::future<void> ended_;
  std::thread thread_;
};

class TraceDispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dispatcher_.OnRecord = [this](const TraceRecord& record) {
      std::lock_guard lock(mutex_);
      received_.push_back(record);
      return answer_;
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
  int32_t answer_ = 1;
};

TEST_F(TraceDispatcherTest, RecordArrivesIntactAndIsAnsweredWithTheHandlersResult) {
  Running running(dispatcher_);
  RawClient client(path_);
  const TraceRecord sent = Record(kTraceEnterMethod, "btRunClick");
  EXPECT_EQ(client.Exchange(Frame(sent)), 1);
  answer_ = -7;
  EXPECT_EQ(client.Exchange(Frame(Record(kTraceInfo, "second"))), -7);
  const std::vector<TraceRecord> received = Received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(BuildTraceRecord(received[0]), BuildTraceRecord(sent));
  EXPECT_EQ(received[0].Details, sent.Details);
}

TEST_F(TraceDispatcherTest, MalformedFramesGetZeroAndTheConnectionCarriesOn) {
  Running running(dispatcher_);
  RawClient client(path_);
  const std::string info = BuildTraceRecord(Record(kTraceInfo, "x"));
  const auto size = static_cast<uint32_t>(info.size());
  EXPECT_EQ(client.Exchange(TraceFrameHeader(kTraceError, size) + info), 0) << "tag disagrees";
  EXPECT_EQ(client.Exchange(TraceFrameHeader(kTraceInfo, size + 1) + info + "!"), 0) << "lengths disagree";
  EXPECT_EQ(client.Exchange(TraceFrameHeader(kTraceInfo, 5) + "short"), 0);
  EXPECT_EQ(client.Exchange(TraceFrameHeader(kTraceInfo, 0)), 0);
  EXPECT_EQ(client.Exchange(Frame(Record(kTraceInfo, "good"))), 1);
  const std::vector<TraceRecord> received = Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Text, "good");
}

TEST_F(TraceDispatcherTest, HalfSentFrameHoldsUpNoOtherClient) {
  Running running(dispatcher_);
  RawClient slow(path_), quick(path_);
  const std::string frame = Frame(Record(kTraceWarning, std::string(100000, 's')));
  slow.Send(std::string_view(frame).substr(0, 50000));
  EXPECT_EQ(quick.Exchange(Frame(Record(kTraceInfo, "quick"))), 1);
  slow.Send(std::string_view(frame).substr(50000));
  EXPECT_EQ(slow.Answer(), 1);
  EXPECT_EQ(quick.Exchange(Frame(Record(kTraceInfo, "again"))), 1);
  const std::vector<TraceRecord> received = Received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].Text, "quick");
  EXPECT_EQ(received[1].Text, std::string(100000, 's'));
}

TEST_F(TraceDispatcherTest, OversizedOrVanishingClientsAreDroppedWithoutHarmToOthers) {
  Running running(dispatcher_);
  RawClient oversized(path_), vanishing(path_), good(path_);
  oversized.Send(TraceFrameHeader(kTraceInfo, kMaxTraceRecordSize + 1));
  EXPECT_EQ(oversized.Answer(), 0);
  EXPECT_TRUE(oversized.ClosedByDispatcher());
  // Its answer goes to a closed socket, which must not raise SIGPIPE here.
  vanishing.Send(Frame(Record(kTraceInfo, "gone")));
  vanishing.Close();
  EXPECT_TRUE(Eventually([&] { return Received().size() == 1; }));
  EXPECT_EQ(good.Exchange(Frame(Record(kTraceInfo, "still served"))), 1);
}

TEST_F(TraceDispatcherTest, OnlyOneListensOnAPathAndACloseRemovesOnlyItsOwnFile) {
  EXPECT_EQ(TempFolder::Mode(path_), 0600u);
  TraceDispatcher second;
  EXPECT_FALSE(second.Listen(path_));
  EXPECT_EQ(second.Error(), "A trace dispatcher is already listening on " + path_);
  {
    Running running(dispatcher_);
    EXPECT_EQ(RawClient(path_).Exchange(Frame(Record(kTraceInfo, "first still there"))), 1);
  }
  dispatcher_.Close();
  EXPECT_EQ(TempFolder::Mode(path_), 0u);

  ASSERT_TRUE(dispatcher_.Listen(path_));
  ::unlink(path_.c_str());
  folder_.Write("trace.sock", "someone else's");
  dispatcher_.Close();
  EXPECT_EQ(TempFolder::Read(path_), "someone else's");
}

TEST(TraceDispatcherListen, ReplacesAStaleSocketButRefusesOtherFilesAndLongPaths) {
  TempFolder folder;
  const std::string path = folder.File("stale.sock");
  {
    // Bound and closed without removing the file, like a dispatcher that crashed.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address;
    ASSERT_TRUE(MakeSocketAddress(path, address));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  }
  TraceDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.Listen(path)) << dispatcher.Error();
  EXPECT_EQ(TempFolder::Mode(path), 0600u);
  {
    Running running(dispatcher);
    EXPECT_EQ(RawClient(path).Exchange(Frame(Record(kTraceInfo, "x"))), 1);
  }

  const std::string plain = folder.Write("plain", "data");
  EXPECT_FALSE(dispatcher.Listen(plain));
  EXPECT_NE(dispatcher.Error().find(plain), std::string::npos) << dispatcher.Error();
  EXPECT_EQ(TempFolder::Read(plain), "data");

  const std::string tooLong = folder.File(std::string(120, 'n'));
  EXPECT_FALSE(dispatcher.Listen(tooLong));
  EXPECT_NE(dispatcher.Error().find(tooLong), std::string::npos) << dispatcher.Error();
}

TEST_F(TraceDispatcherTest, OnDemandEndsOnceTheLastClientHasGoneOrNoneCame) {
  dispatcher_.OnDemand = true;
  {
    Running running(dispatcher_);
    RawClient first(path_), second(path_);
    EXPECT_EQ(first.Exchange(Frame(Record(kTraceRegister, "a"))), 1);
    EXPECT_EQ(second.Exchange(Frame(Record(kTraceRegister, "b"))), 1);
    first.Close();
    EXPECT_FALSE(running.EndsWithin(200ms));
    second.Close();
    EXPECT_TRUE(running.EndsWithin(std::chrono::milliseconds(kWaitMs)));
  }
  TraceDispatcher idle;
  ASSERT_TRUE(idle.Listen(folder_.File("idle.sock")));
  idle.OnDemand = true;
  idle.FirstClientTimeout = 50ms;
  Running running(idle);
  EXPECT_TRUE(running.EndsWithin(std::chrono::milliseconds(kWaitMs)));
}

// The program as started: standard output to a file, never through a shell.
class Program {
 public:
  Program(std::vector<std::string> args, const std::string& out, const std::string& err) {
    args.insert(args.begin(), KW_TRACE_PROGRAM);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> env;
    const std::string onDemand = std::string(kDispatcherOnDemandVariable) + "=";
    for (char** entry = environ; *entry; ++entry) {
      if (!std::string_view(*entry).starts_with(onDemand)) env.push_back(*entry);
    }
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) pid_ = -1;
    ::posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) { ::kill(pid_, signal); }
  // Its exit code, or -1 when it did not exit normally within the time.
  int ExitCode() {
    int status = 0;
    if (!Eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

TEST(KempwellTraceProgram, PrintsAndAnswersEachRecordAndLeavesNoSocketOnSigterm) {
  TempFolder folder;
  const std::string socket = folder.File("trace.sock"), out = folder.File("out.txt");
  Program program({"--socket", socket, "--refuse"}, out, folder.File("err.txt"));
  ASSERT_TRUE(program.Started());
  std::unique_ptr<RawClient> client;
  ASSERT_TRUE(Eventually([&] {
    client = std::make_unique<RawClient>(socket);
    return client->Connected();
  }));
  const TraceRecord registration = Record(kTraceRegister, "Viewer"), info = Record(kTraceInfo, "h\xE9llo\n");
  EXPECT_EQ(client->Exchange(Frame(registration)), 0);
  EXPECT_EQ(client->Exchange(Frame(info)), 1);
  const std::string expected = FormatTraceLine(registration) + "\n" + FormatTraceLine(info) + "\n";
  EXPECT_TRUE(Eventually([&] { return TempFolder::Read(out) == expected; })) << TempFolder::Read(out);

  Program second({"--socket", socket}, folder.File("out2.txt"), folder.File("err2.txt"));
  EXPECT_EQ(second.ExitCode(), 1);
  EXPECT_NE(TempFolder::Read(folder.File("err2.txt")).find("already listening"), std::string::npos);

  program.Signal(SIGTERM);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(TempFolder::Mode(socket), 0u);
}

}  // namespace
}  // namespace kw
