#include "app/ini_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/error.h"

namespace kw {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kw-ini-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/-a b;&$(x)'\"\xE9t\xE9.ini";  // no name may trouble it
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Put(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Get() const {
    std::stringstream ss;
    ss << std::ifstream(path_, std::ios::binary).rdbuf();
    return ss.str();
  }

  std::string dir_, path_;
};

TEST(IniParseInteger, AcceptsOnlyTheSettingsFileNumberForms) {
  const std::optional<int32_t> no;
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"0", 0}, {"-1", -1}, {"+7", 7}, {" \t42\t ", 42}, {"00010", 10}, {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN}, {"2147483648", no}, {"-2147483649", no}, {"99999999999999999999", no},
      {"$FFFFFFFF", -1}, {"0x80000000", INT_MIN}, {"-0x80000000", INT_MIN}, {"0x10", 16},
      {"0XfF", 255}, {"$0", 0}, {"-$10", -16}, {"+0x1", 1}, {"0x", no}, {"-0x", no}, {"$", no},
      {"$100000000", no}, {"", no}, {"   ", no}, {"1 2", no}, {"- 1", no}, {"--1", no},
      {"$-1", no}, {"abc", no}, {"12a", no}, {"0x1g", no}, {"x10", no}, {"1.0", no},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(ParseIniInteger(text), want) << '"' << text << '"';
}

TEST_F(IniFileTest, ReadBoolFollowsTheNumberRules) {
  const std::pair<const char*, std::optional<bool>> cases[] = {
      {"0", false}, {"1", true}, {"abc", std::nullopt}, {"0x0", false}, {"0x10", true},
      {"$0", false}, {"0x", std::nullopt}, {"", std::nullopt}, {"-1", true},
  };
  const auto key = [](size_t i) { return std::string(1, 'k').append(std::to_string(i)); };
  std::string text = "[b]\n";
  for (size_t i = 0; i < std::size(cases); ++i) text += key(i) + " = " + cases[i].first + "\n";
  Put(text);
  const IniFile ini(path_);
  for (size_t i = 0; i < std::size(cases); ++i)
    for (const bool def : {false, true})
      EXPECT_EQ(ini.ReadBool("b", key(i), def), cases[i].second.value_or(def)) << cases[i].first;
  EXPECT_TRUE(ini.ReadBool("b", "missing", true));
  EXPECT_EQ(ini.ReadInteger("b", "k2", -5), -5);
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
  EXPECT_TRUE(ini.ReadSectionKeys("none").empty());
}

TEST_F(IniFileTest, MissingOrUnusualFilesReadAsEmpty) {
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {dir_ + "/absent.ini", dir_, fifo})  // a FIFO must not wait for a writer
    EXPECT_EQ(IniFile(path).ReadString("a", "b", "d"), "d") << path;
}

TEST_F(IniFileTest, WritesChangeOnlyTheirOwnLines) {
  IniFile fresh(path_);
  fresh.WriteString("A", "k", "v");
  EXPECT_EQ(Get(), "[A]\nk=v\n") << "no blank line before the first section";

  Put("; settings\r\n[Main]\r\n  Width =  640\r\n# note\r\n\r\n[Empty]\r\n[Last]\r\nx=1\r\n\r\n");
  IniFile ini(path_);
  ini.WriteInteger("MAIN", "width", 800);
  ini.WriteString("main", "Height", "480");
  ini.WriteBool("empty", "On", true);
  ini.WriteBool("New", "Off", false);
  EXPECT_EQ(Get(), "; settings\n[Main]\n  Width =  800\nHeight=480\n# note\n\n[Empty]\nOn=1\n"
                   "[Last]\nx=1\n\n[New]\nOff=0\n");
  EXPECT_EQ(IniFile(path_).ReadInteger("main", "WIDTH", 0), 800);

  Put("x");
  IniFile(path_).WriteString("B", "k", "v");
  EXPECT_EQ(Get(), "x\n\n[B]\nk=v\n");
}

TEST_F(IniFileTest, FailedWriteThrowsAndKeepsMemoryAsOnDisk) {
  for (const std::string& path : {dir_ + "/no/such/dir/x.ini", dir_}) {
    IniFile ini(path);
    try {
      ini.WriteString("s", "k", "v");
      ADD_FAILURE() << path << ": no exception";
    } catch (const EKempwellError& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def") << path;
  }
}

TEST_F(IniFileTest, RefusesTextThatWouldNotReadBack) {
  Put("[s]\nk=old\n");
  IniFile ini(path_);
  EXPECT_THROW(ini.WriteString("s", "k", "two\nlines"), EKempwellError);
  EXPECT_THROW(ini.WriteString("s", "a=b", "v"), EKempwellError);
  EXPECT_THROW(ini.WriteString("s", ";k", "v"), EKempwellError);
  EXPECT_THROW(ini.WriteString("s\r[t]", "k", "v"), EKempwellError);
  EXPECT_EQ(ini.ReadString("s", "k", ""), "old");
  EXPECT_EQ(Get(), "[s]\nk=old\n");
}

}  // namespace
}  // namespace kw
