#include "tidy/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace kw {

// The lock sits on the folder itself, so no lock file is left behind.
TidyRunLock::TidyRunLock(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

TidyRunLock::~TidyRunLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

bool TidyRunLock::TryLock() {
  if (held_ || fd_ < 0) return true;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    // Only another holder is worth waiting for.
    if (errno != EWOULDBLOCK) return true;
    return false;
  }
  held_ = true;
  return true;
}

}  // namespace kw
