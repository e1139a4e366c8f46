#include "trace/dispatcher_link.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "common/paths.h"
#include "common/program_dir.h"
#include "common/descriptors.h"
#include "common/environment.h"
#include "common/command_line.h"

namespace kw {

namespace {

using Clock = std::chrono::steady_clock;

// Longest dispatcher command line that is started; a longer one is refused
// rather than cut, which could name another program.
constexpr size_t kMaxCommandLine = 255;
constexpr std::chrono::milliseconds kStartPoll{5};

// Waits for events on fd until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int ready = ::poll(&p, 1, MillisecondsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

enum class Transfer { Done, Broken, TimedOut };

Transfer SendAll(int fd, iovec* parts, int count, Clock::time_point deadline) {
  while (count > 0) {
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = static_cast<size_t>(count);
    const ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) return Transfer::Broken;
      if (!WaitFor(fd, POLLOUT, deadline)) return Transfer::TimedOut;
      continue;
    }
    size_t left = static_cast<size_t>(sent);
    while (count > 0 && left >= parts->iov_len) {
      left -= parts->iov_len;
      ++parts;
      --count;
    }
    if (count > 0) {
      parts->iov_base = static_cast<char*>(parts->iov_base) + left;
      parts->iov_len -= left;
    }
  }
  return Transfer::Done;
}

Transfer ReceiveAll(int fd, char* buffer, size_t size, Clock::time_point deadline) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      return Transfer::Broken;
    } else if (errno == EAGAIN && !WaitFor(fd, POLLIN, deadline)) {
      return Transfer::TimedOut;
    }
  }
  return Transfer::Done;
}

// The log for a started dispatcher's output, opened for appending; -1 when it cannot be.
int OpenDispatcherLog(const std::string& path) {
  if (path.empty()) return -1;
  CreateFolders(FolderPart(path));
  struct stat status;
  if (::stat(path.c_str(), &status) == 0 && status.st_size > kMaxDispatcherLog)
    ::rename(path.c_str(), (path + ".old").c_str());
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

}  // namespace

SocketDispatcherLink::SocketDispatcherLink(Options options) : options_(std::move(options)) {}

SocketDispatcherLink::~SocketDispatcherLink() {
  Disconnect();
  StartedDispatcherEnded();
}

DispatcherLookup SocketDispatcherLink::FindDispatcher(bool mayStart) {
  if (Connected() || Connect()) return {connections_, false};
  StartedDispatcherEnded();  // one this link started may have died: reap it
  if (!mayStart) return {};
  if (!StartDispatcher()) return {0, true};
  const Clock::time_point deadline = Clock::now() + options_.StartTimeout;
  while (Clock::now() < deadline) {
    if (Connect()) return {connections_, false};
    if (StartedDispatcherEnded()) break;
    std::this_thread::sleep_for(kStartPoll);
  }
  return {0, true};
}

TraceSendResult SocketDispatcherLink::Send(uint32_t tag, std::string_view record) {
  if (socket_ < 0 || record.size() > kMaxTraceRecordSize) return {};
  const Clock::time_point deadline = Clock::now() + options_.AnswerTimeout;
  std::string header = TraceFrameHeader(tag, static_cast<uint32_t>(record.size()));
  iovec parts[] = {{header.data(), header.size()}, {const_cast<char*>(record.data()), record.size()}};
  Transfer transfer = SendAll(socket_, parts, 2, deadline);
  char answer[kTraceAnswerSize];
  if (transfer == Transfer::Done) transfer = ReceiveAll(socket_, answer, sizeof answer, deadline);
  if (transfer == Transfer::Done) return {TraceDelivery::Answered, ReadTraceAnswer({answer, sizeof answer})};
  // Half a frame or an unread answer would put the connection out of step.
  Disconnect();
  return {transfer == Transfer::TimedOut ? TraceDelivery::NoAnswer : TraceDelivery::Lost, 0};
}

// The dispatcher never speaks unasked, so a connection with something to
// read has been closed from the other end.
bool SocketDispatcherLink::Connected() {
  if (socket_ < 0) return false;
  pollfd p{socket_, POLLIN, 0};
  if (::poll(&p, 1, 0) == 0) return true;
  Disconnect();
  return false;
}

bool SocketDispatcherLink::Connect() {
  sockaddr_un address;
  if (!MakeSocketAddress(options_.SocketPath, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  // Non-blocking, a dispatcher whose queue is full counts as absent instead of holding us.
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || !PeerIsSameUser(fd)) {
    ::close(fd);
    return false;
  }
  Disconnect();
  socket_ = fd;
  ++connections_;
  return true;
}

// Once per link: a started dispatcher that dies (one whose output has
// nowhere to go, say) would otherwise be started again for every record.
bool SocketDispatcherLink::StartDispatcher() {
  if (startedOnce_ || options_.CommandLine.size() > kMaxCommandLine) return false;
  startedOnce_ = true;
  std::vector<std::string> arguments = SplitCommandLine(options_.CommandLine);
  if (arguments.empty()) return false;
  const std::string program = FindProgram(arguments[0], ExecutableDir());
  if (program.empty()) return false;
  std::vector<std::string> environment = ChildEnvironment({std::string(kDispatcherOnDemandVariable) + "=1"});
  std::vector<char*> argv = NullTerminated(arguments);
  std::vector<char*> envp = NullTerminated(environment);
  // Its output would otherwise fill the terminal the program was started from.
  int log = OpenDispatcherLog(options_.LogPath);
  if (log < 0) return false;

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  // It reads nothing and holds none of our descriptors.
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, log, STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
  ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  CloseDescriptor(log);
  if (error != 0) return false;
  started_ = pid;
  return true;
}

// Reaps the dispatcher this link started once it has ended.
bool SocketDispatcherLink::StartedDispatcherEnded() {
  if (started_ <= 0) return true;
  if (::waitpid(started_, nullptr, WNOHANG) == 0) return false;
  started_ = -1;
  return true;
}

void SocketDispatcherLink::Disconnect() { CloseDescriptor(socket_); }

}  // namespace kw
