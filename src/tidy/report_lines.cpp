#include "tidy/report_lines.h"

#include <string_view>

#include "common/latin1.h"
#include "tidy/diag_kind.h"
#include "tidy/diag_rows.h"
#include "tidy/error_report.h"

namespace kw {

namespace {

std::string_view KindWord(DiagKind kind) {
  switch (kind) {
    case DiagKind::Error: return "error";
    case DiagKind::Warning: return "warning";
    case DiagKind::Info: return "info";
    case DiagKind::Access: return "access";
    case DiagKind::Config: return "config";
    case DiagKind::Other: break;
  }
  return {};
}

}  // namespace

std::string ListLines(const std::vector<TTreeData>& rows, const std::string& status) {
  std::string text;
  for (const TTreeData& row : rows) text.append(row.Line).append(1, '\t').append(row.Message).append(1, '\n');
  return text.append(status).append(1, '\n');
}

std::string GnuLines(const std::string& file, const std::vector<TTreeData>& rows) {
  std::string text;
  for (const TTreeData& row : rows) {
    std::string_view message = row.Message;
    while (!message.empty() && message.front() == ' ') message.remove_prefix(1);
    if (message == kNoWarningsFound) continue;
    const std::string_view kind = KindWord(KindOf(message));
    const size_t colon = message.find(':');
    if (!kind.empty() && EqualIgnoringCaseLatin1(message.substr(0, colon), kind)) {
      message.remove_prefix(colon + 1);
      while (!message.empty() && message.front() == ' ') message.remove_prefix(1);
    }
    text.append(file).append(1, ':');
    if (const int line = LineNumber(row.Line); line > 0) {
      text.append(std::to_string(line)).append(1, ':');
      if (row.Column > 0) text.append(std::to_string(row.Column)).append(1, ':');
    }
    text.append(1, ' ');
    if (!kind.empty()) text.append(kind).append(": ");
    text.append(message).append(1, '\n');
  }
  return text;
}

}  // namespace kw
