#include "tidy/console_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
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

std::vector<int> OwnDescriptors() {
  std::vector<int> fds;
  for (int fd = 0; fd < 1024; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) fds.push_back(fd);
  }
  return fds;
}

struct Events {
  int idle = 0;
  int terminate = 0;
  bool runningAtTerminate = true;
  int exitStatus = -2, endSignal = -2;
};

void Count(TRedirectedConsole& runner, Events& events) {
  runner.OnIdle = [&](TRedirectedConsole&) { ++events.idle; };
  runner.OnTerminate = [&](TRedirectedConsole& sender) {
    ++events.terminate;
    events.runningAtTerminate = sender.Running();
    events.exitStatus = sender.ExitStatus();
    events.endSignal = sender.EndSignal();
  };
}

TEST(ConsoleRunnerOutput, ArrivesWholeAndInOrderInChunksOfAtMost1024) {
  TRedirectedConsole runner(ChildLine({"flood", "3000000"}));
  std::string received;
  size_t largest = 0;
  runner.OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) {
    received += chunk;
    largest = std::max(largest, chunk.size());
  };
  runner.Run();
  EXPECT_TRUE(received == Pattern(3000000)) << received.size() << " bytes";
  EXPECT_LE(largest, 1024u);
  EXPECT_EQ(runner.StdOutText, "");
}

