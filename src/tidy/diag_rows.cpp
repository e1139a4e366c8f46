#include "tidy/diag_rows.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace kw {

namespace {

size_t PairHash(std::string_view line, std::string_view message) {
  const std::hash<std::string_view> hash;
  return hash(line) * 0x9E3779B97F4A7C15ull ^ hash(message);
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

size_t DiagRowKeys::Slot(std::string_view line, std::string_view message) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = PairHash(line, message) & mask;; slot = (slot + 1) & mask) {
    if (slots_[slot] == 0) return slot;
    const Span& span = spans_[slots_[slot] - 1];
    if (StoredLine(span) == line && StoredMessage(span) == message) return slot;
  }
}

bool DiagRowKeys::Contains(std::string_view line, std::string_view message) const {
  return !slots_.empty() && slots_[Slot(line, message)] != 0;
}

void DiagRowKeys::Insert(std::string_view line, std::string_view message) {
  if (2 * (spans_.size() + 1) > slots_.size()) Grow();
  const size_t slot = Slot(line, message);
  if (slots_[slot] != 0) return;
  spans_.push_back({text_.size(), line.size(), message.size()});
  text_.append(line).append(message);
  slots_[slot] = static_cast<uint32_t>(spans_.size());
}

void DiagRowKeys::Grow() {
  slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), 0);
  for (size_t i = 0; i < spans_.size(); ++i)
    slots_[Slot(StoredLine(spans_[i]), StoredMessage(spans_[i]))] = static_cast<uint32_t>(i + 1);
}

void DiagRowKeys::Clear() {
  text_.clear();
  spans_.clear();
  slots_.clear();
}

void DiagRows::Add(TTreeData row) {
  if (rows_.size() == 1 && rows_[0].Line == "0") {
    rows_[0].Line = "--";
    keys_.Clear();  // it held this row's key alone
    keys_.Insert(rows_[0].Line, rows_[0].Message);
  }
  if (!rows_.empty() && row.Line == "0") row.Line = "--";
  keys_.Insert(row.Line, row.Message);
  numbers_.push_back(LineNumber(row.Line));
  rows_.push_back(std::move(row));
}

bool DiagRows::EntryExists(std::string_view message, std::string_view line) const {
  return keys_.Contains(line, message);
}

const std::vector<TTreeData>& DiagRows::Rows() const {
  if (sortedCount_ == rows_.size()) return rows_;
  std::vector<size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  const auto tail = order.begin() + static_cast<std::ptrdiff_t>(sortedCount_);
  const auto byNumber = [this](size_t a, size_t b) { return numbers_[a] < numbers_[b]; };
  std::stable_sort(tail, order.end(), byNumber);
  std::inplace_merge(order.begin(), tail, order.end(), byNumber);
  std::vector<TTreeData> rows;
  std::vector<int> numbers;
  rows.reserve(order.size());
  numbers.reserve(order.size());
  for (const size_t i : order) {
    rows.push_back(std::move(rows_[i]));
    numbers.push_back(numbers_[i]);
  }
  rows_.swap(rows);
  numbers_.swap(numbers);
  sortedCount_ = rows_.size();
  return rows_;
}

void DiagRows::Clear() {
  rows_.clear();
  numbers_.clear();
  keys_.Clear();
  sortedCount_ = 0;
}

}  // namespace kw
