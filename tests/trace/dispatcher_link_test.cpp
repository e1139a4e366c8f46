// A tracing client over the real socket: a dispatcher that serves, one that
// is absent, refuses, never answers or dies, and one the client starts.
#include "trace/dispatcher_link.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <mutex>
#include <optional>

#include "support/temp_files.h"
#include "support/trace_processes.h"
#include "common/command_line.h"
#include "trace/trace_client.h"

namespace kw {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::TempFolder;

class DispatcherLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dispatcher_.OnRecord = [this](const TraceRecord& record) {
      const std::lock_guard lock(mutex_);
      received_.push_back(std::to_string(record.Type) + " " + record.Text);
      return record.Type == kTraceRegister ? registrationAnswer_ : 1;
    };
  }
  void Listen() { ASSERT_TRUE(dispatcher_.Listen(socket_)) << dispatcher_.Error(); }
  Strings Received() {
    const std::lock_guard lock(mutex_);
    return received_;
  }
  // A client whose link knows only this socket, log and command line.
  std::unique_ptr<TTraceClientEx> Client(std::string commandLine = "",
                                         std::chrono::milliseconds answer = 2000ms, std::string socket = "",
                                         std::string log = "") {
    SocketDispatcherLink::Options options;
    options.SocketPath = socket.empty() ? socket_ : socket;
    options.LogPath = log.empty() ? folder_.File("trace.log") : log;
    options.CommandLine = commandLine.empty() ? folder_.File("no such dispatcher") : commandLine;
    options.AnswerTimeout = answer;
    auto client = std::make_unique<TTraceClientEx>();
    client->SetLink(std::make_unique<SocketDispatcherLink>(options));
    return client;
  }
  // A client that starts the dispatcher program.
  std::unique_ptr<TTraceClientEx> StartingClient(const std::string& socket, const std::string& log = "") {
    return Client(QuoteArgument(KW_TRACE_PROGRAM) + " --socket " + QuoteArgument(socket), 2000ms, socket, log);
  }
  static void TraceARun(TTraceClientEx& client) {
    const TTraceMethodHandle trace = client.TraceMethod("btRunClick");
    client.SendIntegerValue("Error Count", 2);
  }

  TempFolder folder_;
  const std::string socket_ = folder_.File("trace.sock");
  TraceDispatcher dispatcher_;
  std::mutex mutex_;
  Strings received_;
  int32_t registrationAnswer_ = 1;
};

// A refused registration is passed on as the dispatcher answered it. A
// dispatcher that dies switches tracing off, unless another comes.
TEST_F(DispatcherLinkTest, RecordsReachARunningDispatcherInOrderUntilTheClientUnregistersOrItDies) {
  Listen();
  auto running = std::make_unique<test::RunningDispatcher>(dispatcher_);
  {
    const auto client = Client();
    TraceARun(*client);
    client->SendStringValue("ErlistText", std::string(3 << 20, 'x'));  // larger than any socket buffer
    EXPECT_TRUE(client->Enabled);
  }
  const Strings expected = {"41 Viewer", "9 btRunClick", "0 Error Count = 2", "10 btRunClick",
                            "0 ErlistText = '" + std::string(3 << 20, 'x') + "'", "42 "};
  EXPECT_TRUE(test::Eventually([&] { return Received().size() == expected.size(); }));
  EXPECT_EQ(Received(), expected);

  registrationAnswer_ = 0;
  const auto refused = Client();
  TraceARun(*refused);
  EXPECT_FALSE(refused->Enabled);
  EXPECT_EQ(Received().back(), "41 Viewer");
  registrationAnswer_ = 1;

  const auto lasting = Client();
  const auto dropped = Client();
  lasting->SendMsg(kTraceInfo, "before");
  dropped->SendMsg(kTraceInfo, "before");
  running.reset();
  dispatcher_.Close();

  dropped->SendMsg(kTraceInfo, "after");
  EXPECT_FALSE(dropped->Enabled);

  TraceDispatcher second;
  ASSERT_TRUE(second.Listen(socket_)) << second.Error();
  second.OnRecord = dispatcher_.OnRecord;
  test::RunningDispatcher runningSecond(second);
  lasting->SendMsg(kTraceInfo, "after");
  EXPECT_TRUE(lasting->Enabled);
  const Strings all = Received();
  EXPECT_EQ(Strings(all.end() - 6, all.end()),
            (Strings{"41 Viewer", "0 before", "41 Viewer", "0 before", "41 Viewer", "0 after"}));
}

