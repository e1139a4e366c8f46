// Runs one command line as a child process whose standard streams are pipes,
// watches it until it ends, hands on what it writes and can stop it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
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
  // watches it until it has ended. Every cycle waits at most 10 ms for the
  // child or its output, takes everything that is waiting on both pipes, in
  // chunks of at most 1024 bytes, and calls OnIdle while the child runs.
  // When it has ended, everything still in the pipes is taken, the child is
  // reaped, Running becomes false and OnTerminate is called; Run touches
  // nothing of the runner after that call. When the child cannot be started
  // no event is called and StartError holds the reason.
  void Run();
  // Ends a running child: SIGTERM to its process group, then SIGKILL when it
  // has not ended within TerminateTimeout ms; the child is reaped.
  void Stop();
  // Reads what the pipe holds now, at most 1024 bytes, into text (replacing
  // it) and returns the count; 0 when nothing is waiting or the pipe is closed.
  size_t ReadChunk(int pipe, std::string& text);

  bool Running() const { return running_; }
  // Set once destruction has begun.
  bool Destroying() const { return *destroying_; }

  int TerminateTimeout = 5000;
  std::string CommandLine;
  // Give the child its standard output pipe as its standard error as well.
  bool MergeStdErr = false;
  // Output collected while OnStdOut or OnStdErr is not set.
  std::string StdOutText;
  std::string StdErrText;
  // Looked in for the program before PATH.
  std::string SearchDir;
  // "NAME=value" entries that replace or add to the caller's environment for the child.
  std::vector<std::string> EnvironmentOverrides;
  // errno of the last start that failed; 0 when the child was started.
  int StartError = 0;

  std::function<void(TRedirectedConsole& sender, std::string_view text)> OnStdOut;
  std::function<void(TRedirectedConsole& sender, std::string_view text)> OnStdErr;
  std::function<void(TRedirectedConsole& sender)> OnIdle;
  std::function<void(TRedirectedConsole& sender)> OnTerminate;

 private:
  // Implementation state is the helper's to choose.
  bool running_ = false;
  std::shared_ptr<bool> destroying_ = std::make_shared<bool>(false);
};

}  // namespace kw
