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
#include "tidy/diag_kind.h"

namespace kw {
namespace {

using Strings = std::vector<std::string>;

// Trace records, status texts and repaint calls in the order they happen.
class RecordingHooks {
 public:
  RecordingHooks() : link_(test::CaptureTrace(tracer_)) {}
  Strings log;
  ErrorReportHooks Hooks() {
    ErrorReportHooks hooks;
    hooks.OnStatus = [this](const std::string& status) { log.push_back("status " + status); };
    hooks.OnMessageLine = [this] { log.push_back("message line"); };
    hooks.Tracer = &tracer_;
    return hooks;
  }
  // The trace records after the registration, as "<type> <text>".
  Strings Traced() const {
    const Strings all = link_.Messages();
    return Strings(all.begin() + 1, all.end());
  }

 private:
  TTraceClientEx tracer_;
  test::CapturingLink& link_;
};

// The golden files below hold whole reports; these are the cuts they do not
// show: the column, control bytes, a dash before "column", no dash at all.
TEST(ErrorReport, CutMessageLineTable) {
  const struct {
    const char* line;
    const char* expectedLine;
    const char* expectedMessage;
    int expectedColumn;
  } rows[] = {
      {"line 3 column 1 -", "3", "", 1},
      {"line 4 column 2 no dash", "4", "4 column 2 no dash", 0},
      {"line  7 \x01" "column 2 - x", "7", " x", 2},
      {"line column 2 - x", "", " x", 2},
      {"line -3 column 1 - x", "-3", "3 column 1 - x", 0},
      {"line 9 column 123456 - x", "9", " x", 123456},
      {"line 9 column 1234567 - x", "9", " x", 0},
      {"line 9 column 1 2 - x", "9", " x", 0},
      {"line 4column 1 -x", "4", "x", 1},
  };
  for (const auto& r : rows) {
    const TTreeData cut = CutMessageLine(r.line);
    EXPECT_EQ(cut.Line + "|" + cut.Message, std::string(r.expectedLine) + "|" + r.expectedMessage) << r.line;
    EXPECT_EQ(cut.Column, r.expectedColumn) << r.line;
  }
}

// Lines that do not begin with "line": listed without a line, once, when they
// name a problem, with the kind the list shows for them.
TEST(ErrorReport, LinesWithoutAPlace) {
  DiagRows rows;
  OutPutErrors({"Config: unknown option: x", "Document: \"no\" is not a file!", "Panic: out", "Access: [1.1]: y",
                "Warning: w", "Error: e", "Info: HTML5", "About HTML Tidy: x", "Config: unknown option: x"},
               rows, {});
  const std::pair<const char*, DiagKind> expected[] = {
      {" Config: unknown option: x", DiagKind::Config}, {" Document: \"no\" is not a file!", DiagKind::Error},
      {" Panic: out", DiagKind::Error},                 {" Access: [1.1]: y", DiagKind::Access},
      {" Warning: w", DiagKind::Warning},               {" Error: e", DiagKind::Error}};
  ASSERT_EQ(rows.Count(), std::size(expected));
  for (size_t i = 0; i < rows.Count(); ++i) {
    EXPECT_EQ(rows.Rows()[i].Line + "|" + rows.Rows()[i].Message, std::string("--|") + expected[i].first);
    EXPECT_EQ(KindOf(rows.Rows()[i].Message), expected[i].second) << expected[i].first;
  }
  EXPECT_EQ(KindOf(" Info: x"), DiagKind::Info);
}

TEST(ErrorReport, TracePointsStatusAndRepaintsInOrder) {
  test::TempFolder folder;
  const std::string path = folder.Write(
      "errs.txt", "Info: x\r\nline 2 column 1 - Warning: a\nline 2 column 4 - Warning: a\n");
  RecordingHooks recording;
  DiagRows rows;
  ShowTidyErrors(path, rows, recording.Hooks());
  EXPECT_EQ(recording.log, (Strings{"status Tidying...", "message line", "message line", "status 1 Warnings"}));
  EXPECT_EQ(recording.Traced(),
            (Strings{"9 ShowTidyErrors",
                     "0 ErlistText = 'Info: x\nline 2 column 1 - Warning: a\nline 2 column 4 - Warning: a\n'",
                     "0 Error Count = 3", "9 OutPutErrors", "0 aErrList.Count = 3", "10 OutPutErrors",
                     "10 ShowTidyErrors"}));
}

// A missing file changes nothing; an unreadable one lets its error go on and
// is deleted all the same (unlink cannot remove a directory).
TEST(ErrorReport, MissingOrUnreadableFile) {
  const struct {
    const char* name;
    void (*make)(const std::string& path);
    const char* error;
    bool staysBehind;
  } cases[] = {
      {"missing", [](const std::string&) {}, "", false},
      {"directory", [](const std::string& p) { ::mkdir(p.c_str(), 0700); }, "Cannot open file", true},
      {"FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "Cannot open file", false},
  };
  for (const auto& c : cases) {
    test::TempFolder folder;
    const std::string path = folder.File("errs.txt");
    c.make(path);
    RecordingHooks recording;
    DiagRows rows;
    const std::string error =
        test::ThrownText<EKempwellError>([&] { ShowTidyErrors(path, rows, recording.Hooks()); });
    EXPECT_EQ(error.substr(0, 16), c.error) << c.name << ": " << error;
    EXPECT_EQ(rows.Count(), 0u) << c.name;
    EXPECT_EQ(recording.log, Strings{}) << c.name;
    // The exception leaves the method traced as left.
    EXPECT_EQ(recording.Traced(), (Strings{"9 ShowTidyErrors", "10 ShowTidyErrors"})) << c.name;
    EXPECT_EQ(PathExists(path), c.staysBehind) << c.name;
  }
}

// Golden cases: <case>.errs.txt beside <case>.expected, which holds one
// "LINE<TAB>MESSAGE" per row in display order and then the last status text
// (empty when none was set).
std::string Rendered(const DiagRows& rows, const std::string& status) {
  std::string out;
  for (const TTreeData& r : rows.Rows()) out += r.Line + "\t" + r.Message + "\n";
  return out + status + "\n";
}

Strings GoldenCases() {
  const std::string suffix = ".errs.txt";
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(KW_TIDY_GOLDEN_DIR)) {
    const std::string file = entry.path().filename().string();
    if (file.ends_with(suffix)) names.push_back(file.substr(0, file.size() - suffix.size()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ErrorFile : public testing::TestWithParam<std::string> {};

// The splitting into lines, whatever the breaks, is the string list's.
TEST_P(ErrorFile, SameRowsAndStatus) {
  const std::string base = std::string(KW_TIDY_GOLDEN_DIR) + "/" + GetParam();
  test::TempFolder folder;
  const std::string path = folder.Write("errs.txt", test::TempFolder::Read(base + ".errs.txt"));
  DiagRows rows;
  std::string status;
  ErrorReportHooks hooks;
  hooks.OnStatus = [&](const std::string& text) { status = text; };
  ShowTidyErrors(path, rows, hooks);
  EXPECT_EQ(Rendered(rows, status), test::TempFolder::Read(base + ".expected"));
  EXPECT_FALSE(PathExists(path));
}

INSTANTIATE_TEST_SUITE_P(ErrorReportGolden, ErrorFile, testing::ValuesIn(GoldenCases()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace kw
