#include "tidy/error_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "common/error.h"
#include "common/paths.h"
#include "support/temp_files.h"
#include "support/thrown.h"

namespace kw {
namespace {

using Strings = std::vector<std::string>;

// The golden files below hold whole reports; these are the cuts they do not
// show: the column, control bytes, a dash before "column", no dash at all.
TEST(ErrorReport, CutMessageLineTable) {
  const struct {
    const char* line;
    const char* expected;
    int column;
  } rows[] = {
      {"line 3 column 1 -", "3|", 1},
      {"line 4 column 2 no dash", "4|4 column 2 no dash", 0},
      {"line  7 \x01" "column 2 - x", "7| x", 2},
      {"line -3 column 1 - x", "-3|3 column 1 - x", 0},
      {"line 9 column 123456 - x", "9| x", 123456},
      {"line 9 column 1234567 - x", "9| x", 0},
      {"line 9 column 1 2 - x", "9| x", 0},
  };
  for (const auto& r : rows) {
    const TTreeData cut = CutMessageLine(r.line);
    EXPECT_EQ(cut.Line + "|" + cut.Message, r.expected) << r.line;
    EXPECT_EQ(cut.Column, r.column) << r.line;
  }
}

// The status says the report is being read, then counts its rows; each
// message line repaints. A missing file changes nothing; an unreadable one
// lets its error go on and is deleted all the same (unlink cannot remove a
// directory).
TEST(ErrorReport, StatusRepaintsAndTheEndOfTheFile) {
  const std::tuple<std::string, const char*, Strings> cases[] = {
      {"report", "", {"Tidying...", "repaint", "repaint", "1 Warnings"}},
      {"missing", "", {}},
      {"directory", "Cannot open file", {}},
      {"FIFO", "Cannot open file", {}}};
  for (const auto& [name, error, expected] : cases) {
    SCOPED_TRACE(name);
    test::TempFolder folder;
    const std::string path = folder.File("errs.txt");
    if (name == "report") folder.Write("errs.txt", "Info: x\nline 2 column 1 - W: a\nline 2 column 4 - W: a\n");
    if (name == "directory") ::mkdir(path.c_str(), 0700);
    if (name == "FIFO") ::mkfifo(path.c_str(), 0600);
    Strings log;
    ErrorReportHooks hooks;
    hooks.OnStatus = [&](const std::string& status) { log.push_back(status); };
    hooks.OnMessageLine = [&] { log.push_back("repaint"); };
    DiagRows rows;
    EXPECT_EQ(test::ThrownText<EKempwellError>([&] { ShowTidyErrors(path, rows, hooks); }).substr(0, 16), error);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(PathExists(path), name == "directory");
  }
}

// Golden cases: <case>.errs.txt beside <case>.expected, which holds one
// "LINE<TAB>MESSAGE" per row in display order and then the last status text
// (empty when none was set). The splitting into lines, whatever the breaks,
// is the string list's.
TEST(ErrorReport, GoldenReportsGiveTheSameRowsAndStatus) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KW_TIDY_GOLDEN_DIR)) {
    const std::string base = entry.path().string();
    if (!base.ends_with(".expected")) continue;
    ++cases;
    SCOPED_TRACE(base);
    test::TempFolder folder;
    const std::string path = folder.Write("errs.txt", test::TempFolder::Read(
                                                           base.substr(0, base.size() - 9) + ".errs.txt"));
    DiagRows rows;
    std::string status, out;
    ErrorReportHooks hooks;
    hooks.OnStatus = [&](const std::string& text) { status = text; };
    ShowTidyErrors(path, rows, hooks);
    for (const TTreeData& r : rows.Rows()) out += r.Line + "\t" + r.Message + "\n";
    EXPECT_EQ(out + status + "\n", test::TempFolder::Read(base));
    EXPECT_FALSE(PathExists(path));
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace kw
