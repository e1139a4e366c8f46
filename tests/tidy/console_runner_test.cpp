#include "tidy/console_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <thread>

#include "support/temp_files.h"
#include "common/command_line.h"

namespace kw {
namespace {

std::string ChildLine(std::initializer_list<std::string_view> args) {
  std::string line = QuoteArgument(KW_FAKE_CHILD);
  for (const std::string_view arg : args) line.append(" ").append(QuoteArgument(arg));
  return line;
}

std::string Shell(const std::string& script) { return "/bin/sh -c " + QuoteArgument(script); }

// What fake_child writes for "flood N".
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('!' + i % 89);
  return bytes;
}

// Neither a running nor an unreaped child of this process is left.
bool NoChildLeft() {
  int status;
  return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ConsoleRunner, OutputArrivesWholeInSmallChunksOrIsCollectedUpToTheLimit) {
  TRedirectedConsole flood(ChildLine({"flood", "3000000"}));
  std::string received;
  size_t largest = 0;
  flood.OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) {
    received += chunk;
    largest = std::max(largest, chunk.size());
  };
  flood.Run();
  EXPECT_TRUE(received == Pattern(3000000)) << received.size() << " bytes";
  EXPECT_LE(largest, 1024u);
  EXPECT_EQ(flood.StdOutText, "");
  // A handler that holds the first chunk until the child has ended (without
  // reaping it), and then outlasts the runner's 10 ms drain, leaves the rest
  // of the output in the pipe at the child's end: it must be taken too.
  TRedirectedConsole slow(ChildLine({"flood", "60000"}));
  received.clear();
  slow.OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) {
    if (received.empty()) {
      siginfo_t info;
      ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    received += chunk;
  };
  slow.Run();
  EXPECT_TRUE(received == Pattern(60000)) << received.size() << " bytes";
  // Over the limit the rest must still be read for the child to end.
  const std::tuple<std::string, bool, std::string, std::string> cases[] = {
      {"1", false, Pattern(1000), ""}, {"2", false, "", Pattern(1000)}, {"2", true, Pattern(1000), ""}};
  for (const auto& [fd, merge, out, err] : cases) {
    TRedirectedConsole runner(ChildLine({"flood", "3000000", fd}));
    runner.MergeStdErr = merge;
    runner.CollectLimit = 1000;
    runner.Run();
    EXPECT_TRUE(runner.StdOutText == out && runner.StdErrText == err) << fd << merge;
  }
  EXPECT_TRUE(NoChildLeft());
}

// A child that could not start calls no event. With SIGCHLD ignored the kernel
// reaps the child, and its status is lost. A grandchild that keeps the output
// pipes open does not hold the run.
TEST(ConsoleRunner, HowTheChildEndedIsKnownAtItsOneTerminate) {
  const test::TempFolder dir;
  const std::string plain = QuoteArgument(dir.Write("plain", "#!/bin/sh\n"));
  const struct {
    std::string line;
    int status, startError;
    bool ignoreChildEnd;
  } cases[] = {{Shell("exit 3"), 3, 0, false},
               {Shell("exit 3"), -1, 0, true},
               {Shell("sleep 300 & echo grandchild $!"), 0, 0, false},
               {"kw-no-such-program", -1, ENOENT, false},
               {plain, -1, EACCES, false}};
  for (const auto& c : cases) {
    if (c.ignoreChildEnd) ::signal(SIGCHLD, SIG_IGN);
    TRedirectedConsole runner(c.line);
    int terminated = 0, others = 0;
    runner.OnStdErr = [&](TRedirectedConsole&, std::string_view) { ++others; };
    runner.OnIdle = [&](TRedirectedConsole&) { others += c.startError; };
    runner.OnTerminate = [&](TRedirectedConsole& sender) {
      ++terminated;
      EXPECT_FALSE(sender.Running());
      EXPECT_EQ(sender.ExitStatus(), c.status) << c.line;
      EXPECT_EQ(sender.EndSignal(), 0);
    };
    runner.Run();
    ::signal(SIGCHLD, SIG_DFL);
    if (runner.StdOutText.starts_with("grandchild ")) ::kill(std::stoi(runner.StdOutText.substr(11)), SIGKILL);
    EXPECT_EQ(runner.StartError, c.startError) << c.line;
    EXPECT_EQ(terminated, c.startError ? 0 : 1) << c.line;
    EXPECT_EQ(others, 0) << c.line;
  }
  EXPECT_TRUE(NoChildLeft());
}

