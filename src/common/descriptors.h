// Small helpers for file descriptors: owning one, closing one, and waiting
// on them with poll.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

namespace kw {

// Closes fd when open and marks it closed.
inline void CloseDescriptor(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Owns an open descriptor (or -1) and closes it on every path.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }

  int fd() const { return fd_; }

  // Closes it now, for callers that must know: some file systems only
  // report a failed write here. Throws std::system_error.
  void Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "close");
  }

 private:
  int fd_;
};

// What is left until deadline as a poll timeout: whole milliseconds rounded
// up, 0 once it has passed, never more than an int holds.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 1 << 30));
}

}  // namespace kw
