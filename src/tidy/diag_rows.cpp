#include "tidy/diag_rows.h"

#include <algorithm>
#include <climits>

namespace kw {

namespace {

// Line's length first, so that no two pairs give the same key.
std::string Key(std::string_view line, std::string_view message) {
  std::string key = std::to_string(line.size());
  key.append(":").append(line).append(message);
  return key;
}

}  // namespace

int LineNumber(std::string_view line) {
  size_t i = 0;
  const bool negative = !line.empty() && line[0] == '-';
  if (!line.empty() && (line[0] == '-' || line[0] == '+')) i = 1;
  if (i == line.size()) return 0;
  long long value = 0;
  for (; i < line.size(); ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    value = value * 10 + (line[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return 0;
  }
  if (negative) value = -value;
  return value < INT_MIN || value > INT_MAX ? 0 : static_cast<int>(value);
}

void DiagRows::Add(TTreeData row) {
  if (rows_.size() == 1 && rows_[0].Line == "0") {
    keys_.erase(Key(rows_[0].Line, rows_[0].Message));
    rows_[0].Line = "--";
    keys_.insert(Key(rows_[0].Line, rows_[0].Message));
  }
  if (!rows_.empty() && row.Line == "0") row.Line = "--";
  keys_.insert(Key(row.Line, row.Message));
  rows_.push_back(std::move(row));
  sorted_ = false;
}

bool DiagRows::EntryExists(std::string_view message, std::string_view line) const {
  return keys_.count(Key(line, message)) != 0;
}

const std::vector<TTreeData>& DiagRows::Rows() const {
  if (!sorted_) {
    std::stable_sort(rows_.begin(), rows_.end(), [](const TTreeData& a, const TTreeData& b) {
      return LineNumber(a.Line) < LineNumber(b.Line);
    });
    sorted_ = true;
  }
  return rows_;
}

void DiagRows::Clear() {
  rows_.clear();
  keys_.clear();
  sorted_ = true;
}

}  // namespace kw