TEST(ConsoleRunnerOutput, WhatThePipeHoldsWhenTheChildEndsIsAllTaken) {
  TRedirectedConsole runner(ChildLine({"flood", "60000"}));
  std::string received;
  runner.OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) {
    // Holding the first chunk until the child has ended (without reaping it)
    // leaves the rest of its output in the pipe at its end; a handler as slow
    // as the window's own outlasts the watch cycle the chunk came in.
    if (received.empty()) {
      siginfo_t info;
      ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    received += chunk;
  };
  runner.Run();
  EXPECT_TRUE(received == Pattern(60000)) << received.size() << " bytes";
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunnerOutput, IsCollectedPerStreamOrMergedUpToTheLimit) {
  const struct {
    const char* name;
    std::string line;
    bool merge;
    std::string out, err;
    size_t limit = std::numeric_limits<size_t>::max();
  } cases[] = {
      // More than the pipe holds: the rest must still be read for the child to end.
      {"output over the limit", ChildLine({"flood", "3000000"}), false, Pattern(1000), "", 1000},
      // A limit met in the second chunk.
      {"error output over the limit", ChildLine({"stderr", "5000"}), false, "", Pattern(1500), 1500},
      {"both merged, in write order", ChildLine({"both"}), true,
       "o0\ne0\no1\ne1\no2\ne2\no3\ne3\no4\ne4\n", ""},
  };
  for (const auto& c : cases) {
    TRedirectedConsole runner(c.line);
    runner.MergeStdErr = c.merge;
    runner.CollectLimit = c.limit;
    runner.Run();
    EXPECT_TRUE(runner.StdOutText == c.out) << c.name << ": " << runner.StdOutText.size() << " bytes";
    EXPECT_EQ(runner.StdErrText, c.err) << c.name;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunnerEnd, HowTheChildEndedIsKnownAtItsOneTerminate) {
  const struct {
    std::string line;
    int status, signal;
    // With SIGCHLD ignored the kernel reaps the child, and its status is lost.
    bool ignoreChildEnd = false;
  } cases[] = {
      {ChildLine({"exit"}), 0, 0},
      {ChildLine({"exit", "3"}), 3, 0},
      {ChildLine({"exit", "3"}), -1, 0, true},
      // It ends, but what it started keeps its output pipes open and sleeps on.
      {ChildLine({"grandchild"}), 0, 0},
  };
  for (const auto& c : cases) {
    if (c.ignoreChildEnd) ::signal(SIGCHLD, SIG_IGN);
    TRedirectedConsole runner(c.line);
    Events events;
    Count(runner, events);
    runner.Run();
    ::signal(SIGCHLD, SIG_DFL);
    if (runner.StdOutText.starts_with("grandchild ")) ::kill(std::stoi(runner.StdOutText.substr(11)), SIGKILL);
    EXPECT_EQ(runner.StartError, 0) << c.line;
    EXPECT_EQ(events.terminate, 1) << c.line;
    EXPECT_FALSE(events.runningAtTerminate) << c.line;
    EXPECT_EQ(events.exitStatus, c.status) << c.line;
    EXPECT_EQ(events.endSignal, c.signal) << c.line;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunnerStart, FailureCallsNoEventAndGivesTheReason) {
  const test::TempFolder dir;
  const std::string plain = dir.Write("plain", "#!/bin/sh\n");
  ::chmod(plain.c_str(), 0644);
  const struct {
    const char* name;
    std::string line;
    int error;
  } cases[] = {
      {"unknown name", "kw-no-such-program --version", ENOENT},
      {"missing path", QuoteArgument(dir.File("gone")), ENOENT},
      {"not executable", QuoteArgument(plain), EACCES},
      {"a directory", QuoteArgument(dir.Path()), EACCES},
      {"blank line", " \t", ENOENT},
  };
  for (const auto& c : cases) {
    TRedirectedConsole runner(c.line);
    runner.SearchDir = dir.Path();
    int calls = 0;
    runner.OnStdOut = runner.OnStdErr = [&](TRedirectedConsole&, std::string_view) { ++calls; };
    runner.OnIdle = runner.OnTerminate = [&](TRedirectedConsole&) { ++calls; };
    runner.Run();
    EXPECT_EQ(runner.StartError, c.error) << c.name;
    EXPECT_FALSE(runner.Running()) << c.name;
    EXPECT_EQ(calls, 0) << c.name;
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunnerStop, ChildIgnoringTermIsKilledAndReaped) {
  for (const bool blocking : {true, false}) {
    SCOPED_TRACE(blocking ? "Stop" : "RequestStop");
    TRedirectedConsole runner(ChildLine({"ignore-term"}));
    runner.TerminateTimeout = 200;
    Events events;
    Count(runner, events);
    bool runningAfterStop = !blocking;
    int idleAtRequest = -1;
    runner.OnStdOut = [&](TRedirectedConsole& sender, std::string_view text) {
      if (text != "ready\n") return;
      idleAtRequest = events.idle;
      blocking ? sender.Stop() : sender.RequestStop();
      runningAfterStop = sender.Running();
    };
    // A stop button pressed again and again must not put the kill off.
    runner.OnIdle = [&](TRedirectedConsole& sender) {
      ++events.idle;
      if (idleAtRequest >= 0) sender.RequestStop();
    };
    runner.Run();
    EXPECT_EQ(runningAfterStop, !blocking);
    EXPECT_EQ(runner.StopRequested(), !blocking);
    EXPECT_TRUE(blocking || events.idle > idleAtRequest) << "killed with no OnIdle between";
    EXPECT_EQ(events.endSignal, SIGKILL);
    EXPECT_EQ(events.exitStatus, -1);
    EXPECT_EQ(events.terminate, 1);
    EXPECT_TRUE(NoChildLeft());
  }
}

TEST(ConsoleRunnerStop, ChildReadingStdinWaitsUntilStopped) {
  TRedirectedConsole runner(ChildLine({"read-stdin"}));
  std::string received;
  int idleWhileReading = 0;
  runner.OnStdOut = [&](TRedirectedConsole&, std::string_view chunk) { received += chunk; };
  runner.OnIdle = [&](TRedirectedConsole& sender) {
    if (received == "reading\n" && ++idleWhileReading == 3) sender.RequestStop();
  };
  runner.Run();
  EXPECT_EQ(received, "reading\n");
  EXPECT_GE(idleWhileReading, 3);
  EXPECT_EQ(runner.EndSignal(), SIGTERM);
  EXPECT_TRUE(NoChildLeft());
}

TEST(ConsoleRunnerDestroy, FromItsOwnEventRunReturnsAtOnce) {
  for (const bool fromIdle : {true, false}) {
    SCOPED_TRACE(fromIdle ? "from OnIdle" : "from OnStdOut");
    auto runner = std::make_unique<TRedirectedConsole>(ChildLine({"read-stdin"}));
    int terminated = 0;
    if (fromIdle) {
      runner->OnIdle = [&](TRedirectedConsole&) { runner.reset(); };
    } else {
      runner->OnStdOut = [&](TRedirectedConsole&, std::string_view) { runner.reset(); };
    }
    runner->OnTerminate = [&](TRedirectedConsole&) { ++terminated; };
    runner->Run();
    EXPECT_EQ(runner, nullptr);
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(NoChildLeft());
  }
}

// What the child finds when it starts: its three streams and no other
// descriptor, a process group of its own, its arguments as they were quoted
// (never through a shell), the environment with the overrides.
TEST(ConsoleRunnerChild, StartsAsAskedAndLeavesNoDescriptor) {
  std::string arguments = ChildLine({"args"}), expectedArguments;
  for (const std::string argument : {"say \"hi\"", "a;b|c>d", "$(id)", "line\nbreak", "", "trail\\", "*", "~"}) {
    arguments.append(" ").append(QuoteArgument(argument, argument == "*"));
    expectedArguments += argument + '\0';
  }
  ::setenv("KW_RUNNER_KEPT", "kept", 1);
  const int inheritable = ::open("/dev/null", O_RDONLY);  // no close-on-exec, on purpose
  const std::vector<int> before = OwnDescriptors();
  const std::pair<std::string, std::string> cases[] = {
      {ChildLine({"fds"}), "0 1 2"},
      {ChildLine({"group"}), "leader"},
      {arguments, expectedArguments},
      {ChildLine({"env", "PATH"}), "/kw/override\n"},
      {ChildLine({"env", "LC_ALL"}), "C\n"},
      {ChildLine({"env", "KW_RUNNER_KEPT"}), "kept\n"},
  };
  for (const auto& [line, output] : cases) {
    TRedirectedConsole runner(line);
    runner.EnvironmentOverrides = {"LC_ALL=C", "PATH=/kw/override"};
    runner.Run();
    EXPECT_EQ(runner.StdOutText, output) << line;
  }
  EXPECT_EQ(OwnDescriptors(), before);
  ::close(inheritable);
  ::unsetenv("KW_RUNNER_KEPT");
}

}  // namespace
}  // namespace kw
