#include "tidy/console_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "support/temp_files.h"
#include "common/command_line.h"

namespace kw {
namespace {

std::string ChildLine(std::initializer_list<std::string_view> args) {
  std::string line = QuoteArgument(KW_FAKE_CHILD);
  for (const std::string_view arg : args) line.append(" ").append(QuoteArgument(arg));
  return line;
}

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
  // Over the limit the rest must still be read for the child to end.
  const struct {
    std::string line;
    bool merge;
    size_t limit;
    std::string out, err;
  } cases[] = {
      {ChildLine({"flood", "3000000"}), false, 1000, Pattern(1000), ""},
      {ChildLine({"flood", "5000", "2"}), false, 1500, "", Pattern(1500)},
      {ChildLine({"both"}), true, 100, "o0\ne0\no1\ne1\no2\ne2\no3\ne3\no4\ne4\n", ""},
  };
  for (const auto& c : cases) {
    TRedirectedConsole runner(c.line);
    runner.MergeStdErr = c.merge;
    runner.CollectLimit = c.limit;
    runner.Run();
    EXPECT_TRUE(runner.StdOutText == c.out) << c.line << ": " << runner.StdOutText.size() << " bytes";
    EXPECT_EQ(runner.StdErrText, c.err) << c.line;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunner, HowTheChildEndedIsKnownAtItsOneTerminate) {
  // With SIGCHLD ignored the kernel reaps the child, and its status is lost.
  // A grandchild that keeps the output pipes open does not hold the run.
  const std::tuple<std::string, int, bool> cases[] = {
      {"exit", 3, false}, {"exit", -1, true}, {"grandchild", 0, false}};
  for (const auto& [mode, status, ignoreChildEnd] : cases) {
    if (ignoreChildEnd) ::signal(SIGCHLD, SIG_IGN);
    TRedirectedConsole runner(ChildLine({mode, "3"}));
    int terminated = 0;
    runner.OnTerminate = [&](TRedirectedConsole& sender) {
      ++terminated;
      EXPECT_FALSE(sender.Running());
      EXPECT_EQ(sender.ExitStatus(), status) << mode;
      EXPECT_EQ(sender.EndSignal(), 0);
    };
    runner.Run();
    ::signal(SIGCHLD, SIG_DFL);
    if (runner.StdOutText.starts_with("grandchild ")) ::kill(std::stoi(runner.StdOutText.substr(11)), SIGKILL);
    EXPECT_EQ(terminated, 1) << mode;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunner, AFailedStartCallsNoEventAndGivesTheReason) {
  const test::TempFolder dir;
  const std::string plain = dir.Write("plain", "#!/bin/sh\n");
  ::chmod(plain.c_str(), 0644);
  for (const auto& [line, error] : {std::pair{std::string("kw-no-such-program"), ENOENT},
                                    std::pair{QuoteArgument(plain), EACCES}}) {
    TRedirectedConsole runner(line);
    int calls = 0;
    runner.OnStdOut = runner.OnStdErr = [&](TRedirectedConsole&, std::string_view) { ++calls; };
    runner.OnIdle = runner.OnTerminate = [&](TRedirectedConsole&) { ++calls; };
    runner.Run();
    EXPECT_EQ(runner.StartError, error) << line;
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(calls, 0);
  }
}

TEST(ConsoleRunner, AChildIgnoringTermIsKilledAndReaped) {
  for (const bool blocking : {true, false}) {
    SCOPED_TRACE(blocking ? "Stop" : "RequestStop");
    TRedirectedConsole runner(ChildLine({"ignore-term"}));
    runner.TerminateTimeout = 200;
    bool runningAfterStop = !blocking;
    int idle = 0, idleAtRequest = -1, terminated = 0;
    runner.OnStdOut = [&](TRedirectedConsole& sender, std::string_view text) {
      if (text != "ready\n") return;
      idleAtRequest = idle;
      blocking ? sender.Stop() : sender.RequestStop();
      runningAfterStop = sender.Running();
    };
    // A stop button pressed again and again must not put the kill off.
    runner.OnIdle = [&](TRedirectedConsole& sender) {
      ++idle;
      if (idleAtRequest >= 0) sender.RequestStop();
    };
    runner.OnTerminate = [&](TRedirectedConsole&) { ++terminated; };
    runner.Run();
    EXPECT_EQ(runningAfterStop, !blocking);
    EXPECT_EQ(runner.StopRequested(), !blocking);
    EXPECT_TRUE(blocking || idle > idleAtRequest) << "killed with no OnIdle between";
    EXPECT_EQ(runner.EndSignal(), SIGKILL);
    EXPECT_EQ(runner.ExitStatus(), -1);
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(NoChildLeft());
  }
}

// The child's stdin stays open, so a child that reads it waits; a stop ends
// it, and a runner destroyed from its own event returns from Run at once.
TEST(ConsoleRunner, AChildReadingStdinWaitsUntilStoppedOrDestroyed) {
  for (const std::string how : {"stop", "destroy from OnIdle", "destroy from OnStdOut"}) {
    SCOPED_TRACE(how);
    auto runner = std::make_unique<TRedirectedConsole>(ChildLine({"read-stdin"}));
    TRedirectedConsole* const alive = runner.get();
    std::string received;
    int idleWhileReading = 0, terminated = 0;
    runner->OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) {
      received += chunk;
      if (how == "destroy from OnStdOut") runner.reset();
    };
    runner->OnIdle = [&](TRedirectedConsole& sender) {
      if (received != "reading\n" || ++idleWhileReading < 3) return;
      how == "stop" ? sender.RequestStop() : runner.reset();
    };
    runner->OnTerminate = [&](TRedirectedConsole&) { ++terminated; };
    alive->Run();
    EXPECT_EQ(received, "reading\n");
    EXPECT_EQ(runner == nullptr, how != "stop");
    EXPECT_EQ(terminated, how == "stop" ? 1 : 0);
    EXPECT_EQ(runner ? runner->EndSignal() : SIGTERM, SIGTERM);
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
