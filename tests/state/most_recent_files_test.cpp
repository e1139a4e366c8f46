#include "state/most_recent_files.h"

#include <gtest/gtest.h>

#include <tuple>

#include "state/ini_file.h"
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
      {"the first entry again changes nothing", {"/d/a.htm", "/d/b.htm"}, "/d/a.htm", false, {"/d/a.htm", "/d/b.htm"}},
      {"another letter case is another file", {"/d/A.htm", "/d/b.htm"}, "/d/a.htm", true,
       {"/d/a.htm", "/d/A.htm", "/d/b.htm"}},
      {"a later entry moves up, its other-case twin stays", {"/a", "/d/C\xC9.htm", "/d/c\xE9.htm"}, "/d/c\xE9.htm", true,
       {"/d/c\xE9.htm", "/a", "/d/C\xC9.htm"}},
      {"ninth distinct file drops the eighth", {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}, "/9", true,
       {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
      {"a line feed cannot be stored", {"/a"}, "/new\nline", false, {"/a"}},
      {"nor a carriage return", {"/a"}, "/new\rline", false, {"/a"}},
      {"nor nothing, which would end the stored list", {"/a"}, "", false, {"/a"}},
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
      {"more keys than MaxFiles", 2, "[MRU List]\n1=/a\n2=/b\n3=/c\n", {"/a", "/b"}},
      {"any letter case, keys in any order", 4, "[mru list]\n2=/b\n1=/a\n", {"/a", "/b"}},
      {"no file", 4, nullptr, {}},
      // Quotes are taken off only where the writer puts them, so older files read as before.
      {"quoted edges", 4, "[MRU List]\n1=\" /x \"\n2=\"/y\"\n3=\"\"\"\"\n", {" /x ", "\"/y\"", "\"\""}},
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
  const std::string file = tmp.Write("kwmru.ini", "[MRU List]\n1=/o1\n3=/o3\n9=/beyond\n");
  ListOf(4, {"/new"}).SaveToIni(file);
  const IniFile ini(file);
  const std::pair<const char*, const char*> want[] = {
      {"1", "/new"}, {"2", "/o1"}, {"3", ""}, {"4", ""}, {"5", "?"}, {"9", "/beyond"}};
  for (const auto& [key, value] : want) EXPECT_EQ(ini.ReadString("MRU List", key, "?"), value) << key;
}

// Two windows closing in turn: the later keeps the earlier's new entries,
// but not one that it dropped itself as gone. Paths come back byte for byte.
TEST(RecentFilesIniTest, SavingMergesWithTheFileOnDisk) {
  const TempFolder tmp;
  const std::string file = tmp.Write("kwmru.ini", "[MRU List]\n1=/shared\n2=/gone\n");
  const Files added = {"/d/caf\xE9 a=b;c.htm", "/[x]/#h\xA0.htm", " /lead", "/trail ", "/tab\t", "\"/q\""};
  RecentFileList first = ListOf(8, {}), second = ListOf(8, {}), later = ListOf(8, {});
  first.LoadFromIni(file);
  second.LoadFromIni(file);
  for (const std::string& path : added) first.Add(path);
  second.Remove(1);
  second.Add("/s");
  first.SaveToIni(file);
  second.SaveToIni(file);
  later.LoadFromIni(file);
  Files want = {"/s", "/shared"};
  want.insert(want.end(), added.rbegin(), added.rend());
  EXPECT_EQ(later.Files(), want);
}

TEST(RecentFilesNamesTest, IniFileResolutionAndFilesThatExist) {
  EXPECT_EQ(ResolveRecentFilesIni("/etc/x/kwmru.ini", "/p", "kempwell"), "/etc/x/kwmru.ini");
  EXPECT_EQ(ResolveRecentFilesIni("kwmru.ini", "/p", "kempwell"), "/p/kwmru.ini");
  EXPECT_EQ(ResolveRecentFilesIni("", "/p", "k.2.bin"), "/p/k.2.ini");
  const TempFolder tmp;
  EXPECT_TRUE(IsExistingFile(tmp.Write("f", "")));
  EXPECT_FALSE(IsExistingFile(tmp.Path()));
  EXPECT_FALSE(IsExistingFile(tmp.File("gone")));
}

}  // namespace
}  // namespace kw
