#include "tidy/console_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "common/descriptors.h"
#include "common/environment.h"
#include "common/paths.h"
#include "common/command_line.h"

namespace kw {

namespace {

constexpr std::chrono::milliseconds kCycle{10};
constexpr size_t kChunkSize = 1024;
// Room for a child that writes much to go on while OnIdle runs.
constexpr int kOutputPipeSize = 1 << 20;
constexpr size_t kUnlimited = std::numeric_limits<size_t>::max();

size_t BytesWaiting(int fd) {
  int waiting = 0;
  return ::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0 ? static_cast<size_t>(waiting) : 0;
}

class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The three pipe ends become 0, 1 and 2 and every other descriptor is
  // closed, also those the rest of the program opened without close-on-exec.
  // The child leads a group of its own, so that Stop reaches what it starts,
  // and gets default signal handling whatever the caller ignores or blocks.
  int Prepare(int in, int out, int err, const std::string& workingDir) {
    sigset_t none, all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    const int results[] = {
        ::posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO),
        ::posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO),
        ::posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO),
        ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1),
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                    POSIX_SPAWN_SETSIGDEF),
        ::posix_spawnattr_setpgroup(&attributes, 0),
        ::posix_spawnattr_setsigmask(&attributes, &none),
        ::posix_spawnattr_setsigdefault(&attributes, &all)};
    for (const int result : results) {
      if (result != 0) return result;
    }
    return workingDir.empty() ? 0 : ::posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

}  // namespace

TRedirectedConsole::TRedirectedConsole(std::string commandLine)
    : CommandLine(std::move(commandLine)) {
  // Made in this order, the stdin read end is the only end the child gets
  // that can have a number below 3 (when the caller's standard descriptors
  // are closed), and it is moved first, so no move overwrites one to come.
  for (int* ends : pipes_) {
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      pipeError_ = errno;
      return;
    }
  }
  for (const Stream stream : {kOut, kErr}) {
    ::fcntl(pipes_[stream][0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipes_[stream][0], F_SETPIPE_SZ, kOutputPipeSize);
  }
}

TRedirectedConsole::~TRedirectedConsole() {
  *destroying_ = true;
  OnStdOut = nullptr;
  OnStdErr = nullptr;
  OnIdle = nullptr;
  OnTerminate = nullptr;
  Stop();
  for (int* ends : pipes_) {
    CloseDescriptor(ends[0]);
    CloseDescriptor(ends[1]);
  }
  CloseDescriptor(pidfd_);
}

bool TRedirectedConsole::Start() {
  StartError = pipeError_;
  // The child's ends are closed once a child has had them.
  if (StartError == 0 && pipes_[kOut][1] < 0) StartError = EBADF;
  if (StartError != 0) return false;
  std::vector<std::string> args = SplitCommandLine(CommandLine);
  std::string program = FindProgram(args.empty() ? std::string() : args[0], SearchDir, &StartError);
  if (program.empty()) return false;
  // The child changes its directory before it is executed.
  if (!WorkingDir.empty()) program = AbsolutePath(program);
  std::vector<std::string> env = ChildEnvironment(EnvironmentOverrides);
  SpawnSetup setup;
  StartError = setup.Prepare(pipes_[kIn][0], pipes_[kOut][1],
                             MergeStdErr ? pipes_[kOut][1] : pipes_[kErr][1], WorkingDir);
  pid_t pid = -1;
  if (StartError == 0) {
    StartError = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes,
                               NullTerminated(args).data(), NullTerminated(env).data());
  }
  if (StartError != 0) return false;
  pid_ = pid;
  running_ = true;
  // The stdin write end stays open and unwritten: a child that reads waits.
  CloseDescriptor(pipes_[kIn][0]);
  CloseDescriptor(pipes_[kOut][1]);
  CloseDescriptor(pipes_[kErr][1]);
  // Without it (an old kernel), the watch polls for the child's end instead.
  pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  return true;
}

