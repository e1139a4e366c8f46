#include "common/paths.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_files.h"

namespace kw {
namespace {

TEST(Paths, ExpandLongPathNormalisesExistingPathsOnly) {
  const std::string oldCwd = CurrentDirectory();
  const test::TempFolder tmp;
  ASSERT_EQ(chdir(tmp.Path().c_str()), 0);
  const std::string base = CurrentDirectory();
  for (const char* dir : {"b", "sub"}) std::filesystem::create_directory(dir);
  tmp.Write("a.htm", "a");
  ASSERT_EQ(symlink("nowhere", "dangling"), 0);
  ASSERT_EQ(symlink("../sub", "b/lnk"), 0);
  const std::pair<std::string, std::string> cases[] = {
      {"./sub/../a.htm", base + "/a.htm"}, {"/" + base + "//b/./lnk/", base + "/b/lnk"},  // links are kept
      {"dangling", base + "/dangling"}, {"/../..", "/"}, {"missing.htm", ""}, {"", ""},
      {"b/lnk/../a.htm", ""},  // the kernel finds sub/../a.htm, but b/a.htm is missing
  };
  for (const auto& [given, want] : cases) EXPECT_EQ(ExpandLongPath(given), want) << given;
  EXPECT_TRUE(PathExists("dangling")) << "a link to nothing is still an entry";
  EXPECT_EQ(AbsolutePath("missing/../x"), base + "/x") << "needs no existing entry";
  EXPECT_EQ(chdir(oldCwd.c_str()), 0);
}

TEST(Paths, FolderPartAndJoinPath) {
  const std::pair<const char*, const char*> folders[] = {
      {"/a/b.htm", "/a"}, {"/b.htm", "/"}, {"b.htm", ""}, {"/", "/"}, {"a/b/", "a/b"}, {"", ""},
  };
  for (const auto& [path, want] : folders) EXPECT_EQ(FolderPart(path), want) << path;
  EXPECT_EQ(JoinPath("/a", "b.htm"), "/a/b.htm");
  EXPECT_EQ(JoinPath("/", "x"), "//x");
  EXPECT_EQ(JoinPath("", "x"), "/x");
}

}  // namespace
}  // namespace kw
