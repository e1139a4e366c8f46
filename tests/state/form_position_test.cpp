#include "state/form_position.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "state/ini_file.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"

namespace kw {
namespace {

using test::ScopedEnv;
using test::TempFolder;

TEST(FormPositionTest, TheFramedWindowIsClampedIntoTheScreenHoldingMostOfIt) {
  using Screens = std::vector<TWindowBounds>;
  const Screens none, one{{0, 0, 1024, 768}}, panelOnTop{{0, 30, 1024, 738}},
      two{{0, 0, 1024, 768}, {1024, 0, 1280, 1024}};
  const FrameMargins bare, titled{2, 20, 2, 2};
  const std::tuple<const char*, const Screens&, FrameMargins, TWindowBounds, TWindowBounds> cases[] = {
      {"fits: exactly where it was", one, titled, {100, 50, 600, 400}, {100, 50, 600, 400}},
      {"touching both edges but for its frame", one, titled, {424, 368, 600, 400}, {420, 346, 600, 400}},
      {"one past the right edge", one, bare, {425, 20, 600, 400}, {424, 20, 600, 400}},
      {"past the bottom only", one, bare, {10, 500, 600, 400}, {10, 368, 600, 400}},
      {"beyond the left and top", one, bare, {-300, -200, 600, 400}, {0, 0, 600, 400}},
      {"under a panel", panelOnTop, bare, {10, 0, 600, 400}, {10, 30, 600, 400}},
      {"wider than the screen, taller only framed", one, titled, {-50, 40, 1100, 760}, {0, 0, 1020, 746}},
      {"on the second screen it stays", two, titled, {1500, 600, 800, 400}, {1500, 600, 800, 400}},
      {"a screen on the left gone", one, bare, {-1500, 100, 800, 400}, {0, 100, 800, 400}},
      {"mostly on the second screen", two, bare, {900, 900, 400, 300}, {1024, 724, 400, 300}},
      {"the frame tips it onto the second screen", two, titled, {826, 100, 396, 300}, {1024, 100, 396, 300}},
      {"below the second screen, on none: the primary", two, bare, {1500, 5000, 400, 300}, {624, 468, 400, 300}},
      {"no screens at all: as it was", none, bare, {-300, -200, 600, 400}, {-300, -200, 600, 400}},
      {"sums beyond 32 bits", one, bare, {INT_MAX, INT_MAX, INT_MAX, 1}, {0, 767, 1024, 1}},
  };
  for (const auto& [name, screens, frame, window, want] : cases) {
    const TWindowBounds got = ClampToScreens(window, frame, screens);
    EXPECT_EQ(got, want) << name << ": " << got.Left << "," << got.Top << " " << got.Width << "x" << got.Height;
  }
}

TEST(FormPositionTest, StoredStateAndBounds) {
  for (int32_t stored : {3, 7, -1, INT_MIN})
    EXPECT_EQ(AppliedState(static_cast<TWindowState>(stored)), TWindowState::wsNormal) << stored;
  EXPECT_EQ(AppliedState(TWindowState::wsMinimized), TWindowState::wsMinimized);
  EXPECT_FALSE(HasStoredBounds({-1, -1, -1, -1, TWindowState::wsMaximized}));
  EXPECT_TRUE(HasStoredBounds({-1, -1, -1, 0}));
  EXPECT_TRUE(HasStoredBounds({-1, -2, -1, -1}));  // ANDed together: -2, not all ones
}

TEST(FormPositionTest, TheStoreIsNamedAfterTheExecutableAndEndsInIni) {
  EXPECT_EQ(DefaultNameKey("/opt/kempwell-2.0/bin/kempwell"), "kempwell.ini");  // a dot in a folder is no extension
  EXPECT_EQ(DefaultNameKey("/tmp/a.b.c"), "a.b.ini");
  const std::pair<const char*, const char*> names[] = {{"pos", "pos.ini"},          {"pos.INI", "pos.INI"},
                                                       {"pos.txt", "pos.txt.ini"},  {"pos.inix", "pos.inix.ini"},
                                                       {"/etc.ini/pos", "/etc.ini/pos.ini"}};
  for (const auto& [name, want] : names) EXPECT_EQ(WithIniExtension(name), want) << name;
}

TEST(FormPositionTest, ABareNameLivesInTheUserConfigFolder) {
  const ScopedEnv home("HOME", "/home/someone");
  for (const char* config : {"/cfg/here/", "", "relative/cfg"}) {
    const ScopedEnv xdg("XDG_CONFIG_HOME", config);
    const std::string folder = *config == '/' ? "/cfg/here" : "/home/someone/.config";
    EXPECT_EQ(FormPositionStorePath("kempwell.ini"), folder + "/kempwell.ini") << config;
    EXPECT_EQ(FormPositionStorePath("sub/pos.ini"), "sub/pos.ini");
  }
}

// Missing keys read as their defaults; what is written reads back, whatever its values.
TEST(FormPositionIniTest, WrittenValuesReadBackMissingOnesAsDefaults) {
  const TempFolder tmp;
  const std::string path = tmp.File("pos.ini");
  EXPECT_EQ(ReadFormPosition(IniFile(path), "Form1"), TFormPosition{});
  const TFormPosition written{-76, INT_MIN, INT_MAX, 0, static_cast<TWindowState>(7)};
  IniFile ini(path);
  WriteFormPosition(ini, "Form1", written);
  EXPECT_EQ(ReadFormPosition(IniFile(path), "Form1"), written);
}

}  // namespace
}  // namespace kw
