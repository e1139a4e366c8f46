// Runs one command line as a child process whose standard streams are pipes,
// watches it until it ends, hands on what it writes and can stop it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

class TRedirectedConsole {
 public:
  // Creates the three pipes; nothing runs yet.
  explicit TRedirectedConsole(std::string commandLine);
  // Stops a child that is still running, reaps it and closes the pipes. A
  // Run still on the call stack (the runner destroyed from one of its own
  // events) returns without touching the runner again.
  ~TRedirectedConsole();
  TRedirectedConsole(const TRedirectedConsole&) = delete;
  TRedirectedConsole& operator=(const TRedirectedConsole&) = delete;

  // Splits CommandLine (SplitCommandLine), finds the program (FindProgram
  // with SearchDir), starts it directly, never through a shell, in a process
  // group of its own, with no descriptor of ours but its three pipes, and
  // watches it until it has ended. It wakes on the child's end or output,
  // takes everything that is waiting on both pipes, in chunks of at most
  // 1024 bytes, and calls OnIdle about every 10 ms while the child runs, so
  // never for a child that ends sooner. When it has ended, everything still
  // in the pipes is taken, the child is reaped, Running becomes false and
  // OnTerminate is called; Run touches nothing of the runner after that
  // call. When the child cannot be started no event is called and StartError
  // holds the reason. A runner serves one run.
  void Run();
  // Ends a running child: SIGTERM to its process group, then SIGKILL when it
  // has not ended within TerminateTimeout ms; the child is reaped. It blocks
  // for up to TerminateTimeout, so it suits teardown, not a window's button.
  void Stop();
  // Asks the child to end without waiting for it, for callers inside one of
  // Run's events that must keep their window responsive: SIGTERM goes to the
  // group now, and Run, still calling OnIdle, sends SIGKILL once the child
  // outlives TerminateTimeout ms (never before one more OnIdle). The end is
  // then handled as any other, with one OnTerminate. Does nothing when no
  // child runs or a stop was already requested.
  void RequestStop();
  // Reads what the pipe holds now, at most 1024 bytes, into text (replacing
  // it) and returns the count; 0 when nothing is waiting or the pipe is closed.
  size_t ReadChunk(int pipe, std::string& text);

  bool Running() const { return running_; }
  bool StopRequested() const { return stopRequested_; }
  // How the last run's child ended, known from OnTerminate on: its exit
  // status when it exited, else -1 (a signal, no start, or reaped by someone
  // else); the signal that ended it, else 0.
  int ExitStatus() const { return exitStatus_; }
  int EndSignal() const { return endSignal_; }
  // Set once destruction has begun.
  bool Destroying() const { return *destroying_; }

  int TerminateTimeout = 5000;
  std::string CommandLine;
  // Give the child its standard output pipe as its standard error as well.
  bool MergeStdErr = false;
  // Output collected while OnStdOut or OnStdErr is not set, at most
  // CollectLimit bytes each, the first ones. What is over the limit is still
  // read and dropped, so a child that floods neither blocks nor grows our memory.
  std::string StdOutText;
  std::string StdErrText;
  size_t CollectLimit = std::numeric_limits<size_t>::max();
  // Looked in for the program before PATH.
  std::string SearchDir;
  // The child's working directory; the caller's when empty.
  std::string WorkingDir;
  // "NAME=value" entries that replace or add to the caller's environment for the child.
  std::vector<std::string> EnvironmentOverrides;
  // errno of the last start that failed; 0 when the child was started.
  int StartError = 0;

  std::function<void(TRedirectedConsole& sender, std::string_view text)> OnStdOut;
  std::function<void(TRedirectedConsole& sender, std::string_view text)> OnStdErr;
  std::function<void(TRedirectedConsole& sender)> OnIdle;
  std::function<void(TRedirectedConsole& sender)> OnTerminate;

 private:
  enum Stream { kIn, kOut, kErr };
  using Clock = std::chrono::steady_clock;

  bool Start();
  // Takes chunks from the open output pipes in turn until each is empty or
  // has given its budget, or `until` has passed; an empty pipe that had hung
  // up is closed for the watch. False when an event destroyed the runner.
  bool Drain(const bool hungUp[2], size_t budget[2], Clock::time_point until,
             const std::shared_ptr<bool>& destroying);
  bool Deliver(Stream stream, std::string_view chunk, const std::shared_ptr<bool>& destroying);
  bool Reap(bool wait);
  bool AwaitEnd(int timeoutMs);
  void Signal(int signal);

  // [stream][0] is the read end, [stream][1] the write end; -1 once closed.
  int pipes_[3][2] = {{-1, -1}, {-1, -1}, {-1, -1}};
  int pipeError_ = 0;
  // Output pipes not yet at end of file.
  bool watched_[2] = {true, true};
  // The child until it is reaped, and a descriptor that polls readable when it ends.
  pid_t pid_ = -1;
  int pidfd_ = -1;
  bool running_ = false;
  bool stopRequested_ = false;
  // When Run, having been asked to stop, kills the child; max once it has.
  Clock::time_point killAt_ = Clock::time_point::max();
  int exitStatus_ = -1;
  int endSignal_ = 0;
  // Outlives the runner in a Run still on the call stack.
  std::shared_ptr<bool> destroying_ = std::make_shared<bool>(false);
};

}  // namespace kw
