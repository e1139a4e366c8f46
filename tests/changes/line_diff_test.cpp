// The line comparison against a plain longest-common-subsequence table on
// random texts, its pieces on texts too large for one dtl call, and the
// mapping between the sides that scrolling and the change jumps use.
#include "changes/line_diff.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <tuple>

namespace kw {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string_view> Views(const Lines& lines) { return {lines.begin(), lines.end()}; }

size_t ReferenceCommonLines(const Lines& a, const Lines& b, BlankRule rule) {
  std::vector<std::vector<size_t>> table(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
  for (size_t i = a.size(); i-- > 0;)
    for (size_t j = b.size(); j-- > 0;)
      table[i][j] = ComparedPart(a[i], rule) == ComparedPart(b[j], rule) ? table[i + 1][j + 1] + 1
                                                                          : std::max(table[i + 1][j], table[i][j + 1]);
  return table[0][0];
}

// The blocks in order, apart, and every line outside them equal to its twin;
// gives the number of changed lines.
size_t ChangedLines(const LineDiff& diff, const Lines& a, const Lines& b, BlankRule rule) {
  EXPECT_EQ(diff.beforeLines, int(a.size()));
  EXPECT_EQ(diff.afterLines, int(b.size()));
  int i = 0, j = 0;
  size_t changed = 0;
  auto unchangedTo = [&](int iEnd, int jEnd) {
    EXPECT_EQ(iEnd - i, jEnd - j);
    for (; i < iEnd && j < jEnd; ++i, ++j) {
      EXPECT_EQ(ComparedPart(a[size_t(i)], rule), ComparedPart(b[size_t(j)], rule)) << i << " " << j;
      EXPECT_EQ(MatchingLine(diff, DiffSide::Before, i), j);
      EXPECT_EQ(MatchingLine(diff, DiffSide::After, j), i);
    }
  };
  for (size_t k = 0; k < diff.blocks.size(); ++k) {
    const ChangeBlock& block = diff.blocks[k];
    EXPECT_TRUE(k == 0 || block.beforeStart > i) << "blocks not apart";
    EXPECT_GT(block.beforeCount + block.afterCount, 0);
    unchangedTo(block.beforeStart, block.afterStart);
    i += block.beforeCount;
    j += block.afterCount;
    changed += size_t(block.beforeCount + block.afterCount);
  }
  unchangedTo(int(a.size()), int(b.size()));
  return changed;
}

// From the top of a side, F7 (or Shift+F7) pressed once per change visits
// every change once, in order.
void ExpectJumpsVisitEveryChange(const LineDiff& diff, DiffSide side, int step) {
  const int count = int(diff.blocks.size());
  std::set<int> seen;
  int current = -1, line = 0;
  for (int press = 0; press < count; ++press) {
    const int next = StepChange(diff, side, line, step, current);
    EXPECT_TRUE(current < 0 || next == ((current + step) % count + count) % count) << next;
    seen.insert(next);
    current = next;
    line = ChangeLine(diff, side, next);
  }
  EXPECT_EQ(int(seen.size()), count);
  EXPECT_TRUE(count > 0 || StepChange(diff, side, 0, step) == -1);
}

TEST(LineDiff, LinesAreCountedAsTheEditorCountsThem) {
  const struct {
    const char* text;
    Lines lines;
  } cases[] = {
      {"", {""}}, {"a", {"a"}}, {"a\n", {"a", ""}}, {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"\n\r\n\r", {"", "", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), Views(c.lines)) << c.text;
  EXPECT_EQ(ComparedPart(" \t<p> x \t", BlankRule::IgnoreEdgeBlanks), "<p> x");
  EXPECT_EQ(ComparedPart(" \t", BlankRule::IgnoreEdgeBlanks), "");
}

TEST(LineDiff, RandomTextsGetAShortestEdit) {
  const Lines pool = {"<p>", "</p>", "  <p>", "<td>x</td>", "", " ", "text", "text  "};
  std::mt19937 random(20261206);
  auto pick = [&](size_t n) { return size_t(random() % n); };
  for (int round = 0; round < 300; ++round) {
    Lines before, after;
    for (size_t n = pick(30); n > 0; --n) before.push_back(pool[pick(pool.size())]);
    if (round % 4 == 0) {
      for (size_t n = pick(30); n > 0; --n) after.push_back(pool[pick(pool.size())]);
    } else {
      // Edits of the text before, as tidy makes them: some lines changed, dropped or added.
      for (const std::string& line : before) {
        const size_t what = pick(10);
        if (what == 0) continue;
        after.push_back(what == 1 ? pool[pick(pool.size())] : line);
        if (what == 2) after.push_back(pool[pick(pool.size())]);
      }
    }
    for (BlankRule rule : {BlankRule::Exact, BlankRule::IgnoreEdgeBlanks}) {
      SCOPED_TRACE(testing::Message() << "round " << round << " rule " << int(rule));
      const LineDiff diff = DiffLines(Views(before), Views(after), rule);
      EXPECT_EQ(ChangedLines(diff, before, after, rule),
                before.size() + after.size() - 2 * ReferenceCommonLines(before, after, rule));
      for (DiffSide side : {DiffSide::Before, DiffSide::After})
        for (int step : {1, -1}) ExpectJumpsVisitEveryChange(diff, side, step);
    }
  }
}

// Too large for one dtl call: a part with lines of its own is cut at them, a
// part of only repeated lines along its diagonal; the edit stays valid and
// near the shortest.
TEST(LineDiff, LargeTextsAreComparedInPieces) {
  std::mt19937 random(7);
  Lines before;
  for (int i = 0; i < 6000; ++i)
    before.push_back(i >= 2000 && i < 5000 ? "<td>" + std::to_string(random() % 4) + "</td>" : "line " + std::to_string(i));
  Lines after;
  size_t edits = 0;
  for (const std::string& line : before) {
    const bool edited = random() % 20 == 0;
    after.push_back(edited ? "new" : line);
    edits += edited ? 2 : 0;
  }
  const LineDiff diff = DiffLines(Views(before), Views(after));
  const size_t changed = ChangedLines(diff, before, after, BlankRule::Exact);
  EXPECT_LE(changed, edits * 5 / 4);
}

TEST(LineDiff, TheOtherSidesLineAndTheJumps) {
  // before: a b c d e f      after: a X c d Y Z e f g
  const LineDiff diff = DiffTexts("a\nb\nc\nd\ne\nf", "a\nX\nc\nd\nY\nZ\ne\nf\ng");
  ASSERT_EQ(diff.blocks, (std::vector<ChangeBlock>{{1, 1, 1, 1}, {4, 0, 4, 2}, {6, 0, 8, 1}}));
  // Inserted lines and lines past the end; unchanged ones are the random test's.
  const std::tuple<DiffSide, int, int> matches[] = {
      {DiffSide::After, 4, 4}, {DiffSide::After, 5, 4}, {DiffSide::After, 8, 5}, {DiffSide::Before, 9, 8}};
  for (const auto& [side, line, other] : matches) EXPECT_EQ(MatchingLine(diff, side, line), other) << line;
  EXPECT_EQ(ChangeLine(diff, DiffSide::Before, 2), 5);  // past the end: the last line
  EXPECT_EQ(StepChange(diff, DiffSide::After, 5, 1), 2);
  EXPECT_EQ(StepChange(diff, DiffSide::After, 5, -1), 1);
  EXPECT_EQ(StepChange(diff, DiffSide::After, 8, 1), 0);
  EXPECT_EQ(StepChange(diff, DiffSide::After, 0, -1), 2);
}

}  // namespace
}  // namespace kw
