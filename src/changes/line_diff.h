// What a run changed, line by line: the text before and the cleaned text cut
// into lines as the editor counts them, compared by dtl (the Diff Template
// Library) on one number per distinct line after the cheap steps that keep
// its work small, and the mapping between the two sides for scrolling and
// jumping from change to change.
#pragma once

#include <string_view>
#include <vector>

namespace kw {

// The lines of a text as the editor counts them: broken at CR LF, LF or a
// lone CR, each without its break; n breaks give n + 1 lines, so the empty
// text is one empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The two sides of a comparison.
enum class DiffSide { Before, After };
DiffSide Other(DiffSide side);

// One run of changed lines: Count(Before) lines from Start(Before) of the text
// before stand where Count(After) lines from Start(After) of the text after
// stand (lines counted from 0). One side may be empty: its Start is then the
// line in front of which the other side's lines were inserted or removed.
struct ChangeBlock {
  int beforeStart = 0;
  int beforeCount = 0;
  int afterStart = 0;
  int afterCount = 0;

  int Start(DiffSide side) const { return side == DiffSide::Before ? beforeStart : afterStart; }
  int Count(DiffSide side) const { return side == DiffSide::Before ? beforeCount : afterCount; }
  bool operator==(const ChangeBlock&) const = default;
};

struct LineDiff {
  // In text order, each followed by at least one unchanged line or the end.
  std::vector<ChangeBlock> blocks;
  int beforeLines = 0;
  int afterLines = 0;

  int Lines(DiffSide side) const { return side == DiffSide::Before ? beforeLines : afterLines; }
};

// How lines compare: byte for byte (breaks aside), or also without the
// blanks (spaces and tabs) at their start and end, so that a line that was
// only indented anew counts as unchanged.
enum class BlankRule { Exact, IgnoreEdgeBlanks };

// The line as the rule compares it.
std::string_view ComparedPart(std::string_view line, BlankRule rule);

// The fewest lines removed and inserted that turn `before` into `after`,
// grouped into blocks.
LineDiff DiffLines(const std::vector<std::string_view>& before, const std::vector<std::string_view>& after,
                   BlankRule rule = BlankRule::Exact);
LineDiff DiffTexts(std::string_view before, std::string_view after, BlankRule rule = BlankRule::Exact);

// The line of the other side that stands beside `line` of `side`: an
// unchanged line's twin; inside a change, the line as far into the other
// side's part, or the line in front of which it was inserted or removed.
// Clamped to the other side's lines.
int MatchingLine(const LineDiff& diff, DiffSide side, int line);

// The line of `side` that showing change `block` puts the caret on: its first
// line there, or the line in front of which the other side's lines stand
// (the last line when that is past the end).
int ChangeLine(const LineDiff& diff, DiffSide side, int block);

// The change that next (step 1) or previous (step -1) goes to from the caret
// on `line` of `side`, round the list; -1 when there is none. `current` is the
// change the caret was last put on: while the caret is still at its line the
// step counts from it, otherwise from the line (next: the first change that
// starts below it; previous: the last that starts above it).
int StepChange(const LineDiff& diff, DiffSide side, int line, int step, int current = -1);

}  // namespace kw
