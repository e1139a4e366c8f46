#include "common/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include "common/descriptors.h"

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

class StringSink : public ContentSink {
 public:
  void Write(std::string_view bytes) override { bytes_.append(bytes); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

void SyncFile(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) ThrowErrno(errno, "fsync");
  }
}

// Owns the temporary file until it has been renamed into place.
class TemporaryFile {
 public:
  TemporaryFile(std::string name, int fd) : name_(std::move(name)), file_(fd) {
    // Tells RemoveStaleSaveFiles, run by another window, that this save is under way.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  ~TemporaryFile() {
    if (!committed_) ::unlink(name_.c_str());
  }

  int fd() const { return file_.fd(); }
  void Close() { file_.Close(); }

  void RenameTo(const std::string& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) ThrowErrno(errno, "rename");
    committed_ = true;
  }

 private:
  std::string name_;
  FileHandle file_;
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

constexpr std::string_view kSaveMark = ".kwsave-";
constexpr size_t kRandomLength = 6;  // mkostemp's XXXXXX

// Where a target's temporary files go and how their names begin, so that
// saves and the clean-up after interrupted ones agree.
struct SaveFiles {
  std::string folder;
  std::string prefix;  // '.', the target's name cut to fit, ".kwsave-"

  std::string InFolder(const std::string& name) const {
    return folder == "/" ? folder + name : folder + "/" + name;
  }
};

SaveFiles SaveFilesOf(const std::string& target) {
  const size_t slash = target.rfind('/');
  SaveFiles files;
  if (slash == std::string::npos) {
    files.folder = ".";
  } else {
    files.folder = slash == 0 ? "/" : target.substr(0, slash);
  }
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  constexpr size_t kMaxName = NAME_MAX - 1 - kSaveMark.size() - kRandomLength;
  if (name.size() > kMaxName) name.resize(kMaxName);
  files.prefix = "." + name + std::string(kSaveMark);
  return files;
}

bool IsSaveFileName(std::string_view name, const std::string& prefix) {
  if (name.size() != prefix.size() + kRandomLength || name.substr(0, prefix.size()) != prefix) return false;
  for (const char c : name.substr(prefix.size())) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

void RemoveStale(const SaveFiles& files) {
  const int folderFd = ::open(files.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return;
  DIR* dir = ::fdopendir(folderFd);
  if (dir == nullptr) {
    ::close(folderFd);
    return;
  }
  const uid_t me = ::geteuid();
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsSaveFileName(entry->d_name, files.prefix)) continue;
    // Never through a link, and never waiting on a FIFO.
    const int fd = ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    // A save under way holds the lock; a killed one has dropped it.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == me &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Rewrites the target's own inode, for when a new file must not or cannot
// take its place.
void OverwriteInPlace(const std::string& target, const std::function<void(ContentSink&)>& produce) {
  // Produced whole first, so that a failing producer leaves the file as it was.
  StringSink content;
  produce(content);
  const std::string& bytes = content.bytes();
  const auto size = static_cast<off_t>(bytes.size());

  // Non-blocking so that a FIFO put in the file's place cannot hang the save.
  FileHandle file(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (file.fd() < 0) ThrowErrno(errno, "open");
  struct stat st;
  if (::fstat(file.fd(), &st) != 0) ThrowErrno(errno, "fstat");
  if (!S_ISREG(st.st_mode)) ThrowErrno(EINVAL, "open");
  const int flags = ::fcntl(file.fd(), F_GETFL);
  if (flags < 0 || ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowErrno(errno, "fcntl");

  // Where the file system can reserve room, a full disk fails the save
  // before the old text is touched.
  if (size > 0 && ::fallocate(file.fd(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
      (errno == ENOSPC || errno == EDQUOT)) {
    ThrowErrno(errno, "fallocate");
  }
  WriteAll(file.fd(), bytes.data(), bytes.size());
  while (::ftruncate(file.fd(), size) != 0) {
    if (errno != EINTR) ThrowErrno(errno, "ftruncate");
  }
  SyncFile(file.fd());
  file.Close();
}

}  // namespace

void ReplaceFileContent(const std::string& path,
                        const std::function<void(ContentSink&)>& produce) {
  if (path.empty()) ThrowErrno(ENOENT, "open");
  const std::string target = ResolveTarget(path);
  const SaveFiles files = SaveFilesOf(target);
  RemoveStale(files);

  struct stat old;
  bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) ThrowErrno(errno, "stat");
  if (exists) {
    if (S_ISDIR(old.st_mode)) ThrowErrno(EISDIR, "stat");
    // Renaming over a device or FIFO would swap the node for a plain file.
    if (!S_ISREG(old.st_mode)) ThrowErrno(EINVAL, "stat");
    if (::access(target.c_str(), W_OK) != 0) ThrowErrno(errno, "access");
    // Renaming over one name would split the links into two files.
    if (old.st_nlink > 1) {
      OverwriteInPlace(target, produce);
      return;
    }
  }

  std::string tempName = files.InFolder(files.prefix + std::string(kRandomLength, 'X'));
  const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder the user may not write can still hold a file the user may.
    if (exists && (errno == EACCES || errno == EPERM)) {
      OverwriteInPlace(target, produce);
      return;
    }
    ThrowErrno(errno, "mkostemp");
  }
  TemporaryFile temp(std::move(tempName), fd);

  {
    BufferedFileSink sink(temp.fd());
    produce(sink);
    sink.Flush();
  }
  SyncFile(temp.fd());

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
  SyncFolder(files.folder);
}

void RemoveStaleSaveFiles(const std::string& path) {
  if (path.empty()) return;
  try {
    RemoveStale(SaveFilesOf(ResolveTarget(path)));
  } catch (const std::system_error&) {
    // Housekeeping only: whatever cannot be removed now goes at the next save.
  }
}

}  // namespace kw
