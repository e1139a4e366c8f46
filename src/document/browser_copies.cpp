#include "document/browser_copies.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/error.h"
#include "common/paths.h"
#include "document/file_io.h"

namespace kw {

namespace {

// Enough names for every document the user views from one folder in a session.
constexpr int kMaxCopyNames = 100;

std::string CopyName(int n) { return n == 1 ? "~modified.htm" : "~modified-" + std::to_string(n) + ".htm"; }

}  // namespace

const BrowserCopies::Copy* BrowserCopies::Find(const std::string& path) const {
  for (const Copy& copy : copies_)
    if (copy.path == path) return &copy;
  return nullptr;
}

std::string BrowserCopies::Write(const std::string& folder, std::string_view text, BreakStyle breaks) {
  int lastError = EEXIST;
  for (int n = 1; n <= kMaxCopyNames; ++n) {
    const std::string path = JoinPath(folder, CopyName(n));
    const Copy* known = Find(path);
    // Never through a link; a new copy only where nothing stands, an old one
    // only while it is still the very file written before.
    const int fd = known ? ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC)
                         : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && known && errno == ENOENT) {
      // The copy was removed meanwhile: the name is free again.
      copies_.erase(copies_.begin() + (known - copies_.data()));
      --n;
      continue;
    }
    if (fd < 0) {
      lastError = errno;
      if (errno == EEXIST || errno == ELOOP) continue;
      break;
    }
    struct stat st;
    const bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                      (!known || (st.st_dev == known->device && st.st_ino == known->inode));
    if (!same || (known && ::ftruncate(fd, 0) != 0)) {
      ::close(fd);
      continue;
    }
    if (!known) copies_.push_back(Copy{path, st.st_dev, st.st_ino});
    WriteTextAndClose(fd, path, text, breaks);
    return path;
  }
  throw EKempwellError(CannotCreateFileMessage(JoinPath(folder, CopyName(1)), lastError));
}

void BrowserCopies::RemoveAll() {
  for (const Copy& copy : copies_) {
    struct stat st;
    if (::lstat(copy.path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == copy.device &&
        st.st_ino == copy.inode)
      ::unlink(copy.path.c_str());
  }
  copies_.clear();
}

}  // namespace kw
