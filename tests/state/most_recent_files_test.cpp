#include "state/most_recent_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

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

TEST(RecentFileListTest, MaxFilesIsComparedBeforeItIsClamped) {
  // current, given, stored, changed: 20 over 8 still counts as a change.
  const std::tuple<uint32_t, uint32_t, uint32_t, bool> cases[] = {
      {4, 0, 1, true}, {8, 20, 8, true}, {4, uint32_t(-1), 8, true}, {8, 8, 8, false}};
  for (const auto& [current, given, stored, changed] : cases) {
    RecentFileList list;
    list.SetMaxFiles(current);
    EXPECT_EQ(list.SetMaxFiles(given), changed) << given;
    EXPECT_EQ(list.MaxFiles(), stored) << given;
  }
}

TEST(RecentFileListTest, AddingKeepsOneEntryPerPathNewestFirst) {
  struct Case { const char* name; Files before; std::string added; bool changed; Files after; } cases[] = {
      {"first entry again keeps its old letter case", {"/d/A.htm", "/d/b.htm"}, "/d/a.htm", false,
       {"/d/A.htm", "/d/b.htm"}},
      {"third entry in other case moves up in the new case", {"/a", "/b", "/d/C\xC9.htm"}, "/D/c\xE9.HTM", true,
       {"/D/c\xE9.HTM", "/a", "/b"}},
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

TEST(RecentFilesIniTest, LoadingStopsAtTheFirstGapAndAtMaxFiles) {
  // A null text: no file.
  struct Case { const char* name; uint32_t maxFiles; const char* text; Files want; } cases[] = {
      {"key 3 empty", 8, "[MRU List]\n1=/a\n2=/b\n3=\n4=/d\n", {"/a", "/b"}},
      {"key 3 missing", 8, "[MRU List]\n1=/a\n2=/b\n4=/d\n", {"/a", "/b"}},
      {"more keys than MaxFiles", 2, "[MRU List]\n1=/a\n2=/b\n3=/c\n", {"/a", "/b"}},
      {"any letter case, keys in any order", 4, "[mru list]\n2=/b\n1=/a\n", {"/a", "/b"}},
      {"no file", 4, nullptr, {}},
  };
  const TempFolder tmp;
  for (const Case& c : cases) {
    RecentFileList list;
    list.SetMaxFiles(c.maxFiles);
    list.Add("/left over");
    list.LoadFromIni(c.text ? tmp.Write("kwmru.ini", c.text) : tmp.File("absent.ini"));
    EXPECT_EQ(list.Files(), c.want) << c.name;
  }
}

TEST(RecentFilesIniTest, SavingWritesExactlyMaxFilesSlotsAndKeepsTheRest) {
  const TempFolder tmp;
  const std::string file = tmp.Write("kwmru.ini", "[Other]\nx=1\n[MRU List]\n1=/o1\n3=/o3\n9=/beyond\n");
  ListOf(4, {"/new"}).SaveToIni(file);
  const IniFile ini(file);
  const std::pair<const char*, const char*> want[] = {{"1", "/new"}, {"2", ""}, {"3", ""}, {"4", ""}, {"9", "/beyond"}};
  for (const auto& [key, value] : want) EXPECT_EQ(ini.ReadString("MRU List", key, "?"), value) << key;
  EXPECT_EQ(ini.ReadString("Other", "x", ""), "1");

  RecentFileList lowered = ListOf(8, {"/1", "/2", "/3"});
  lowered.SetMaxFiles(2);
  lowered.SaveToIni(tmp.File("lowered.ini"));
  EXPECT_EQ(IniFile(tmp.File("lowered.ini")).ReadSectionKeys("MRU List"), (Files{"1", "2"}));
}

TEST(RecentFilesIniTest, PathsComeBackByteForByte) {
  const TempFolder tmp;
  const Files paths = {"/d/caf\xE9 a=b;c.htm", "/[x]/y.htm", "/d/#h\xA0.htm", "/d/\"q\".htm"};
  ListOf(8, paths).SaveToIni(tmp.File("round.ini"));
  RecentFileList loaded = ListOf(8, {});
  loaded.LoadFromIni(tmp.File("round.ini"));
  EXPECT_EQ(loaded.Files(), paths);
}

TEST(RecentFilesIniTest, UnwritableFileThrows) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  const TempFolder tmp;
  const std::string folder = tmp.File("locked");
  ASSERT_EQ(mkdir(folder.c_str(), 0500), 0);
  EXPECT_THROW(ListOf(4, {"/a"}).SaveToIni(folder + "/kwmru.ini"), EKempwellError);
  chmod(folder.c_str(), 0700);
}

TEST(RecentFilesNamesTest, IniFileResolution) {
  EXPECT_EQ(ResolveRecentFilesIni("/etc/x/kwmru.ini", "/p", "kempwell"), "/etc/x/kwmru.ini");
  EXPECT_EQ(ResolveRecentFilesIni("kwmru.ini", "/p", "kempwell"), "/p/kwmru.ini");
  EXPECT_EQ(ResolveRecentFilesIni("", "/p", "k.2.bin"), "/p/k.2.ini");
}

}  // namespace
}  // namespace kw
