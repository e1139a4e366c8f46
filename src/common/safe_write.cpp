#include "common/safe_write.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

namespace kw {

namespace {

[[noreturn]] void ThrowErrno(int error, const char* what) {
  throw std::system_error(error, std::generic_category(), what);
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, "write");
    }
    // A regular file that accepts nothing has no room left.
    if (n == 0) ThrowErrno(ENOSPC, "write");
    data += n;
    size -= static_cast<size_t>(n);
  }
}

class BufferedFileSink : public ContentSink {
 public:
  explicit BufferedFileSink(int fd) : fd_(fd), buffer_(new char[kCapacity]) {}

  void Write(std::string_view bytes) override {
    if (bytes.size() > kCapacity - used_) {
      Flush();
      if (bytes.size() >= kCapacity) {
        WriteAll(fd_, bytes.data(), bytes.size());
        return;
      }
    }
    if (!bytes.empty()) std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  void Flush() {
    if (used_ == 0) return;
    WriteAll(fd_, buffer_.get(), used_);
    used_ = 0;
  }

 private:
  static constexpr size_t kCapacity = size_t{256} << 10;
  int fd_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

// Owns the temporary file until it has been renamed into place.
class TemporaryFile {
 public:
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  explicit TemporaryFile(std::string pattern) : name_(std::move(pattern)) {
    fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
    if (fd_ < 0) ThrowErrno(errno, "mkostemp");
  }

  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(name_.c_str());
  }

  int fd() const { return fd_; }

  void Close() {
    const int fd = fd_;
    fd_ = -1;
    // Some file systems only report a failed write here.
    if (::close(fd) != 0 && errno != EINTR) ThrowErrno(errno, "close");
  }

  void RenameTo(const std::string& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) ThrowErrno(errno, "rename");
    committed_ = true;
  }

 private:
  std::string name_;
  int fd_ = -1;
  bool committed_ = false;
};

// Read from /proc because umask() cannot be read without changing it, which
// would race with other threads creating files.
mode_t CurrentUmask() {
  const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 022;
  std::string status;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    status.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  const size_t key = status.find("\nUmask:");
  if (key == std::string::npos) return 022;
  const char* p = status.c_str() + key + 7;
  char* end = nullptr;
  const unsigned long value = std::strtoul(p, &end, 8);
  if (end == p) return 022;
  return static_cast<mode_t>(value & 0777);
}

// Where the new content has to go: the final target of a symbolic link, or the
// path itself when the link leads nowhere.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return path;
    ThrowErrno(errno, "lstat");
  }
  if (!S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) {
    if (errno == ENOENT) return path;
    ThrowErrno(errno, "realpath");
  }
  std::string target(resolved);
  std::free(resolved);
  return target;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void ReplaceFileContent(const std::string& path,
                        const std::function<void(ContentSink&)>& produce) {
  if (path.empty()) ThrowErrno(ENOENT, "open");
  const std::string target = ResolveTarget(path);

  struct stat old;
  bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) ThrowErrno(errno, "stat");
  if (exists) {
    if (S_ISDIR(old.st_mode)) ThrowErrno(EISDIR, "stat");
    // Renaming over a device or FIFO would swap the node for a plain file.
    if (!S_ISREG(old.st_mode)) ThrowErrno(EINVAL, "stat");
    if (::access(target.c_str(), W_OK) != 0) ThrowErrno(errno, "access");
  }

  const size_t slash = target.rfind('/');
  const std::string folderPrefix = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // Room for the leading '.' and the ".XXXXXX" suffix within one name.
  constexpr size_t kMaxName = NAME_MAX - 8;
  if (name.size() > kMaxName) name.resize(kMaxName);
  TemporaryFile temp(folderPrefix + "." + name + ".XXXXXX");

  {
    BufferedFileSink sink(temp.fd());
    produce(sink);
    sink.Flush();
  }
  while (::fsync(temp.fd()) != 0) {
    if (errno != EINTR) ThrowErrno(errno, "fsync");
  }

  mode_t mode = 0;
  if (exists) {
    // Ownership first: a change of owner clears set-id bits.
    if (::geteuid() == 0) {
      (void)::fchown(temp.fd(), old.st_uid, old.st_gid);
    } else if (old.st_gid != ::getegid()) {
      (void)::fchown(temp.fd(), static_cast<uid_t>(-1), old.st_gid);
    }
    mode = old.st_mode & 07777;
  } else {
    mode = 0666 & ~CurrentUmask();
  }
  if (::fchmod(temp.fd(), mode) != 0) ThrowErrno(errno, "fchmod");

  temp.Close();
  temp.RenameTo(target);

  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  if (folder.empty()) folder = "/";
  SyncFolder(folder);
}

}  // namespace kw
