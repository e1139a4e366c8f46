#include "state/most_recent_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ini_file.h"
#include "common/error.h"
#include "support/temp_files.h"

namespace kw {
namespace {

using Files = std::vector<std::string>;
using test::TempFolder;

RecentFileList ListOf(uint32_t maxFiles, const Files& newestFirst) {
  RecentFileList list;
  list.SetMaxFiles(maxFiles);
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) list.Add(*it);
  return list;
}

TEST(RecentFileListTest, MaxFilesIsClampedAfterComparing) {
  struct Case {
    const char* name;
    uint32_t current, given, stored;
    bool changed;
  } cases[] = {
      {"zero becomes one", 4, 0, 1, true},
      {"twenty becomes eight", 4, 20, 8, true},
      {"twenty over eight is still a change", 8, 20, 8, true},
      {"a wrapped negative becomes eight", 4, uint32_t(-1), 8, true},
      {"the same value is no change", 8, 8, 8, false},
      {"in range kept", 8, 3, 3, true},
  };
  for (const Case& c : cases) {
    RecentFileList list;
    list.SetMaxFiles(c.current);
    EXPECT_EQ(list.SetMaxFiles(c.given), c.changed) << c.name;
    EXPECT_EQ(list.MaxFiles(), c.stored) << c.name;
  }
  EXPECT_EQ(RecentFileList().MaxFiles(), 4u);
}

TEST(RecentFileListTest, AddingKeepsOneEntryPerPathNewestFirst) {
  struct Case {
    const char* name;
    Files before;
    std::string added;
    bool changed;
    Files after;
  } cases[] = {
      {"first entry again keeps its old letter case", {"/d/A.htm", "/d/b.htm"}, "/d/a.htm", false,
       {"/d/A.htm", "/d/b.htm"}},
      {"third entry in other case moves up in the new case", {"/a", "/b", "/d/C\xC9.htm"}, "/D/c\xE9.HTM", true,
       {"/D/c\xE9.HTM", "/a", "/b"}},
      {"new path goes first", {"/a"}, "/b", true, {"/b", "/a"}},
      {"ninth distinct file drops the eighth", {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}, "/9", true,
       {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
      {"a line feed cannot be stored", {"/a"}, "/new\nline", false, {"/a"}},
      {"nor a carriage return", {"/a"}, "/new\rline", false, {"/a"}},
      {"case-blind only for letters", {"/a", "/b["}, "/B{", true, {"/B{", "/a", "/b["}},
  };
  for (const Case& c : cases) {
    RecentFileList list = ListOf(8, c.before);
    EXPECT_EQ(list.Add(c.added), c.changed) << c.name;
    EXPECT_EQ(list.Files(), c.after) << c.name;
  }
}

TEST(RecentFileListTest, LoweringMaxFilesTrimsOnlyAtTheNextAdd) {
  RecentFileList list = ListOf(8, {"/1", "/2", "/3", "/4", "/5"});
  list.SetMaxFiles(2);
  EXPECT_EQ(list.Files().size(), 5u);
  list.Add("/3");
  EXPECT_EQ(list.Files(), (Files{"/3", "/1"}));
}

TEST(RecentFileListTest, MoveAndRemoveByIndex) {
  RecentFileList list = ListOf(8, {"/1", "/2", "/3"});
  list.MoveToTop(2);
  EXPECT_EQ(list.Files(), (Files{"/3", "/1", "/2"}));
  list.Remove(1);
  list.Remove(7);
  EXPECT_EQ(list.Files(), (Files{"/3", "/2"}));
}

class RecentFilesIniTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& text) { return tmp_.Write("kwmru.ini", text); }
  TempFolder tmp_;
};

TEST_F(RecentFilesIniTest, LoadingStopsAtTheFirstEmptySlotAndAtMaxFiles) {
  struct Case {
    const char* name;
    uint32_t maxFiles;
    std::string text;
    Files want;
  } cases[] = {
      {"key 3 empty: 1, 2 only", 8, "[MRU List]\n1=/a\n2=/b\n3=\n4=/d\n", {"/a", "/b"}},
      {"key 3 missing: 1, 2 only", 8, "[MRU List]\n1=/a\n2=/b\n4=/d\n", {"/a", "/b"}},
      {"more keys than MaxFiles", 2, "[MRU List]\n1=/a\n2=/b\n3=/c\n", {"/a", "/b"}},
      {"section and keys without regard to case, keys in any order", 4, "[mru list]\n2=/b\n1=/a\n", {"/a", "/b"}},
      {"other sections ignored", 4, "[Other]\n1=/x\n[MRU List]\n1=/a\n", {"/a"}},
      {"no section", 4, "[Other]\n1=/x\n", {}},
      {"empty first slot", 4, "[MRU List]\n1=\n2=/b\n", {}},
  };
  for (const Case& c : cases) {
    RecentFileList list;
    list.SetMaxFiles(c.maxFiles);
    list.Add("/left over");
    list.LoadFromIni(Put(c.text));
    EXPECT_EQ(list.Files(), c.want) << c.name;
  }
}

TEST_F(RecentFilesIniTest, MissingFileLoadsAnEmptyList) {
  RecentFileList list = ListOf(8, {"/a"});
  list.LoadFromIni(tmp_.File("absent.ini"));
  EXPECT_TRUE(list.Files().empty());
}

TEST_F(RecentFilesIniTest, SavingWritesEverySlotAndKeepsTheRest) {
  const std::string file = Put("; mine\n[Other]\nx=1\n[MRU List]\n1=/old1\n2=/old2\n3=/old3\n9=/beyond\n");
  RecentFileList list = ListOf(4, {"/new"});
  list.SaveToIni(file);
  const IniFile ini(file);
  const std::pair<const char*, const char*> want[] = {{"1", "/new"}, {"2", ""}, {"3", ""}, {"4", ""}, {"9", "/beyond"}};
  for (const auto& [key, value] : want) EXPECT_EQ(ini.ReadString("MRU List", key, "?"), value) << key;
  EXPECT_EQ(ini.ReadString("Other", "x", ""), "1");
  EXPECT_NE(TempFolder::Read(file).find("; mine"), std::string::npos);
}

TEST_F(RecentFilesIniTest, SaveAfterLoweringMaxFilesWritesOnlyTheFirstSlots) {
  const std::string file = tmp_.File("kwmru.ini");
  RecentFileList list = ListOf(8, {"/1", "/2", "/3"});
  list.SetMaxFiles(2);
  list.SaveToIni(file);
  EXPECT_EQ(IniFile(file).ReadSectionKeys("MRU List"), (Files{"1", "2"}));
}

TEST_F(RecentFilesIniTest, PathsComeBackByteForByte) {
  const Files paths = {"/d/caf\xE9 a=b;c.htm", "/[x]/y.htm", "/d/#h\xA0.htm", "/d/\"q\".htm"};
  const std::string file = tmp_.File("round.ini");
  ListOf(8, paths).SaveToIni(file);
  RecentFileList loaded;
  loaded.SetMaxFiles(8);
  loaded.LoadFromIni(file);
  EXPECT_EQ(loaded.Files(), paths);
}

TEST_F(RecentFilesIniTest, UnwritableFileThrows) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  const std::string folder = tmp_.File("locked");
  ASSERT_EQ(mkdir(folder.c_str(), 0500), 0);
  EXPECT_THROW(ListOf(4, {"/a"}).SaveToIni(folder + "/kwmru.ini"), EKempwellError);
  chmod(folder.c_str(), 0700);
}