// No dispatcher, none that can be started, and one that never answers
// (listening but never accepting: a connection succeeds and nothing answers).
TEST_F(DispatcherLinkTest, NoDispatcherThatAnswersSwitchesTracingOff) {
  const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  ASSERT_TRUE(MakeSocketAddress(socket_, address));
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent, 4), 0);
  const std::string none = folder_.File("none.sock"), tooLong = "true " + std::string(260, 'a');
  const std::pair<std::string, std::string> cases[] = {
      {"", socket_}, {"", none}, {"true", none}, {tooLong, none}};
  for (const auto& [commandLine, socket] : cases) {
    const auto client = Client(commandLine, 50ms, socket);
    TraceARun(*client);
    EXPECT_FALSE(client->Enabled) << commandLine.substr(0, 40) << " " << socket;
  }
  ::close(silent);
}

TEST_F(DispatcherLinkTest, AStartedDispatcherLogsTheRecordsAndEndsWithItsLastClient) {
  // Its socket in a folder whose name a shell would misread.
  const std::string odd = folder_.File("a b'c\"$(x);&");
  ASSERT_EQ(::mkdir(odd.c_str(), 0700), 0);
  const std::string socket = odd + "/trace.sock";
  // The log's folders are made, and an earlier dispatcher's lines stay.
  const std::string log = odd + "/state/kempwell/trace.log";
  auto earlier = StartingClient(socket + "2", log);
  earlier->SendMsg(kTraceInfo, "earlier");
  earlier.reset();
  auto client = StartingClient(socket, log);
  TraceARun(*client);
  EXPECT_TRUE(client->Enabled);
  client.reset();
  for (const std::string& s : {socket, socket + "2"})
    EXPECT_TRUE(test::Eventually([&] { return TempFolder::Mode(s) == 0; })) << "a dispatcher did not end";
  EXPECT_EQ(TempFolder::Mode(odd + "/state/kempwell"), 0700u);
  const std::string lines = TempFolder::Read(log);
  for (const char* part : {"earlier", "Register", "Enter", "btRunClick", "Error Count = 2", "Exit", "Unregister"})
    EXPECT_NE(lines.find(part), std::string::npos) << part << " missing from:\n" << lines;
}

TEST_F(DispatcherLinkTest, AStartedDispatcherThatDiesIsNotStartedAgain) {
  const auto client = StartingClient(socket_);
  client->SendMsg(kTraceInfo, "first");
  ASSERT_TRUE(client->Enabled);
  // The dispatcher's process, as the socket's other end tells it.
  sockaddr_un address;
  ASSERT_TRUE(MakeSocketAddress(socket_, address));
  const auto connectedPeer = [&]() -> std::optional<pid_t> {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ucred peer{};
    socklen_t size = sizeof peer;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                           ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
    ::close(fd);
    return connected ? std::optional<pid_t>(peer.pid) : std::nullopt;
  };
  const std::optional<pid_t> dispatcher = connectedPeer();
  ASSERT_TRUE(dispatcher);
  ASSERT_EQ(::kill(*dispatcher, SIGKILL), 0);
  const auto listening = [&] { return connectedPeer().has_value(); };
  ASSERT_TRUE(test::Eventually([&] { return !listening(); }));

  client->SendMsg(kTraceInfo, "second");
  EXPECT_FALSE(client->Enabled);
  EXPECT_NE(::kill(*dispatcher, 0), 0) << "the dead dispatcher was left a zombie";
  EXPECT_FALSE(listening()) << "a dispatcher was started again";
}

}  // namespace
}  // namespace kw
