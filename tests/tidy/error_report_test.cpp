#include "tidy/error_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "common/error.h"
#include "common/paths.h"
#include "support/temp_files.h"
#include "support/thrown.h"
#include "support/trace_capture.h"

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

// Trace records, status texts and repaints in the order they happen. A
// missing file changes nothing; an unreadable one lets its error go on and is
// deleted all the same (unlink cannot remove a directory).
TEST(ErrorReport, TracesStatusAndRepaintsInOrderAndDeletesTheFile) {
  const Strings none = {"9 ShowTidyErrors", "10 ShowTidyErrors"};
  const struct {
    std::string name;
    const char* error;
    Strings log;
  } cases[] = {
      {"report", "", {"9 ShowTidyErrors", "0 ErlistText = 'Info: x\nline 2 column 1 - W: a\nline 2 column 4 - W: a\n'",
                      "0 Error Count = 3", "status Tidying...", "9 OutPutErrors", "0 aErrList.Count = 3",
                      "repaint", "repaint", "status 1 Warnings", "10 OutPutErrors", "10 ShowTidyErrors"}},
      {"missing", "", none},
      {"directory", "Cannot open file", none},
      {"FIFO", "Cannot open file", none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempFolder folder;
    const std::string path = folder.File("errs.txt");
    if (c.name == "report") folder.Write("errs.txt", "Info: x\r\nline 2 column 1 - W: a\nline 2 column 4 - W: a\n");
    if (c.name == "directory") ::mkdir(path.c_str(), 0700);
    if (c.name == "FIFO") ::mkfifo(path.c_str(), 0600);
    TTraceClientEx tracer;
    const test::CapturingLink& link = test::CaptureTrace(tracer);
    Strings log;
    size_t traced = 1;  // after the registration
    const auto note = [&](const std::string& event) {
      const Strings all = link.Messages();
      log.insert(log.end(), all.begin() + traced, all.end());
      traced = all.size();
      if (!event.empty()) log.push_back(event);
    };
    ErrorReportHooks hooks;
    hooks.OnStatus = [&](const std::string& status) { note("status " + status); };
    hooks.OnMessageLine = [&] { note("repaint"); };
    hooks.Tracer = &tracer;
    DiagRows rows;
    const std::string error = test::ThrownText<EKempwellError>([&] { ShowTidyErrors(path, rows, hooks); });
    note("");
    EXPECT_EQ(error.substr(0, 16), c.error) << error;
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(PathExists(path), c.name == "directory");
  }
}

// Golden cases: <case>.errs.txt beside <case>.expected, which holds one
// "LINE<TAB>MESSAGE" per row in display order and then the last status text
// (empty when none was set). The splitting into lines, whatever the breaks,
// is the string list's.
TEST(ErrorReport, GoldenReportsGiveTheSameRowsAndStatus) {
  for (const auto& entry : std::filesystem::directory_iterator(KW_TIDY_GOLDEN_DIR)) {
    const std::string base = entry.path().string();
    if (!base.ends_with(".expected")) continue;
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
}

}  // namespace
}  // namespace kw