void TRedirectedConsole::Run() {
  StdOutText.clear();
  StdErrText.clear();
  exitStatus_ = -1;
  endSignal_ = 0;
  stopRequested_ = false;
  killAt_ = Clock::time_point::max();
  if (!Start()) return;
  const std::shared_ptr<bool> destroying = destroying_;
  auto nextIdle = Clock::now() + kCycle;
  while (running_) {
    // Negative descriptors are skipped: a pipe at its end, or no pidfd.
    pollfd fds[] = {{watched_[0] ? pipes_[kOut][0] : -1, POLLIN, 0},
                    {watched_[1] ? pipes_[kErr][0] : -1, POLLIN, 0},
                    {pidfd_, POLLIN, 0}};
    ::poll(fds, 3, MillisecondsUntil(nextIdle));
    const bool hungUp[2] = {(fds[0].revents & ~POLLIN) != 0, (fds[1].revents & ~POLLIN) != 0};
    size_t budget[2] = {kUnlimited, kUnlimited};
    // Bounded, so that a child that floods its pipes does not starve OnIdle.
    if (!Drain(hungUp, budget, Clock::now() + kCycle, destroying)) return;
    if (Reap(false)) break;
    if (running_ && Clock::now() >= nextIdle) {
      // A request made from this very OnIdle waits for the next one, so the
      // caller always gets a cycle between asking and the kill.
      const bool stopWasRequested = stopRequested_;
      const auto onIdle = OnIdle;
      if (onIdle) {
        onIdle(*this);
        if (*destroying) return;
      }
      if (stopWasRequested && pid_ > 0 && Clock::now() >= killAt_) {
        Signal(SIGKILL);
        killAt_ = Clock::time_point::max();
      }
      nextIdle = Clock::now() + kCycle;
    }
  }
  // What the child left is all there now; a grandchild may hold the pipes
  // open and write on, so take only that much.
  const bool noHangUp[2] = {false, false};
  size_t left[2] = {BytesWaiting(pipes_[kOut][0]), BytesWaiting(pipes_[kErr][0])};
  if (!Drain(noHangUp, left, Clock::time_point::max(), destroying)) return;
  running_ = false;
  const auto onTerminate = OnTerminate;
  if (onTerminate) onTerminate(*this);
}

bool TRedirectedConsole::Drain(const bool hungUp[2], size_t budget[2], Clock::time_point until,
                               const std::shared_ptr<bool>& destroying) {
  std::string chunk;
  for (bool more = true; more && Clock::now() < until;) {
    more = false;
    for (const Stream stream : {kOut, kErr}) {
      const int i = stream - kOut;
      if (!watched_[i] || budget[i] == 0) continue;
      const size_t size = ReadChunk(pipes_[stream][0], chunk);
      if (size == 0) {
        if (hungUp[i]) watched_[i] = false;
        continue;
      }
      budget[i] -= std::min(size, budget[i]);
      more = true;
      if (!Deliver(stream, chunk, destroying)) return false;
    }
  }
  return true;
}

bool TRedirectedConsole::Deliver(Stream stream, std::string_view chunk,
                                 const std::shared_ptr<bool>& destroying) {
  // A copy: the handler may destroy the runner, and its events with it.
  const auto handler = stream == kOut ? OnStdOut : OnStdErr;
  if (!handler) {
    std::string& text = stream == kOut ? StdOutText : StdErrText;
    if (text.size() < CollectLimit) text.append(chunk.substr(0, CollectLimit - text.size()));
    return true;
  }
  handler(*this, chunk);
  return !*destroying;
}

size_t TRedirectedConsole::ReadChunk(int pipe, std::string& text) {
  const size_t waiting = BytesWaiting(pipe);
  if (waiting == 0) return 0;
  char buffer[kChunkSize];
  const ssize_t size = ::read(pipe, buffer, std::min(waiting, kChunkSize));
  if (size <= 0) return 0;
  text.assign(buffer, static_cast<size_t>(size));
  return static_cast<size_t>(size);
}

// True once the child is gone: reaped now or before, or by someone else
// (a caller that ignores SIGCHLD).
bool TRedirectedConsole::Reap(bool wait) {
  if (pid_ <= 0) return true;
  pid_t result;
  int status = 0;
  do {
    result = ::waitpid(pid_, &status, wait ? 0 : WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return false;
  if (result == pid_ && WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
  if (result == pid_ && WIFSIGNALED(status)) endSignal_ = WTERMSIG(status);
  pid_ = -1;
  CloseDescriptor(pidfd_);
  return true;
}

bool TRedirectedConsole::AwaitEnd(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  while (!Reap(false)) {
    const int left = MillisecondsUntil(deadline);
    if (left == 0) return false;
    pollfd end = {pidfd_, POLLIN, 0};
    ::poll(&end, 1, std::min(left, static_cast<int>(kCycle.count())));
  }
  return true;
}

void TRedirectedConsole::Signal(int signal) {
  ::kill(-pid_, signal);
  // A child that left its group is not reached through it.
  if (::getpgid(pid_) != pid_) ::kill(pid_, signal);
}

void TRedirectedConsole::Stop() {
  if (!running_) return;
  if (pid_ > 0) {
    Signal(SIGTERM);
    if (!AwaitEnd(TerminateTimeout)) {
      Signal(SIGKILL);
      Reap(true);
    }
  }
  running_ = false;
}

void TRedirectedConsole::RequestStop() {
  // Once the child is reaped there is no pid, and Signal would reach init.
  if (!running_ || pid_ <= 0 || stopRequested_) return;
  stopRequested_ = true;
  Signal(SIGTERM);
  killAt_ = Clock::now() + std::chrono::milliseconds(std::max(TerminateTimeout, 0));
}

}  // namespace kw