TEST(RecentFilesNamesTest, IniFileResolution) {
  struct Case {
    const char* name;
    std::string iniFile, executable, want;
  } cases[] = {
      {"a path is kept", "/etc/x/kwmru.ini", "kempwell", "/etc/x/kwmru.ini"},
      {"a relative path with a folder is kept", "sub/kwmru.ini", "kempwell", "sub/kwmru.ini"},
      {"a bare name goes to the program folder", "kwmru.ini", "kempwell", "/p/kwmru.ini"},
      {"empty: the program's name plus .ini", "", "kempwell", "/p/kempwell.ini"},
      {"empty: the extension is replaced", "", "kempwell.bin", "/p/kempwell.ini"},
      {"empty: only the last extension", "", "k.2.bin", "/p/k.2.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveRecentFilesIni(c.iniFile, "/p", c.executable), c.want) << c.name;
}

TEST(RecentFilesNamesTest, Captions) {
  EXPECT_EQ(RecentFileCaption(0, "/d/e/page.htm", true), "&1  /d/e/page.htm");
  EXPECT_EQ(RecentFileCaption(0, "/d/e/page.htm", false), "&1  page.htm");
  EXPECT_EQ(RecentFileCaption(7, "page.htm", false), "&8  page.htm");
}

TEST(RecentFilesNamesTest, OnlyNonFoldersCountAsFiles) {
  TempFolder tmp;
  const std::string file = tmp.Write("f.htm", "x");
  ASSERT_EQ(symlink(file.c_str(), tmp.File("link").c_str()), 0);
  ASSERT_EQ(symlink(tmp.File("gone").c_str(), tmp.File("dangling").c_str()), 0);
  EXPECT_TRUE(IsExistingFile(file));
  EXPECT_TRUE(IsExistingFile(tmp.File("link")));
  EXPECT_FALSE(IsExistingFile(tmp.File("dangling")));
  EXPECT_FALSE(IsExistingFile(tmp.Path()));
  EXPECT_FALSE(IsExistingFile(tmp.File("missing")));
}

}  // namespace
}  // namespace kw
