#include "highlight/line_ranges.h"

#include <algorithm>

namespace kw {

void LineRanges::Set(long line, int startRange, int endRange) {
  entries_[static_cast<size_t>(line)] = static_cast<uint16_t>(kScanned | (startRange & 0xF) | (endRange & 0xF) << 4);
}

void LineRanges::SetUnstyled(long line, int startRange, int endRange) {
  Set(line, startRange, endRange);
  entries_[static_cast<size_t>(line)] |= kUnstyled;
  unstyledFrom_ = std::min(unstyledFrom_, line);
}

long LineRanges::NextUnstyled(long line, long end) {
  const long from = line;
  end = std::min(end, Count());
  for (line = std::max(line, unstyledFrom_); line < end; ++line)
    if (entries_[static_cast<size_t>(line)] & kUnstyled) break;
  if (from <= unstyledFrom_) unstyledFrom_ = line;
  return std::min(line, end);
}

long LineRanges::SkipCurrent(long line, long end, int& range) const {
  end = std::min(end, Count());
  for (; line < end; ++line) {
    const uint16_t entry = entries_[static_cast<size_t>(line)];
    if (!(entry & kScanned) || (entry & 0xF) != range) break;
    range = entry >> 4 & 0xF;
  }
  return line;
}

void LineRanges::Replace(long first, long last, long linesAfter) {
  const long tail = Count() - last - 1;
  const long inserted = linesAfter - first - tail;
  if (first < 0 || tail < 0 || inserted < 0) {
    Reset(linesAfter);
    return;
  }
  unstyledFrom_ = std::min(unstyledFrom_, first);
  const auto at = entries_.begin() + first;
  const long replaced = last - first + 1;
  if (inserted < replaced) entries_.erase(at + inserted, at + replaced);
  else entries_.insert(at + replaced, static_cast<size_t>(inserted - replaced), 0);
  std::fill_n(entries_.begin() + first, inserted, 0);
}

void LineRanges::Forget(long first, long last) {
  first = std::max(first, 0L);
  last = std::min(last, Count() - 1);
  if (first <= last) std::fill(entries_.begin() + first, entries_.begin() + last + 1, 0);
}

}  // namespace kw
