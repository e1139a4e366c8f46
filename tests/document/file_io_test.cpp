#include "document/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "common/error.h"

namespace kw {
namespace {

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_file_io_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Put(const std::string& name, const std::string& bytes) const {
    const std::string path = dir_ + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    return path;
  }
  // The message fn fails with, or "" when it does not fail.
  template <class Fn>
  static std::string ErrorOf(Fn fn) {
    try {
      fn();
    } catch (const EKempwellError& e) {
      return e.what();
    }
    return "";
  }
  static std::string ReadError(const std::string& path) {
    return ErrorOf([&] { ReadWholeFile(path); });
  }

  std::string dir_;
};

TEST_F(FileIoTest, ReadRefusesWhatIsNotARegularFile) {
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadError(dir_ + "/a/../missing"),
            "Cannot open file \"" + dir_ + "/missing\". No such file or directory");
  EXPECT_EQ(ReadError(dir_), "Cannot open file \"" + dir_ + "\". Is a directory");
  // Nobody writes to the FIFO: a blocking open would hang here.
  EXPECT_EQ(ReadError(fifo), "Cannot open file \"" + fifo + "\". Not a regular file");
  EXPECT_EQ(ReadError(""), "Cannot open file \"\". No such file or directory");
}

TEST_F(FileIoTest, ReadRefusesUnreadableFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  const std::string path = Put("locked.htm", "x");
  ::chmod(path.c_str(), 0200);
  EXPECT_EQ(ReadError(path), "Cannot open file \"" + path + "\". Permission denied");
}

TEST_F(FileIoTest, SizeComesBeforePiecesOfBoundedSize) {
  const std::string content(1000, '\xE9');
  std::string joined = "|";
  ReadFilePieces(
      Put("pieces", content), 64, [&](uint64_t size) { joined += std::to_string(size) + "|"; },
      [&](std::string_view piece) {
        EXPECT_LE(piece.size(), 64u);
        joined += piece;
      });
  EXPECT_EQ(joined, "|1000|" + content);
}

TEST_F(FileIoTest, LoadAndSaveKeepBytesAndBreakStyle) {
  const struct {
    const char* name;
    std::string bytes;
    std::string saved;
  } cases[] = {
      {"Cr", "a\rb\r", "a\rb\r"},
      {"Lf", "a\nb\n", "a\nb\n"},
      {"CrLf", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"Empty", "", ""},
      {"NoFinalBreak", "a\nb", "a\nb"},
      {"ZeroAndHighBytes", std::string("\0\x80\n\xFF\0", 5), std::string("\0\x80\n\xFF\0", 5)},
      {"MixedBecomesCrLf", "a\rb\nc\r\nd\n\re", "a\r\nb\r\nc\r\nd\r\n\r\ne"},
  };
  for (const auto& c : cases) {
    const std::string path = Put(c.name, c.bytes);
    const std::string text = ReadWholeFile(path);
    SaveTextFile(path, text, DetectBreakStyle(text));
    EXPECT_EQ(ReadWholeFile(path), c.saved) << c.name;
  }
}

TEST_F(FileIoTest, SaveFailuresCarryTheCreateMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "Cannot create file \"\". No such file or directory"},
      {dir_, "Cannot create file \"" + dir_ + "\". Is a directory"},
      {dir_ + "/no/a.htm", "Cannot create file \"" + dir_ + "/no/a.htm\". No such file or directory"},
  };
  for (const auto& [path, message] : cases)
    EXPECT_EQ(ErrorOf([&] { SaveTextFile(path, "x", BreakStyle::CRLF); }), message);
  EXPECT_EQ(CannotCreateFileMessage("/x", EACCES), "Cannot create file \"/x\". Permission denied");
}

}  // namespace
}  // namespace kw
