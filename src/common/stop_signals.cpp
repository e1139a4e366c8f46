#include "common/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace kw {

namespace {

std::atomic<int> caught{0};
int wakePipe[2] = {-1, -1};

void Note(int signal) {
  caught.store(signal);
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void CatchStopSignals() {
  if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
  struct sigaction action = {};
  action.sa_handler = Note;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM}) {
    // A signal the caller chose to ignore (a job started in the background) stays ignored.
    struct sigaction current;
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

int CaughtStopSignal() { return caught.load(); }

int StopSignalDescriptor() { return wakePipe[0]; }

void EndByCaughtSignal() {
  const int signal = caught.load();
  if (signal == 0) std::_Exit(1);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace kw
