#include "common/safe_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include "support/temp_files.h"

namespace kw {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// The errno that replacing path's content fails with, or 0.
int Replace(const std::string& path, const std::string& content = "new") {
  try {
    ReplaceFileContent(path, [&](ContentSink& sink) { sink.Write(content); });
  } catch (const std::system_error& e) {
    return e.code().value();
  }
  return 0;
}

class SafeWriteTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp_.File(name); }
  // Leftover temporary files show up here.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(tmp_.Path())) names.insert(e.path().filename().string());
    return names;
  }

  TempFolder tmp_;
};

TEST_F(SafeWriteTest, ModeBitsOfOldFileOrUmaskForNewOne) {
  ::chmod(tmp_.Write("kept", "old").c_str(), 0604);
  Replace(Path("kept"), "new");
  EXPECT_EQ(TempFolder::Mode(Path("kept")), 0604u);
  const mode_t previous = ::umask(027);
  Replace(Path("fresh"), "x");
  ::umask(previous);
  EXPECT_EQ(TempFolder::Mode(Path("fresh")), 0640u);
}

TEST_F(SafeWriteTest, SymbolicLinkStaysAndItsTargetChanges) {
  tmp_.Write("page.htm", "old");
  ASSERT_EQ(::symlink("page.htm", Path("link.htm").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", Path("dangling").c_str()), 0);
  Replace(Path("link.htm"), "new");
  Replace(Path("dangling"), "here");
  EXPECT_TRUE(fs::is_symlink(Path("link.htm")));
  EXPECT_EQ(TempFolder::Read(Path("page.htm")), "new");
  EXPECT_EQ(TempFolder::Read(Path("dangling")), "here");
  EXPECT_EQ(Entries(), (std::set<std::string>{"dangling", "link.htm", "page.htm"}));
}

TEST_F(SafeWriteTest, ThrowingProducerLeavesOldFileAndNoTemporary) {
  tmp_.Write("page.htm", "old");
  const auto produce = [](ContentSink& sink) {
    sink.Write(std::string(1u << 20, 'x'));  // past the write buffer, so the temporary file has data
    throw std::logic_error("producer failed");
  };
  EXPECT_THROW(ReplaceFileContent(Path("page.htm"), produce), std::logic_error);
  EXPECT_EQ(TempFolder::Read(Path("page.htm")), "old");
  EXPECT_EQ(Entries(), std::set<std::string>{"page.htm"});
}

TEST_F(SafeWriteTest, RefusedTargetsLeaveTheFolderAsItWas) {
  ASSERT_EQ(::mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(Replace(""), ENOENT);
  EXPECT_EQ(Replace(Path("folder")), EISDIR);
  EXPECT_EQ(Replace(Path("fifo")), EINVAL);  // renaming would swap the node for a file
  EXPECT_EQ(Replace(Path("missing/page.htm")), ENOENT);
  EXPECT_EQ(Entries(), (std::set<std::string>{"fifo", "folder"}));
}

// Renaming needs only the folder's permission, so the file's must be checked.
TEST_F(SafeWriteTest, ReadOnlyFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root passes every permission check";
  ::chmod(tmp_.Write("readonly", "old").c_str(), 0444);
  EXPECT_EQ(Replace(Path("readonly")), EACCES);
  EXPECT_EQ(TempFolder::Read(Path("readonly")), "old");
}

TEST_F(SafeWriteTest, AwkwardNamesAreTakenLiterally) {
  const std::string names[] = {"with blank.htm", "quote\"and'.htm", "a&b;c.htm", "$(x).htm",
                               "-leading.htm",   "\xe9t\xe9.htm",   "line\nbreak", std::string(255, 'n')};
  for (const std::string& name : names) {
    Replace(Path(name), "old");
    Replace(Path(name), name);
    EXPECT_EQ(TempFolder::Read(Path(name)), name);
  }
  EXPECT_EQ(Entries(), std::set<std::string>(std::begin(names), std::end(names)));
}

}  // namespace
}  // namespace kw
