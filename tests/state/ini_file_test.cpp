#include "state/ini_file.h"

#include <gtest/gtest.h>

#include <climits>

#include "common/error.h"
#include "support/temp_files.h"
#include "support/thrown.h"

namespace kw {
namespace {

using test::TempFolder;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& text) { return tmp_.Write(kName, text); }
  std::string Get() const { return TempFolder::Read(tmp_.File(kName)); }

  static constexpr const char* kName = "-a b;&$(x)'\"\xE9t\xE9.ini";  // no name may trouble it
  TempFolder tmp_;
  const std::string path_ = tmp_.File(kName);
};

TEST_F(IniFileTest, NumbersAndBooleansFollowOneRule) {
  const std::optional<int32_t> no;
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"0", 0}, {"1", 1}, {"-1", -1}, {"+7", 7}, {" \t42\t ", 42}, {"00010", 10}, {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN}, {"2147483648", no}, {"-2147483649", no}, {"99999999999999999999", no},
      {"$FFFFFFFF", -1}, {"0x80000000", INT_MIN}, {"0x0", 0}, {"0x10", 16}, {"0XfF", 255}, {"$0", 0},
      {"-$10", no}, {"+0x10", no}, {"-0x10", no}, {"$000000000", 0}, {"0x00000000FFFFFFFF", -1},
      {"0x", no}, {"$", no}, {"$100000000", no}, {"$0100000000", no}, {"", no}, {"abc", no}, {"12a", no},
      {"0x1g", no}, {"1 2", no}, {"--1", no}, {"$-1", no}, {"1.0", no},
  };
  std::string text = "[n]\n";
  for (size_t i = 0; i < std::size(cases); ++i) text += std::to_string(i) + "=" + cases[i].first + "\n";
  const IniFile ini(Put(text));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& [given, want] = cases[i];
    const std::string key = std::to_string(i);
    EXPECT_EQ(ParseIniInteger(given), want) << '"' << given << '"';
    EXPECT_EQ(ini.ReadInteger("n", key, -5), want.value_or(-5)) << '"' << given << '"';
    for (const bool def : {false, true})
      EXPECT_EQ(ini.ReadBool("n", key, def), want ? *want != 0 : def) << '"' << given << '"';
  }
}

TEST_F(IniFileTest, ReadsSectionsKeysAndLineBreaksAsWritten) {
  Put("orphan=1\r\n  [ Main ]  \r\n; hidden=1\r#also=1\n  Width  =  640 px \nurl=a=b\nWIDTH=999\n"
      "\xC9t\xC9=summer\n=nokey\n[main]\nlate=1\n[Other]\nWidth=3");
  const IniFile ini(path_);
  EXPECT_EQ(ini.ReadString("main", "width", "?"), "640 px");
  EXPECT_EQ(ini.ReadString("MAIN", "url", "?"), "a=b");
  EXPECT_EQ(ini.ReadString("main", "\xE9t\xE9", "?"), "summer");
  for (const char* hidden : {"orphan", "hidden", "#also", "late"})
    EXPECT_EQ(ini.ReadString("main", hidden, "?"), "?") << hidden;
  EXPECT_EQ(ini.ReadString("other", "width", "?"), "3");
  EXPECT_EQ(ini.ReadSectionKeys("Main"), (std::vector<std::string>{"Width", "url", "\xC9t\xC9"}));
}

TEST_F(IniFileTest, WritesChangeOnlyTheirOwnLines) {
  IniFile(path_).WriteString("A", "k", "v");
  EXPECT_EQ(Get(), "[A]\nk=v\n") << "no blank line before the first section";

  Put("; settings\r\n[Main]\r\n  Width =  640\r\n# note\r\n\r\n[Empty]\r\n[Last]\r\nx=1\r\n\r\n");
  IniFile ini(path_);
  ini.WriteInteger("MAIN", "width", 800);
  ini.WriteString("main", "Height", "480");
  ini.WriteBool("empty", "On", true);
  ini.WriteBool("New", "Off", false);
  EXPECT_EQ(Get(), "; settings\n[Main]\n  Width =  800\nHeight=480\n# note\n\n[Empty]\nOn=1\n"
                   "[Last]\nx=1\n\n[New]\nOff=0\n");

  Put("x");
  IniFile(path_).WriteString("B", "k", "v");
  EXPECT_EQ(Get(), "x\n\n[B]\nk=v\n");
}

TEST_F(IniFileTest, FailedWriteLeavesMemoryAndDiskAsTheyWere) {
  Put("[s]\nk=old\n");
  const struct {
    std::string path;
    const char *section, *key, *value;
  } cases[] = {
      {tmp_.File("no/such/dir/x.ini"), "s", "k", "v"}, {tmp_.Path(), "s", "k", "v"},
      // Text that would not read back as written.
      {path_, "s", "k", "two\nlines"}, {path_, "s", "a=b", "v"}, {path_, "s", ";k", "v"},
      {path_, "s\r[t]", "k", "v"},
  };
  for (const auto& c : cases) {
    IniFile ini(c.path);  // a missing file or a folder reads as empty
    EXPECT_EQ(test::ThrownText<EKempwellError>([&] { ini.WriteString(c.section, c.key, c.value); }),
              "Unable to write to " + c.path);
    EXPECT_EQ(ini.ReadString("s", "k", "def"), c.path == path_ ? "old" : "def") << c.path;
  }
  EXPECT_EQ(Get(), "[s]\nk=old\n");
}

}  // namespace
}  // namespace kw
