// The editor's find operation as plain logic: the search area, the walk over
// its lines and the choice of the match, over a small view of the editor.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "common/text_pos.h"

namespace kw {

class TEditSearch;

// What the find operation reads of an editor and the one thing it changes.
class FindView {
 public:
  // 0 for an empty text.
  virtual int LineCount() = 0;
  // Line i (from 0) without its break, in place, so without a copy: called
  // for each line visited, in order, after the last line's when the area
  // runs to the end of the text.
  virtual std::string_view Line(int index) = 0;
  virtual bool SelAvail() = 0;
  virtual TextPos SelStart() = 0;
  virtual TextPos SelEnd() = 0;
  virtual TextPos CaretPos() = 0;
  // Selects from anchor to caret and brings the caret's line into view.
  virtual void Select(TextPos anchor, TextPos caret) = 0;
  // Lines first to last (from 0) with the breaks between them, in place;
  // nothing when the view cannot give them so. A block of lines without a
  // match is passed over in one search instead of line by line.
  virtual std::optional<std::string_view> Lines(int first, int last);

 protected:
  ~FindView() = default;
};

// The lines of a text between CR, LF and CR LF breaks, found in the text
// itself when they are asked for in order, downwards or upwards, so that a
// walk over an editor's text in place asks the editor only where it starts.
class TextLines {
 public:
  explicit TextLines(std::string_view text);
  // The line that starts at offset `start`, which is line `index`.
  std::string_view LineAt(int index, size_t start);
  // The line just below or just above the last one returned; nothing for
  // any other line.
  std::optional<std::string_view> Adjacent(int index);

 private:
  std::string_view Remember(int index, size_t start, size_t end);

  std::string_view text_;
  int index_ = -1;
  size_t start_ = 0, end_ = 0;
};

// Selects the first match in the search area that the options (soMatchCase,
// soWholeWord, soBackwards, soEntireScope, soSelectedOnly) call for, the caret
// at its end, or at its start backwards; returns 1. Returns 0 without
// touching the view when there is none or the search text is empty.
int FindInView(FindView& view, TEditSearch& engine, std::string_view searchText, unsigned options);

}  // namespace kw
