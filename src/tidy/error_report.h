// Reading tidy's error file into diagnostics rows and the status text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tidy/diag_rows.h"
#include "tidy/tree_data.h"

namespace kw {

class TTraceClientEx;

inline constexpr char kNoWarningsFound[] = "No warnings or errors were found";
inline constexpr char kTidyingStatus[] = "Tidying...";
// The Line of a row that names no line.
inline constexpr char kNoLine[] = "--";

struct ErrorReportHooks {
  // The status label's text: "Tidying..." while parsing, then "<count> Warnings".
  std::function<void(const std::string& status)> OnStatus;
  // Called before each message line is cut, so that a window can repaint.
  std::function<void()> OnMessageLine;
  // Where the trace points go; none when null.
  TTraceClientEx* Tracer = nullptr;
};

// A message line ("line 12 column 5 - Warning: ...") cut into its Line text
// and its Message: every "line " removed, the text before "column" trimmed,
// everything after the first '-'.
TTreeData CutMessageLine(std::string_view line);

// Turns the lines of an error file (at least one) into rows: the exact
// no-messages line adds its entry and ends at once; lines beginning with
// "line" are cut, and other lines that name a problem (a "Warning:",
// "Error:", "Config:", "Access:", "Document:" or "Panic:" line) become a
// row without a line ("--"), each added unless an equal row exists; other
// lines (information, the summary, help) are skipped. No row added gives the no-messages entry. The status ends as the
// count of added rows + " Warnings".
void OutPutErrors(const std::vector<std::string>& errList, DiagRows& rows, const ErrorReportHooks& hooks);

// When fileName exists: loads its lines and passes them to OutPutErrors when
// there is at least one, then deletes the file, also when reading failed
// (that error goes on). A missing file changes nothing.
void ShowTidyErrors(const std::string& fileName, DiagRows& rows, const ErrorReportHooks& hooks);

}  // namespace kw
