#include "tidy/error_report.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "common/paths.h"
#include "document/string_list.h"
#include "tidy/diag_kind.h"
#include "tidy/str_search.h"
#include "trace/trace_client.h"

namespace kw {

namespace {

int ClampedCount(size_t n) { return static_cast<int>(std::min<size_t>(n, INT_MAX)); }

std::string TrimControls(std::string_view s) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// A line of tidy's report at a level that names a problem; its "Info:"
// lines, its summary and its help paragraphs name none.
bool NamesProblem(std::string_view line) {
  const DiagKind kind = KindOf(line);
  return kind != DiagKind::Other && kind != DiagKind::Info;
}

void SetStatus(const ErrorReportHooks& hooks, const std::string& text) {
  if (hooks.OnStatus) hooks.OnStatus(text);
}

// Deletes the report however the reading ends; a failed delete must not hide the reading's error.
class DeleteWhenDone {
 public:
  explicit DeleteWhenDone(const std::string& path) : path_(path) {}
  ~DeleteWhenDone() { ::unlink(path_.c_str()); }
  DeleteWhenDone(const DeleteWhenDone&) = delete;
  DeleteWhenDone& operator=(const DeleteWhenDone&) = delete;

 private:
  const std::string& path_;
};

}  // namespace

TTreeData CutMessageLine(std::string_view line) {
  const std::string s = ReplaceEvery(line, "line ", "", true);
  const long len = static_cast<long>(s.size());
  const long column = SearchFrom(s, "column", len, 6, 1);
  const long dash = SearchFrom(s, "-", len, 1, 1);
  TTreeData row{RightPart(s, len - dash), TrimControls(LeftPart(s, column - 1))};
  // The number between "column" and the dash, when it is one.
  if (column > 0 && dash > column + 6) {
    const std::string number = TrimControls(std::string_view(s).substr(column + 5, dash - column - 6));
    if (!number.empty() && number.size() < 7 && number.find_first_not_of("0123456789") == std::string::npos)
      row.Column = std::stoi(number);
  }
  return row;
}

void OutPutErrors(const std::vector<std::string>& errList, DiagRows& rows, const ErrorReportHooks& hooks) {
  SetStatus(hooks, kTidyingStatus);
  const TTraceMethodHandle trace = TraceMethodOf(hooks.Tracer, "OutPutErrors");
  if (hooks.Tracer) hooks.Tracer->SendIntegerValue("aErrList.Count", ClampedCount(errList.size()));
  size_t count = 0;
  for (const std::string& line : errList) {
    if (line == kNoWarningsFound) {
      rows.Add(TTreeData{line, "0"});
      return;
    }
    TTreeData row;
    if (SearchFrom(line, "line", 4, 4, 1) == 1) {
      if (hooks.OnMessageLine) hooks.OnMessageLine();
      row = CutMessageLine(line);
    } else if (NamesProblem(line)) {
      // Bad options, a document tidy cannot read, errors without a place:
      // listed without a line, in the form of the other messages.
      row = TTreeData{" " + line, kNoLine};
    } else {
      continue;
    }
    if (rows.EntryExists(row.Message, row.Line)) continue;
    ++count;
    rows.Add(std::move(row));
  }
  if (count == 0) rows.Add(TTreeData{kNoWarningsFound, "0"});
  SetStatus(hooks, std::to_string(count) + " Warnings");
}

void ShowTidyErrors(const std::string& fileName, DiagRows& rows, const ErrorReportHooks& hooks) {
  const TTraceMethodHandle trace = TraceMethodOf(hooks.Tracer, "ShowTidyErrors");
  if (!PathExists(fileName)) return;
  DeleteWhenDone deleteFile(fileName);
  const std::vector<std::string> lines = LoadStringList(fileName);
  if (hooks.Tracer && hooks.Tracer->Enabled) {
    std::string text;
    for (const std::string& line : lines) text.append(line).push_back('\n');
    hooks.Tracer->SendStringValue("ErlistText", text);
    hooks.Tracer->SendIntegerValue("Error Count", ClampedCount(lines.size()));
  }
  if (!lines.empty()) OutPutErrors(lines, rows, hooks);
}

}  // namespace kw
