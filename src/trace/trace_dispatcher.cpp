#include "trace/trace_dispatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/descriptors.h"
#include "trace/trace_channel.h"

namespace kw {

// Stop runs in signal handlers.
static_assert(std::atomic<bool>::is_always_lock_free);

namespace {

constexpr size_t kReadChunk = 64 * 1024;
// What one client may hand over per round before the others get their turn.
constexpr size_t kReadBudget = 1 << 20;
// Out of descriptors: let the listener rest rather than spin on it.
constexpr std::chrono::milliseconds kAcceptPause{100};
// A synchronous client sends its next record within microseconds of its
// answer; the loop counts as idle only after this long without one.
constexpr int kIdleDelayMs = 10;
// Without the wake pipe, Stop is noticed by polling no longer than this.
constexpr int kStopCheckMs = 100;

std::string SystemError(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

enum class Probe { kAbsent, kLive, kStale, kUnknown };

// Whether a dispatcher answers at address. Non-blocking, so a dispatcher
// with a full backlog counts as live instead of holding us up.
Probe ProbeSocket(const sockaddr_un& address) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Probe::kUnknown;
  const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int error = errno;
  ::close(fd);
  if (result == 0 || error == EAGAIN || error == EINPROGRESS) return Probe::kLive;
  if (error == ECONNREFUSED) return Probe::kStale;
  if (error == ENOENT) return Probe::kAbsent;
  return Probe::kUnknown;
}

int Sooner(int timeout, int other) { return timeout < 0 ? other : std::min(timeout, other); }

}  // namespace

struct TraceDispatcher::Connection {
  Connection(int socket, Clock::time_point now) : fd(socket), waitingSince(now) {}
  ~Connection() { CloseDescriptor(fd); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // A client that has sent a frame and took its answers may be quiet for as
  // long as it likes; one that has yet to send its first frame, is in the
  // middle of one or leaves answers untaken holds a place others may need.
  bool Owing() const { return !framed || !input.empty() || !output.empty(); }

  int fd;
  std::string input;
  std::string output;  // answers the client has not taken yet
  bool framed = false;  // a whole frame has come
  // When the client began to owe: its connect, the start of the frame it is
  // sending, or the last frame whose answer it has not taken.
  Clock::time_point waitingSince;
};

TraceDispatcher::TraceDispatcher() {
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = ends[0];
    wakeWrite_ = ends[1];
  }
}

TraceDispatcher::~TraceDispatcher() {
  Close();
  CloseDescriptor(wakeRead_);
  CloseDescriptor(wakeWrite_);
}

bool TraceDispatcher::Listen(const std::string& path) {
  Close();
  error_.clear();
  sockaddr_un address;
  if (!MakeSocketAddress(path, address)) {
    error_ = path.empty() ? "No trace socket path given"
                          : "The trace socket path is longer than the " +
                                std::to_string(sizeof address.sun_path - 1) +
                                " bytes a socket address holds: " + path;
    return false;
  }
  const std::string busy = "A trace dispatcher is already listening on " + path;
  switch (ProbeSocket(address)) {
    case Probe::kLive:
      error_ = busy;
      return false;
    case Probe::kStale: {
      // Refused connections also come from files that are no socket; those are not ours to remove.
      struct stat st;
      if (::lstat(path.c_str(), &st) == 0 && !S_ISSOCK(st.st_mode)) {
        error_ = "Not a socket, left in place: " + path;
        return false;
      }
      ::unlink(path.c_str());
      break;
    }
    case Probe::kAbsent:
    case Probe::kUnknown:
      break;
  }
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error_ = SystemError("Cannot create the trace socket", errno);
    return false;
  }
  // Made 0600 from the start: a chmod after bind would leave a moment for others to connect.
  const mode_t oldMask = ::umask(0177);
  const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int bindError = errno;
  ::umask(oldMask);
  if (bound != 0) {
    ::close(fd);
    // Another dispatcher may have bound it since the probe.
    error_ = bindError == EADDRINUSE && ProbeSocket(address) == Probe::kLive
                 ? busy
                 : SystemError("Cannot bind the trace socket " + path, bindError);
    return false;
  }
  struct stat st;
  if (::listen(fd, SOMAXCONN) != 0 || ::stat(path.c_str(), &st) != 0) {
    error_ = SystemError("Cannot listen on the trace socket " + path, errno);
    ::unlink(path.c_str());
    ::close(fd);
    return false;
  }
  listener_ = fd;
  path_ = path;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  everConnected_ = false;
  return true;
}

void TraceDispatcher::Stop() {
  stopped_.store(true);
  if (wakeWrite_ >= 0) {
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, "", 1);
    errno = savedErrno;
  }
}

void TraceDispatcher::Close() {
  connections_.clear();
  if (!path_.empty()) {
    // Someone may have put a socket of their own there since.
    struct stat st;
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
      ::unlink(path_.c_str());
    path_.clear();
  }
  CloseDescriptor(listener_);
}

