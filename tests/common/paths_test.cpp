#include "common/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kw {
namespace {

namespace fs = std::filesystem;

const std::string kAwkward = "-a b;&$(x)'\"\xE9t\xE9.htm";

// Works inside a scratch folder made the working directory:
//   a.htm, sub/x.htm, <awkward name>, dangling -> nowhere, link -> sub,
//   b/lnk -> ../sub (so "b/lnk/.." is "sub/.." to the kernel but "b" lexically)
class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldCwd_ = CurrentDirectory();
    std::string tmpl = (fs::temp_directory_path() / "kw-paths-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    tmp_ = tmpl;
    ASSERT_EQ(chdir(tmp_.c_str()), 0);
    base_ = CurrentDirectory();
    fs::create_directories("sub");
    fs::create_directories("b");
    std::ofstream("a.htm") << "a";
    std::ofstream("sub/x.htm") << "x";
    std::ofstream(kAwkward) << "odd";
    ASSERT_EQ(symlink("nowhere", "dangling"), 0);
    ASSERT_EQ(symlink("sub", "link"), 0);
    ASSERT_EQ(symlink("../sub", "b/lnk"), 0);
  }
  void TearDown() override {
    EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
    fs::remove_all(tmp_);
  }

  std::string oldCwd_, tmp_, base_;
};

TEST_F(PathsTest, PathExistsSeesEveryKindOfEntry) {
  EXPECT_TRUE(PathExists("a.htm"));
  EXPECT_TRUE(PathExists("sub"));
  EXPECT_TRUE(PathExists(base_ + "/sub/x.htm"));
  EXPECT_TRUE(PathExists("dangling")) << "a link to nothing is still an entry";
  EXPECT_TRUE(PathExists(kAwkward));
  EXPECT_FALSE(PathExists("missing.htm"));
  EXPECT_FALSE(PathExists(""));
}

TEST_F(PathsTest, ExpandLongPathNormalisesExistingPathsOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"a.htm", base_ + "/a.htm"},
      {"./sub/../a.htm", base_ + "/a.htm"},
      {"/" + base_ + "//sub/./x.htm", base_ + "/sub/x.htm"},
      {"sub/", base_ + "/sub"},
      {"link/x.htm", base_ + "/link/x.htm"},  // links are kept
      {"dangling", base_ + "/dangling"},
      {kAwkward, base_ + "/" + kAwkward},
      {"/", "/"},
      {"/../..", "/"},
      {"missing.htm", ""},
      {"", ""},
      // The kernel finds sub/../a.htm through the link, but the lexical
      // result names b/a.htm, which does not exist.
      {"b/lnk/../a.htm", ""},
  };
  for (const auto& [given, want] : cases) EXPECT_EQ(ExpandLongPath(given), want) << given;
}

TEST_F(PathsTest, AbsolutePathNeedsNoExistingEntry) {
  EXPECT_EQ(AbsolutePath(""), "");
  EXPECT_EQ(AbsolutePath("missing/../x"), base_ + "/x");
  EXPECT_EQ(AbsolutePath("/a//b/./c/.."), "/a/b");
  EXPECT_EQ(AbsolutePath(".."), FolderPart(base_));
  EXPECT_EQ(CurrentDirectory(), base_);
}

TEST(Paths, FolderPartAndJoinPath) {
  const std::pair<const char*, const char*> folders[] = {
      {"/a/b.htm", "/a"}, {"/b.htm", "/"}, {"b.htm", ""}, {"/", "/"},
      {"a/b/", "a/b"}, {"", ""}, {"/a b/\xE9.htm", "/a b"},
  };
  for (const auto& [path, want] : folders) EXPECT_EQ(FolderPart(path), want) << path;
  EXPECT_EQ(JoinPath("/", "x"), "//x");
  EXPECT_EQ(JoinPath("/a", "b.htm"), "/a/b.htm");
  EXPECT_EQ(JoinPath("", "x"), "/x");
}

}  // namespace
}  // namespace kw
