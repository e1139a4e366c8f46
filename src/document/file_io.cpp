#include "document/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "common/descriptors.h"
#include "common/error.h"
#include "common/paths.h"

namespace kw {

namespace {

// The editor keeps positions in 32 bits.
constexpr uint64_t kMaxFileSize = uint64_t{2} << 30;
constexpr size_t kWholeFilePiece = size_t{1} << 20;
constexpr size_t kLargestPiece = size_t{64} << 20;

std::string ReasonText(int error) {
  return std::generic_category().message(error);
}

std::string FileMessage(const char* verb, const std::string& path, const std::string& reason) {
  return std::string("Cannot ") + verb + " file \"" + AbsolutePath(path) + "\". " + reason;
}

[[noreturn]] void ThrowOpenError(const std::string& path, int error) {
  throw EKempwellError(CannotOpenFileMessage(path, error));
}

}  // namespace

std::string CannotOpenFileMessage(const std::string& path, int error) {
  return FileMessage("open", path, ReasonText(error));
}

std::string CannotCreateFileMessage(const std::string& path, int error) {
  return FileMessage("create", path, ReasonText(error));
}

namespace {

// Opened without waiting (a FIFO with no writer answers at once) and
// looked at: a file ReadFilePieces may read, with its size, or why not.
struct ReadableFile {
  explicit ReadableFile(const std::string& path) : handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    if (handle.fd() < 0) ThrowOpenError(path, errno);
    if (::fstat(handle.fd(), &st) != 0) ThrowOpenError(path, errno);
    if (S_ISDIR(st.st_mode)) ThrowOpenError(path, EISDIR);
    if (!S_ISREG(st.st_mode)) throw EKempwellError(FileMessage("open", path, "Not a regular file"));
    if (static_cast<uint64_t>(st.st_size) >= kMaxFileSize) ThrowOpenError(path, EFBIG);
  }
  FileHandle handle;
  struct stat st;
};

}  // namespace

void CheckReadableFile(const std::string& path) { ReadableFile file(path); }

void ReadFilePieces(const std::string& path, size_t pieceSize,
                    const std::function<void(uint64_t size)>& size,
                    const std::function<void(std::string_view piece)>& consume) {
  ReadableFile file(path);
  const FileHandle& fd = file.handle;
  const struct stat& st = file.st;

  const int flags = ::fcntl(fd.fd(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ThrowOpenError(path, errno);
  }

  if (size) size(static_cast<uint64_t>(st.st_size));

  // Larger pieces buy nothing but a risk of failing to allocate the buffer.
  if (pieceSize == 0) pieceSize = kWholeFilePiece;
  if (pieceSize > kLargestPiece) pieceSize = kLargestPiece;
  std::unique_ptr<char[]> buffer(new char[pieceSize]);
  uint64_t total = 0;
  for (;;) {
    const ssize_t n = ::read(fd.fd(), buffer.get(), pieceSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowOpenError(path, errno);
    }
    if (n == 0) break;
    // A file that grows while it is read must not slip past the size limit.
    total += static_cast<uint64_t>(n);
    if (total >= kMaxFileSize) ThrowOpenError(path, EFBIG);
    if (consume) consume(std::string_view(buffer.get(), static_cast<size_t>(n)));
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::string text;
  ReadFilePieces(
      path, kWholeFilePiece, [&](uint64_t size) { text.reserve(static_cast<size_t>(size)); },
      [&](std::string_view piece) { text.append(piece); });
  return text;
}

void WriteTextAndClose(int fd, const std::string& path, std::string_view text, BreakStyle style) {
  class DescriptorSink : public ContentSink {
   public:
    DescriptorSink(int fd, const std::string& path) : fd_(fd), path_(path) {}
    void Write(std::string_view bytes) override {
      while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw EKempwellError(CannotCreateFileMessage(path_, written < 0 ? errno : ENOSPC));
        bytes.remove_prefix(static_cast<size_t>(written));
      }
    }

   private:
    int fd_;
    const std::string& path_;
  } sink(fd, path);
  try {
    WriteWithBreaks(text, style, sink);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) throw EKempwellError(CannotCreateFileMessage(path, errno));
}

void SaveTextFile(const std::string& path, std::string_view text, BreakStyle style) {
  try {
    ReplaceFileContent(path, [&](ContentSink& sink) { WriteWithBreaks(text, style, sink); });
  } catch (const std::system_error& e) {
    throw EKempwellError(CannotCreateFileMessage(path, e.code().value()));
  }
}

}  // namespace kw
