#include "search/find_operation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "search/edit_search.h"

namespace kw {
namespace {

// An editor drawn as text: lines split at '\n', '^' the caret, '[' and ']'
// the selection's start and end. Marks take no column. Without blocks the
// find walks it line by line.
class DrawnEditor final : public FindView {
 public:
  explicit DrawnEditor(std::string_view drawn, bool blocks = true) : blocks_(blocks) {
    TextPos at, start{0, 0}, end;
    lines_.emplace_back();
    for (char c : drawn) {
      if (c == '^') caret_ = at;
      else if (c == '[') start = at;
      else if (c == ']') end = at;
      else if (c != '\n') lines_.back() += c, ++at.column;
      else lines_.emplace_back(), at = {at.line + 1, 1};
    }
    anchor_ = start.line == 0 ? caret_ : caret_ == start ? end : start;
  }

  // The selection's anchor, then the caret.
  std::string Marks() const {
    const auto pos = [](TextPos p) { return std::to_string(p.line) + ":" + std::to_string(p.column); };
    return pos(anchor_) + " " + pos(caret_);
  }

  int LineCount() override { return lines_.size() == 1 && lines_[0].empty() ? 0 : static_cast<int>(lines_.size()); }
  std::string_view Line(int index) override { return lines_.at(static_cast<size_t>(index)); }
  bool SelAvail() override { return anchor_ != caret_; }
  TextPos SelStart() override { return AnchorFirst() ? anchor_ : caret_; }
  TextPos SelEnd() override { return AnchorFirst() ? caret_ : anchor_; }
  TextPos CaretPos() override { return caret_; }
  void Select(TextPos anchor, TextPos caret) override { anchor_ = anchor, caret_ = caret; }
  std::optional<std::string_view> Lines(int first, int last) override {
    if (!blocks_) return std::nullopt;
    joined_.clear();
    for (int i = first; i <= last; ++i) joined_ += lines_.at(static_cast<size_t>(i)) + (i < last ? "\r\n" : "");
    return joined_;
  }

 private:
  bool AnchorFirst() const {
    return anchor_.line != caret_.line ? anchor_.line < caret_.line : anchor_.column < caret_.column;
  }