// A stop terminates the child, and kills it when it ignores that: never with
// no OnIdle between the request and the kill, nor later for the request being
// repeated. The child's stdin stays open, so a child that reads it waits. A
// runner destroyed from its own event returns from Run at once.
TEST(ConsoleRunner, AStoppedChildIsEndedAndReaped) {
  const std::string ignoreTerm = "trap '' TERM; echo ready; sleep 300", readStdin = "echo reading; cat";
  const std::tuple<std::string, std::string, int, int> cases[] = {
      {ignoreTerm, "Stop", SIGKILL, 200},          {ignoreTerm, "RequestStop", SIGKILL, 200},
      {ignoreTerm, "RequestStop", SIGKILL, 0},     {readStdin, "RequestStop", SIGTERM, 200},
      {readStdin, "destroy from OnIdle", 0, 200},  {readStdin, "destroy from OnStdOut", 0, 200}};
  for (const auto& [script, how, signal, timeout] : cases) {
    SCOPED_TRACE(how + " " + script);
    auto runner = std::make_unique<TRedirectedConsole>(Shell(script));
    TRedirectedConsole* const alive = runner.get();
    runner->TerminateTimeout = timeout;
    bool received = false, runningAfterStop = true;
    int idleWhileWaiting = 0, idleAfterRequest = 0, terminated = 0;
    runner->OnStdOut = [&](TRedirectedConsole&, std::string_view) {
      received = true;
      if (how == "destroy from OnStdOut") runner.reset();
    };
    runner->OnIdle = [&](TRedirectedConsole& sender) {
      if (sender.StopRequested()) {
        ++idleAfterRequest;
        sender.RequestStop();
      }
      if (!received || ++idleWhileWaiting != 3) return;
      if (how == "Stop") {
        sender.Stop();
        runningAfterStop = sender.Running();
      } else {
        how == "RequestStop" ? sender.RequestStop() : runner.reset();
      }
    };
    runner->OnTerminate = [&](TRedirectedConsole&) { ++terminated; };
    alive->Run();
    EXPECT_EQ(runner == nullptr, how.starts_with("destroy"));
    EXPECT_EQ(terminated, runner ? 1 : 0);
    EXPECT_EQ(runner ? runner->EndSignal() : 0, signal);
    EXPECT_EQ(runner ? runner->ExitStatus() : -1, -1);
    EXPECT_TRUE(how != "RequestStop" || signal != SIGKILL || idleAfterRequest > 0)
        << "killed with no OnIdle between";
    EXPECT_EQ(runningAfterStop, how != "Stop");
    EXPECT_TRUE(NoChildLeft());
  }
}

// What the child finds when it starts: its three streams and no other
// descriptor, a process group of its own, the environment with the
// overrides, its arguments as they were quoted (never through a shell).
TEST(ConsoleRunner, TheChildStartsAsAskedAndNoDescriptorIsLeft) {
  std::string line = ChildLine({"describe"});
  std::string expected = "0 1 2 leader\nC\n/kw/override\nkept\n";
  for (const std::string argument : {"say \"hi\"", "a;b|c>d", "$(id)", "line\nbreak", "", "trail\\", "*", "~"}) {
    line.append(" ").append(QuoteArgument(argument, argument == "*"));
    expected += argument + '\0';
  }
  ::setenv("KW_RUNNER_KEPT", "kept", 1);
  const int inheritable = ::open("/dev/null", O_RDONLY);  // no close-on-exec, on purpose
  const auto descriptors = [] {
    std::vector<int> fds;
    for (int fd = 0; fd < 1024; ++fd) fds.push_back(::fcntl(fd, F_GETFD));
    return fds;
  };
  const std::vector<int> before = descriptors();
  {
    TRedirectedConsole runner(line);
    runner.EnvironmentOverrides = {"LC_ALL=C", "PATH=/kw/override"};
    runner.Run();
    EXPECT_EQ(runner.StdOutText, expected);
  }
  EXPECT_EQ(descriptors(), before);
  ::close(inheritable);
  ::unsetenv("KW_RUNNER_KEPT");
}

}  // namespace
}  // namespace kw
