// The ranges each line of the editor was last scanned from and ended in,
// kept beside the text: storing one costs no call into the editor and
// repaints nothing. The entries follow the lines as changes add and remove
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kw {

class LineRanges {
 public:
  long Count() const { return static_cast<long>(entries_.size()); }
  // `lines` lines, none scanned.
  void Reset(long lines) {
    entries_.assign(static_cast<size_t>(lines), 0);
    unstyledFrom_ = lines;
  }

  bool Scanned(long line) const { return entries_[static_cast<size_t>(line)] != 0; }
  int StartRange(long line) const { return entries_[static_cast<size_t>(line)] & 0xF; }
  int EndRange(long line) const { return entries_[static_cast<size_t>(line)] >> 4 & 0xF; }
  // A line scanned and styled.
  void Set(long line, int startRange, int endRange);
  // A line scanned for its ranges only: its styles are still to be written.
  void SetUnstyled(long line, int startRange, int endRange);
  bool Unstyled(long line) const { return entries_[static_cast<size_t>(line)] & kUnstyled; }
  // The first line in [line, end) scanned for its ranges only, or end.
  long NextUnstyled(long line, long end);

  // The first line from `line` (before `end`) that needs a scan when `range`
  // is carried into `line`: one not scanned, or scanned from another range.
  // `range` becomes the range carried into it.
  long SkipCurrent(long line, long end, int& range) const;

  // A change turned lines [first, last] into the lines from `first` that
  // leave `linesAfter` lines in all: the lines after them keep their entries,
  // the new ones are not scanned. Without a fitting count, nothing is.
  void Replace(long first, long last, long linesAfter);
  // Lines [first, last] are to be scanned again.
  void Forget(long first, long last);

 private:
  // 0 for a line not scanned; else a marker bit, the start range in the low
  // four bits and the end range in the next four, and whether its styles
  // are still to be written.
  static constexpr uint16_t kScanned = 0x100;
  static constexpr uint16_t kUnstyled = 0x200;
  std::vector<uint16_t> entries_;
  // No line before this one waits for its styles.
  long unstyledFrom_ = 0;
};

}  // namespace kw