void TraceDispatcher::Run() {
  if (listener_ < 0) return;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastIdle = start;
  // Something happened since OnIdle was last called.
  bool busy = false;
  std::vector<pollfd> fds;
  while (!stopped_.load()) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point nextDrop = DropSilentClients(now);
    if (OnDemand && everConnected_ && connections_.empty()) break;
    if (OnDemand && !everConnected_ && now >= start + FirstClientTimeout) break;

    const bool acceptPaused = now < acceptPausedUntil_;
    fds.clear();
    fds.push_back({wakeRead_, POLLIN, 0});
    fds.push_back({acceptPaused ? -1 : listener_, POLLIN, 0});
    // A client that does not take its answers is not read from until it does.
    for (const auto& c : connections_)
      fds.push_back({c->fd, static_cast<short>(c->output.empty() ? POLLIN : POLLOUT), 0});

    int timeout = wakeRead_ < 0 ? kStopCheckMs : -1;
    if (OnDemand && !everConnected_) timeout = Sooner(timeout, MillisecondsUntil(start + FirstClientTimeout));
    if (acceptPaused) timeout = Sooner(timeout, MillisecondsUntil(acceptPausedUntil_));
    if (nextDrop != Clock::time_point::max()) timeout = Sooner(timeout, MillisecondsUntil(nextDrop));

    const int ready = ::poll(fds.data(), fds.size(), busy ? Sooner(timeout, kIdleDelayMs) : timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      error_ = SystemError("Waiting for trace clients failed", errno);
      break;
    }
    if (ready == 0) {
      if (busy) CallIdle(lastIdle);
      busy = false;
      continue;
    }
    busy = true;
    if (Clock::now() - lastIdle >= IdleInterval) CallIdle(lastIdle);
    if (fds[0].revents != 0) {
      char drain[64];
      while (::read(wakeRead_, drain, sizeof drain) > 0) {
      }
    }
    // Only the connections polled; Accept appends new ones.
    const size_t polled = fds.size() - 2;
    if (fds[1].revents != 0) Accept();
    for (size_t i = 0; i < polled; ++i) {
      if (fds[i + 2].revents == 0) continue;
      Connection& c = *connections_[i];
      const bool open = !c.output.empty() || Receive(c);
      const bool keep = HandleFrames(c);
      if (!SendAnswers(c) || !keep || !open) CloseDescriptor(c.fd);
    }
    std::erase_if(connections_, [](const auto& c) { return c->fd < 0; });
  }
  if (busy) CallIdle(lastIdle);
}

TraceDispatcher::Clock::time_point TraceDispatcher::DropSilentClients(Clock::time_point now) {
  Clock::time_point next = Clock::time_point::max();
  std::erase_if(connections_, [&](const auto& c) {
    if (!c->Owing()) return false;
    const Clock::time_point due = c->waitingSince + SilentClientTimeout;
    if (due <= now) return true;
    next = std::min(next, due);
    return false;
  });
  return next;
}

void TraceDispatcher::CallIdle(Clock::time_point& lastIdle) {
  if (OnIdle) OnIdle();
  lastIdle = Clock::now();
}

void TraceDispatcher::Accept() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        acceptPausedUntil_ = Clock::now() + kAcceptPause;
      return;
    }
    if (!PeerIsSameUser(fd)) {
      ::close(fd);
      continue;
    }
    connections_.push_back(std::make_unique<Connection>(fd, Clock::now()));
    everConnected_ = true;
  }
}

bool TraceDispatcher::Receive(Connection& c) {
  char chunk[kReadChunk];
  for (size_t taken = 0; taken < kReadBudget;) {
    const ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      if (c.framed && c.input.empty()) c.waitingSince = Clock::now();  // a new frame begins
      c.input.append(chunk, static_cast<size_t>(n));
      taken += static_cast<size_t>(n);
      // Most likely drained; poll tells if not, which saves a read that finds nothing.
      if (static_cast<size_t>(n) < sizeof chunk) return true;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
  }
  return true;
}

bool TraceDispatcher::HandleFrames(Connection& c) {
  const std::string_view input = c.input;
  size_t at = 0;
  bool keep = true;
  while (input.size() - at >= kTraceFrameHeaderSize) {
    uint32_t tag, byteCount;
    ReadTraceFrameHeader(input.substr(at), tag, byteCount);
    if (byteCount > kMaxTraceRecordSize) {
      c.output += TraceAnswer(0);
      keep = false;
      break;
    }
    if (input.size() - at - kTraceFrameHeaderSize < byteCount) break;
    c.output += TraceAnswer(Handle(tag, input.substr(at + kTraceFrameHeaderSize, byteCount)));
    at += kTraceFrameHeaderSize + byteCount;
  }
  c.input.erase(0, at);
  if (at > 0) {
    c.framed = true;
    c.waitingSince = Clock::now();
  }
  return keep;
}

int32_t TraceDispatcher::Handle(uint32_t tag, std::string_view bytes) {
  const std::optional<TraceRecord> record = ParseTraceRecord(bytes);
  if (!record || static_cast<uint32_t>(record->Type) != tag) return 0;
  if (!OnRecord) return 1;
  // A handler that fails refuses the one record, not the dispatcher.
  try {
    return OnRecord(*record);
  } catch (...) {
    return 0;
  }
}

bool TraceDispatcher::SendAnswers(Connection& c) {
  while (!c.output.empty()) {
    const ssize_t n = ::send(c.fd, c.output.data(), c.output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.output.erase(0, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
  }
  return true;
}

}  // namespace kw
