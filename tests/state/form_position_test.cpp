#include "state/form_position.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/ini_file.h"
#include "common/error.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"
#include "support/thrown.h"

namespace kw {
namespace {

using test::ScopedEnv;
using test::TempFolder;

TEST(FormPositionTest, ClampKeepsTheRightAndBottomEdgesOnTheScreen) {
  struct Case {
    const char* name;
    TWindowBounds window;
    TWindowBounds want;
  };
  // Screen 1024 x 768 throughout.
  const Case cases[] = {
      {"inside stays", {10, 20, 600, 400}, {10, 20, 600, 400}},
      {"touching both edges stays", {424, 368, 600, 400}, {424, 368, 600, 400}},
      {"one past the right edge", {425, 20, 600, 400}, {424, 20, 600, 400}},
      {"past the bottom only", {10, 500, 600, 400}, {10, 368, 600, 400}},
      {"past both, as after a smaller screen", {1200, 900, 600, 400}, {424, 368, 600, 400}},
      {"wider than the screen gets a negative left", {0, 0, 1100, 400}, {-76, 0, 1100, 400}},
      {"taller than the screen gets a negative top", {0, 0, 600, 800}, {0, -32, 600, 800}},
      {"beyond the left and top is not moved", {-300, -200, 600, 400}, {-300, -200, 600, 400}},
      {"sums beyond 32 bits", {INT_MAX, INT_MAX, INT_MAX, 1}, {1024 - INT_MAX, 767, INT_MAX, 1}},
      {"no bounds at all", {-1, -1, -1, -1}, {-1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    const TWindowBounds got = ClampToScreen(c.window, 1024, 768);
    EXPECT_EQ(got, c.want) << c.name << ": got " << got.Left << "," << got.Top << " " << got.Width << "x" << got.Height;
  }
}

TEST(FormPositionTest, OnlyOneAndTwoAreNotANormalWindow) {
  const std::pair<int32_t, TWindowState> cases[] = {
      {0, TWindowState::wsNormal},     {1, TWindowState::wsMinimized}, {2, TWindowState::wsMaximized},
      {3, TWindowState::wsNormal},     {7, TWindowState::wsNormal},    {-1, TWindowState::wsNormal},
      {INT_MIN, TWindowState::wsNormal},
  };
  for (const auto& [stored, want] : cases)
    EXPECT_EQ(AppliedState(static_cast<TWindowState>(stored)), want) << stored;
}

TEST(FormPositionTest, BoundsAreKeptUnlessAllFourAreMinusOne) {
  EXPECT_FALSE(HasStoredBounds({}));
  EXPECT_FALSE(HasStoredBounds({-1, -1, -1, -1, TWindowState::wsMaximized}));
  EXPECT_TRUE(HasStoredBounds({0, 0, 0, 0}));
  EXPECT_TRUE(HasStoredBounds({-1, -1, -1, 0}));
  EXPECT_TRUE(HasStoredBounds({5, -1, -1, -1}));
  // -1 and -2 AND to -2: not all ones.
  EXPECT_TRUE(HasStoredBounds({-1, -2, -1, -1}));
}

TEST(FormPositionTest, TheStoreIsNamedAfterTheExecutable) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/kempwell", "kempwell.ini"},
      {"/opt/kempwell-2.0/bin/kempwell", "kempwell.ini"},  // a dot in a folder is no extension
      {"/tmp/prog.exe", "prog.ini"},
      {"/tmp/a.b.c", "a.b.ini"},
      {"kempwell", "kempwell.ini"},
  };
  for (const auto& [exe, want] : cases) EXPECT_EQ(DefaultNameKey(exe), want) << exe;
}

TEST(FormPositionTest, WritingAppendsIniUnlessTheExtensionIsIni) {
  const std::pair<const char*, const char*> cases[] = {
      {"pos", "pos.ini"},           {"pos.ini", "pos.ini"},         {"pos.INI", "pos.INI"},
      {"pos.Ini", "pos.Ini"},       {"pos.txt", "pos.txt.ini"},     {"pos.inix", "pos.inix.ini"},
      {"pos.", "pos..ini"},         {"/etc.ini/pos", "/etc.ini/pos.ini"},
      {"a/b.ini", "a/b.ini"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(WithIniExtension(name), want) << name;
}

TEST(FormPositionTest, ABareNameLivesInTheUserConfigFolder) {
  {
    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg/here/");
    EXPECT_EQ(FormPositionStorePath("kempwell.ini"), "/cfg/here/kempwell.ini");
    EXPECT_EQ(FormPositionStorePath("/var/pos.ini"), "/var/pos.ini");
    EXPECT_EQ(FormPositionStorePath("sub/pos.ini"), "sub/pos.ini");
  }
  for (const char* unusable : {"", "relative/cfg"}) {
    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(FormPositionStorePath("kempwell.ini"), "/home/someone/.config/kempwell.ini") << unusable;
  }
}

class FormPositionIniTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& text) { return tmp_.Write("pos.ini", text); }
  TempFolder tmp_;
};

TEST_F(FormPositionIniTest, ReadingFillsWhatIsMissingOrNoNumberWithDefaults) {
  struct Case {
    const char* name;
    const char* file;
    TFormPosition want;
  };
  const Case cases[] = {
      {"no file", nullptr, {}},
      {"other section", "[Form2]\nLeft=5\n", {}},
      {"all five, section in any case",
       "[form1]\nLeft=10\nTop=20\nWidth=300\nHeight=200\nWindowState=2\n",
       {10, 20, 300, 200, TWindowState::wsMaximized}},
      {"only left and top", "[Form1]\nLeft=10\nTop=20\n", {10, 20, -1, -1}},
      {"not numbers", "[Form1]\nLeft=ten\nTop=\nWidth=3px\nHeight=$10\nWindowState=max\n", {-1, -1, -1, 16}},
      {"a state of 7 reads as 7", "[Form1]\nWindowState=7\n", {-1, -1, -1, -1, static_cast<TWindowState>(7)}},
  };
  for (const Case& c : cases) {
    const std::string path = c.file ? Put(c.file) : tmp_.File("missing.ini");
    const TFormPosition got = ReadFormPosition(IniFile(path), "Form1");
    EXPECT_EQ(got, c.want) << c.name;
  }
}

TEST_F(FormPositionIniTest, WrittenValuesReadBackAndOtherContentStays) {
  const std::string path = Put("; mine\n[Other]\nx=1\n[FORM1]\nTop=999\nExtra=keep\n");
  const TFormPosition written{-76, INT_MIN, INT_MAX, 0, static_cast<TWindowState>(7)};
  {
    IniFile ini(path);
    WriteFormPosition(ini, "Form1", written);
  }
  const IniFile ini(path);
  EXPECT_EQ(ReadFormPosition(ini, "Form1"), written);
  EXPECT_EQ(ini.ReadString("Other", "x", "?"), "1");
  EXPECT_EQ(ini.ReadString("Form1", "Extra", "?"), "keep");
  EXPECT_EQ(ini.ReadString("Form1", "Left", "?"), "-76");
  EXPECT_EQ(ini.ReadString("Form1", "WindowState", "?"), "7");

  const IniFile fresh([&] {
    IniFile out(tmp_.File("new.ini"));
    WriteFormPosition(out, "Form1", {1, 2, 3, 4, TWindowState::wsMinimized});
    return out.FileName();
  }());
  EXPECT_EQ(fresh.ReadSectionKeys("Form1"),
            (std::vector<std::string>{"Left", "Top", "Width", "Height", "WindowState"}));
}

TEST_F(FormPositionIniTest, AWriteThatFailsNamesTheFile) {
  const std::string path = tmp_.Write("file", "") + "/pos.ini";
  IniFile ini(path);
  EXPECT_EQ(test::ThrownText<EKempwellError>([&] { WriteFormPosition(ini, "Form1", {}); }),
            "Unable to write to " + path);
}

}  // namespace
}  // namespace kw