  bool blocks_;
  std::vector<std::string> lines_;
  std::string joined_;
  TextPos caret_, anchor_;
};

constexpr unsigned kBack = soBackwards, kAll = soEntireScope, kSel = soSelectedOnly;

TEST(FindOperation, SelectsTheFirstMatchInTheArea) {
  // after: nullptr when nothing is found and the editor is left untouched.
  const struct { const char *before, *pattern; unsigned options; const char* after; } rows[] = {
      {"aa^aa", "aa", kAll, "[aa]^aa"},
      {"^aaaa", "aa", 0, "[aa]^aa"},
      {"[aa]^aa", "aa", 0, "aa[aa]^"},
      {"aa[aa]^", "aa", 0, nullptr},
      {"ab^c\n\nabc", "abc", 0, "abc\n\n[abc]^"},
      {"^x abc", "abc", kBack | kAll, "x ^[abc]"},
      {"aaaa^", "aa", kBack, "aa^[aa]"},
      {"aa^[aa]", "aa", kBack, "^[aa]aa"},
      {"^[aa]aa", "aa", kBack, nullptr},
      {"abc\n\nab^c abc", "abc", kBack, "^[abc]\n\nabc abc"},
      {"abc abc\n^x", "abc", kBack, "abc ^[abc]\nx"},
      // The selection bounds the area wherever the caret is.
      {"x[abc abc]^ abc", "abc", kSel, "x[abc]^ abc abc"},
      {"x[abc]^ abc", "abc", kSel | kAll, "x[abc]^ abc"},
      {"abc [ab]^c", "abc", kSel, nullptr},
      {"a[bc\nabc\nab]^c", "abc", kSel, "abc\n[abc]^\nabc"},
      {"a[bc\nabc\nab]^c", "abc", kSel | kBack, "abc\n^[abc]\nabc"},
      {"ab^c abc", "abc", kSel, "abc [abc]^"},  // no selection: from the caret
      // Both engine options reach it: either alone would pick another.
      {"^Abc abcd abc", "abc", soWholeWord | soMatchCase, "Abc abcd [abc]^"},
      {"^abc", "", kAll, nullptr},
      {"^", "a", kBack, nullptr},
  };
  for (const auto& r : rows) {
    DrawnEditor editor(r.before);
    TEditSearch engine;
    EXPECT_EQ(FindInView(editor, engine, r.pattern, r.options), r.after ? 1 : 0) << r.before << " / " << r.options;
    EXPECT_EQ(editor.Marks(), DrawnEditor(r.after ? r.after : r.before).Marks()) << r.before << " / " << r.options;
  }
}

// Walks downwards, upwards and by random steps, taking a line's start only
// when it is not next to the last one. CR, LF and CR LF each end a line, and
// a final break leaves an empty last line.
void ExpectWalksAgree(std::string_view text, std::mt19937& rng) {
  std::vector<std::string_view> lines;
  std::vector<size_t> starts;
  for (size_t i = 0, start = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    starts.push_back(start);
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  const int count = static_cast<int>(lines.size());
  std::vector<int> walks[3];  // down, up, wandering
  for (int i = 0; i < count; ++i) walks[0].push_back(i), walks[1].push_back(count - 1 - i);
  for (int i = static_cast<int>(rng() % lines.size()); walks[2].size() < 3 * lines.size();) {
    walks[2].push_back(i);
    const int r = static_cast<int>(rng() % 8);
    i = r == 0 ? static_cast<int>(rng() % lines.size()) : std::clamp(i + (r < 5 ? 1 : -1), 0, count - 1);
  }
  for (const std::vector<int>& walk : walks) {
    TextLines walker(text);
    for (int i : walk) {
      const size_t at = static_cast<size_t>(i);
      const std::optional<std::string_view> adjacent = walker.Adjacent(i);
      ASSERT_EQ(adjacent ? *adjacent : walker.LineAt(i, starts[at]), lines[at]) << i;
    }
  }
}

// Short random texts, then long lines and long texts for the block scan.
TEST(FindOperationTextLines, AgreeWithSplittingAtEachBreak) {
  std::mt19937 rng(8128);
  const char alphabet[] = {'a', 'b', '\r', '\n'};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (size_t n = rng() % 80; n > 0; --n) text += alphabet[rng() % (round % 3 ? 4 : 3)];
    ASSERT_NO_FATAL_FAILURE(ExpectWalksAgree(text, rng)) << testing::PrintToString(text);
  }
  std::string lf, mixed;
  for (int i = 0; i < 5000; ++i) lf += "a line of text\n";
  for (int i = 0; i < 2000; ++i) mixed += std::string(static_cast<size_t>(i % 97), 'x') + "\r\n\r\n\r" + "\n\r"[i % 2];
  for (const std::string& text : {lf, mixed, std::string(70000, 'y') + "\r" + std::string(70000, 'z')})
    ASSERT_NO_FATAL_FAILURE(ExpectWalksAgree(text, rng)) << text.size();
}

// Blocks of lines passed over in one search find what the walk line by line
// finds, across blocks, whole words at the breaks and every area.
TEST(FindOperation, BlocksFindWhatTheLineWalkFinds) {
  std::mt19937 rng(4242);
  const char* const words[] = {"ab", "Ab", "b", "a_b", "ba", " ", " ", "."};
  const char* const patterns[] = {"ab", "AB", "b", "ba b", "a_b"};
  for (int round = 0; round < 60; ++round) {
    std::string drawn;
    const int lines = 200 + static_cast<int>(rng() % 1400);
    for (int line = 0; line < lines; ++line) {
      // Mostly lines without a match, so that whole blocks are passed over.
      const bool busy = rng() % 40 == 0;
      for (size_t n = rng() % 5; n > 0; --n) drawn += busy ? words[rng() % 8] : words[5 + rng() % 3];
      if (line == static_cast<int>(rng() % lines)) drawn += '^';
      if (line + 1 < lines) drawn += '\n';
    }
    if (drawn.find('^') == std::string::npos) drawn += '^';
    const std::string_view pattern = patterns[rng() % 5];
    const unsigned options = static_cast<unsigned>(rng() % 16) & (soMatchCase | soWholeWord | soBackwards | soEntireScope);
    DrawnEditor blocks(drawn), walk(drawn, false);
    TEditSearch engine;
    const int found = FindInView(blocks, engine, pattern, options);
    ASSERT_EQ(found, FindInView(walk, engine, pattern, options)) << round;
    ASSERT_EQ(blocks.Marks(), walk.Marks()) << round << " " << pattern << " " << options;
  }
}

}  // namespace
}  // namespace kw
