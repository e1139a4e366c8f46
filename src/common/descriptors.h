// Small helpers for code that waits on file descriptors with poll.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace kw {

// Closes fd when open and marks it closed.
inline void CloseDescriptor(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// What is left until deadline as a poll timeout: whole milliseconds rounded
// up, 0 once it has passed, never more than an int holds.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 1 << 30));
}

}  // namespace kw
