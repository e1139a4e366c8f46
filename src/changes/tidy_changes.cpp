#include "changes/tidy_changes.h"

#include <utility>

namespace kw {

namespace {

const char* BreakName(BreakStyle style) {
  switch (style) {
    case BreakStyle::CR: return "CR";
    case BreakStyle::LF: return "LF";
    case BreakStyle::CRLF: break;
  }
  return "CR LF";
}

}  // namespace

TidyChanges::TidyChanges(std::string before, BreakStyle beforeBreaks, BreakStyle afterBreaks,
                         TextEncoding encoding, DiagRows firstRunRows)
    : before_(std::move(before)),
      beforeBreaks_(beforeBreaks),
      afterBreaks_(afterBreaks),
      encoding_(encoding),
      firstRunRows_(std::move(firstRunRows)) {}

void TidyChanges::KeepCleanedText(std::string_view editorText) {
  if (kept_) return;
  after_ = editorText;
  kept_ = true;
}

std::string ChangeCountText(size_t count) {
  if (count == 0) return "No changes";
  return std::to_string(count) + (count == 1 ? " change" : " changes");
}

std::string BreaksNote(std::string_view before, BreakStyle beforeBreaks, BreakStyle afterBreaks) {
  // A text without a break has no style of its own to report.
  if (beforeBreaks == afterBreaks || before.find_first_of("\r\n") == std::string_view::npos) return {};
  return std::string("Line breaks: ") + BreakName(beforeBreaks) + " before the run, " + BreakName(afterBreaks) +
         " after it (not marked as changes).";
}

}  // namespace kw
