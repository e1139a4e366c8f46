#include "tidy/error_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "common/paths.h"
#include "document/string_list.h"
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

TEST(ErrorReport, CutMessageLineTable) {
  const struct {
    const char* line;
    const char* expectedLine;
    const char* expectedMessage;
    int expectedColumn;
    DiagKind expectedKind;
  } rows[] = {
      {"line 12 column 5 - Warning: missing </p>", "12", " Warning: missing </p>", 5, DiagKind::Warning},
      {"line 3 column 1 -", "3", "", 1, DiagKind::Other},
      {"line 4 column 2 no dash", "4", "4 column 2 no dash", 0, DiagKind::Other},
      {"line  7 \x01" "column 2 - x", "7", " x", 2, DiagKind::Other},
      {"line column 2 - x", "", " x", 2, DiagKind::Other},
      {"line -3 column 1 - x", "-3", "3 column 1 - x", 0, DiagKind::Other},
      {"line 5 column 1 - Error: <xyz> is not recognized!", "5", " Error: <xyz> is not recognized!", 1,
       DiagKind::Error},
      {"line 9 column 12 - Access: [1.1.1.1]: <img> missing 'alt' text.", "9",
       " Access: [1.1.1.1]: <img> missing 'alt' text.", 12, DiagKind::Access},
      {"line 1 column 1 - Info: Document content looks like HTML5", "1",
       " Info: Document content looks like HTML5", 1, DiagKind::Info},
      {"line 2 column x - Warning: odd", "2", " Warning: odd", 0, DiagKind::Warning},
  };
  for (const auto& r : rows) {
    const TTreeData cut = CutMessageLine(r.line);
    EXPECT_EQ(cut.Line, r.expectedLine) << r.line;
    EXPECT_EQ(cut.Message, r.expectedMessage) << r.line;
    EXPECT_EQ(cut.Column, r.expectedColumn) << r.line;
    EXPECT_EQ(KindOf(cut.Message), r.expectedKind) << r.line;
  }
  EXPECT_EQ(KindOf(" Config: unknown option: x"), DiagKind::Config);
  EXPECT_EQ(KindOf(" Document: \"no\" is not a file!"), DiagKind::Error);
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

TEST(ErrorReport, MissingFileChangesNothing) {
  test::TempFolder folder;
  RecordingHooks recording;
  DiagRows rows;
  rows.Add({"kept", "1"});
  ShowTidyErrors(folder.File("errs.txt"), rows, recording.Hooks());
  EXPECT_EQ(rows.Count(), 1u);
  EXPECT_EQ(recording.Traced(), (Strings{"9 ShowTidyErrors", "10 ShowTidyErrors"}));
}

TEST(ErrorReport, UnreadableFileErrorGoesOnAndDeletionIsAttempted) {
  const struct {
    const char* name;
    void (*make)(const std::string& path);
    bool staysBehind;  // unlink cannot remove a directory
  } cases[] = {
      {"directory", [](const std::string& p) { ::mkdir(p.c_str(), 0700); }, true},
      {"FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, false},
      {"dangling link", [](const std::string& p) { ::symlink("missing", p.c_str()); }, false},
      {"no read permission",
       [](const std::string& p) {
         std::ofstream(p) << "line 1 column 1 - x\n";
         ::chmod(p.c_str(), 0);
       },
       false},
  };
  for (const auto& c : cases) {
    if (std::string(c.name) == "no read permission" && ::geteuid() == 0) continue;  // root reads anyway
    test::TempFolder folder;
    const std::string path = folder.File("errs.txt");
    c.make(path);
    RecordingHooks recording;
    DiagRows rows;
    const std::string error =
        test::ThrownText<EKempwellError>([&] { ShowTidyErrors(path, rows, recording.Hooks()); });
    EXPECT_EQ(error.rfind("Cannot open file", 0), 0u) << c.name << ": " << error;
    EXPECT_EQ(rows.Count(), 0u) << c.name;
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

std::string WithBreaks(const std::string& text, const char* lineBreak) {
  std::string out;
  for (const std::string& line : SplitStringList(text)) out += line + lineBreak;
  return out;
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

TEST_P(ErrorFile, SameRowsAndStatusWithEveryLineBreak) {
  const std::string base = std::string(KW_TIDY_GOLDEN_DIR) + "/" + GetParam();
  const std::string input = test::TempFolder::Read(base + ".errs.txt");
  const std::string expected = test::TempFolder::Read(base + ".expected");
  const std::pair<const char*, std::string> variants[] = {
      {"as stored", input},
      {"LF", WithBreaks(input, "\n")},
      {"CR LF", WithBreaks(input, "\r\n")},
      {"CR", WithBreaks(input, "\r")},
  };
  for (const auto& [breaks, bytes] : variants) {
    test::TempFolder folder;
    const std::string path = folder.Write("errs.txt", bytes);
    DiagRows rows;
    std::string status;
    ErrorReportHooks hooks;
    hooks.OnStatus = [&](const std::string& text) { status = text; };
    ShowTidyErrors(path, rows, hooks);
    EXPECT_EQ(Rendered(rows, status), expected) << breaks;
    EXPECT_FALSE(PathExists(path)) << breaks;
  }
}

INSTANTIATE_TEST_SUITE_P(ErrorReportGolden, ErrorFile, testing::ValuesIn(GoldenCases()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace kw
