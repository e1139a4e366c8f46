#include "common/safe_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kw {
namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_safe_write_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0700);
    fs::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  static void Replace(const std::string& path, const std::string& content) {
    ReplaceFileContent(path, [&](ContentSink& sink) { sink.Write(content); });
  }
  // The errno ReplaceFileContent fails with, or 0.
  static int ReplaceError(const std::string& path) {
    try {
      Replace(path, "new");
    } catch (const std::system_error& e) {
      return e.code().value();
    }
    return 0;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
  }
  // Leftover temporary files show up here.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }

  std::string dir_;
};

TEST_F(SafeWriteTest, ModeBitsOfOldFileOrUmaskForNewOne) {
  for (mode_t mode : {0640, 0755, 0604}) {
    Replace(Path("kept"), "old");
    ::chmod(Path("kept").c_str(), mode);
    Replace(Path("kept"), "new");
    EXPECT_EQ(Read(Path("kept")), "new");
    EXPECT_EQ(Mode(Path("kept")), mode);
  }
  const mode_t previous = ::umask(027);
  Replace(Path("fresh"), "x");
  ::umask(previous);
  EXPECT_EQ(Mode(Path("fresh")), 0640u);
}

TEST_F(SafeWriteTest, SymbolicLinkStaysAndItsTargetChanges) {
  ASSERT_EQ(::mkdir(Path("real").c_str(), 0700), 0);
  Replace(Path("real/page.htm"), "old");
  ASSERT_EQ(::symlink("real/page.htm", Path("link.htm").c_str()), 0);
  Replace(Path("link.htm"), "new");
  EXPECT_TRUE(fs::is_symlink(Path("link.htm")));
  EXPECT_EQ(Read(Path("real/page.htm")), "new");
  EXPECT_EQ(Entries(), (std::set<std::string>{"link.htm", "real"}));

  ASSERT_EQ(::symlink("nowhere", Path("dangling").c_str()), 0);
  Replace(Path("dangling"), "here");
  EXPECT_EQ(Read(Path("dangling")), "here");
}

TEST_F(SafeWriteTest, ThrowingProducerLeavesOldFileAndNoTemporary) {
  Replace(Path("page.htm"), "old");
  try {
    ReplaceFileContent(Path("page.htm"), [](ContentSink& sink) {
      sink.Write(std::string(1u << 20, 'x'));
      throw std::logic_error("producer failed");
    });
    ADD_FAILURE() << "no exception";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "producer failed");
  }
  EXPECT_EQ(Read(Path("page.htm")), "old");
  EXPECT_EQ(Entries(), std::set<std::string>{"page.htm"});
}

TEST_F(SafeWriteTest, RefusedTargetsLeaveTheFolderAsItWas) {
  ASSERT_EQ(::mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(ReplaceError(""), ENOENT);
  EXPECT_EQ(ReplaceError(Path("folder")), EISDIR);
  EXPECT_EQ(ReplaceError(Path("fifo")), EINVAL);
  EXPECT_EQ(ReplaceError(Path("missing/page.htm")), ENOENT);
  EXPECT_EQ(Entries(), (std::set<std::string>{"fifo", "folder"}));
  EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(SafeWriteTest, PermissionsAreHonoured) {
  if (::geteuid() == 0) GTEST_SKIP() << "root passes every permission check";
  Replace(Path("readonly"), "old");
  ::chmod(Path("readonly").c_str(), 0444);
  EXPECT_EQ(ReplaceError(Path("readonly")), EACCES);
  Replace(Path("page.htm"), "old");
  ::chmod(dir_.c_str(), 0500);
  EXPECT_EQ(ReplaceError(Path("page.htm")), EACCES);
  EXPECT_EQ(Read(Path("page.htm")), "old");
}

TEST_F(SafeWriteTest, AwkwardNamesAreTakenLiterally) {
  const std::string names[] = {"with blank.htm", "quote\"and'.htm", "a&b;c.htm", "$(x).htm",
                               "-leading.htm", "\xe9t\xe9.htm", "line\nbreak", std::string(255, 'n')};
  for (const std::string& name : names) {
    Replace(Path(name), "old");
    Replace(Path(name), name);
    EXPECT_EQ(Read(Path(name)), name);
  }
  EXPECT_EQ(Entries(), std::set<std::string>(std::begin(names), std::end(names)));

  // No folder in the name: the working directory.
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  const int error = ReplaceError("plain.htm");
  fs::current_path(previous);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(Read(Path("plain.htm")), "new");
}

}  // namespace
}  // namespace kw
