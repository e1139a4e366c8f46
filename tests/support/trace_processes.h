// Trace dispatchers for tests: the dispatcher on a thread of the test, and
// the kempwell-trace program started without a shell. Every wait is bounded,
// so a fault fails a test instead of hanging it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "trace/trace_channel.h"
#include "trace/trace_dispatcher.h"

namespace kw::test {

inline constexpr std::chrono::milliseconds kTraceWait{5000};

// Tries every 10 ms until it holds or the time is up.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = kTraceWait) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Runs a dispatcher on a thread of its own; stopped and joined when it goes.
class RunningDispatcher {
 public:
  explicit RunningDispatcher(TraceDispatcher& dispatcher)
      : dispatcher_(dispatcher), ended_(done_.get_future()), thread_([this] {
          dispatcher_.Run();
          done_.set_value();
        }) {}
  ~RunningDispatcher() {
    dispatcher_.Stop();
    thread_.join();
  }
  RunningDispatcher(const RunningDispatcher&) = delete;
  RunningDispatcher& operator=(const RunningDispatcher&) = delete;

  bool EndsWithin(std::chrono::milliseconds limit) { return ended_.wait_for(limit) == std::future_status::ready; }

 private:
  TraceDispatcher& dispatcher_;
  std::promise<void> done_;
  std::future<void> ended_;
  std::thread thread_;
};

// kempwell-trace with the given arguments, its standard output and error in
// files, outside on-demand mode whatever the test's environment says.
class TraceProgram {
 public:
  TraceProgram(std::vector<std::string> args, const std::string& out, const std::string& err) {
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
  ~TraceProgram() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TraceProgram(const TraceProgram&) = delete;
  TraceProgram& operator=(const TraceProgram&) = delete;

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

}  // namespace kw::test
