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
// the selection's start and end. Marks take no column.
class DrawnEditor final : public FindView {
 public:
  explicit DrawnEditor(std::string_view drawn) {
    TextPos at;
    TextPos start{0, 0}, end;
    lines_.emplace_back();
    for (char c : drawn) {
      if (c == '^') {
        caret_ = at;
      } else if (c == '[') {
        start = at;
      } else if (c == ']') {
        end = at;
      } else if (c == '\n') {
        lines_.emplace_back();
        at = {at.line + 1, 1};
      } else {
        lines_.back() += c;
        ++at.column;
      }
    }
    anchor_ = start.line == 0 ? caret_ : caret_ == start ? end : start;
  }

  // The state drawn back in the same notation, ']' before '^' before '['.
  std::string Drawn() const {
    const bool selection = anchor_ != caret_;
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (i > 0) out += '\n';
      for (size_t k = 0; k <= lines_[i].size(); ++k) {
        const TextPos at{static_cast<int>(i) + 1, static_cast<int>(k) + 1};
        if (selection && at == SelEndOf()) out += ']';
        if (at == caret_) out += '^';
        if (selection && at == SelStartOf()) out += '[';
        if (k < lines_[i].size()) out += lines_[i][k];
      }
    }
    return out;
  }

  int LineCount() override { return lines_.size() == 1 && lines_[0].empty() ? 0 : static_cast<int>(lines_.size()); }
  std::string_view Line(int index) override { return lines_.at(static_cast<size_t>(index)); }
  bool SelAvail() override { return anchor_ != caret_; }
  TextPos SelStart() override { return SelStartOf(); }
  TextPos SelEnd() override { return SelEndOf(); }
  TextPos CaretPos() override { return caret_; }
  void Select(TextPos anchor, TextPos caret) override {
    anchor_ = anchor;
    caret_ = caret;
  }

 private:
  bool AnchorFirst() const {
    return anchor_.line != caret_.line ? anchor_.line < caret_.line : anchor_.column < caret_.column;
  }
  TextPos SelStartOf() const { return AnchorFirst() ? anchor_ : caret_; }
  TextPos SelEndOf() const { return AnchorFirst() ? caret_ : anchor_; }

  std::vector<std::string> lines_;
  TextPos caret_, anchor_;
};

struct Row {
  const char* before;
  const char* pattern;
  unsigned options;
  const char* after;  // nullptr: not found, the editor untouched
};

constexpr unsigned kBack = soBackwards;
constexpr unsigned kAll = soEntireScope;
constexpr unsigned kSel = soSelectedOnly;

void ExpectRows(std::initializer_list<Row> rows) {
  for (const Row& r : rows) {
    DrawnEditor editor(r.before);
    const std::string drawnBefore = editor.Drawn();
    TEditSearch engine;
    const int found = FindInView(editor, engine, r.pattern, r.options);
    const std::string expected = r.after ? r.after : drawnBefore;
    EXPECT_EQ(found, r.after ? 1 : 0) << r.before << " / " << r.pattern << " / " << r.options;
    EXPECT_EQ(editor.Drawn(), expected) << r.before << " / " << r.pattern << " / " << r.options;
  }
}

TEST(FindOperation, ForwardFromTheTopOrFromTheCaret) {
  ExpectRows({
      {"aa^aa", "aa", kAll, "[aa]^aa"},
      {"^aaaa", "aa", 0, "[aa]^aa"},
      {"[aa]^aa", "aa", 0, "aa[aa]^"},
      {"aa[aa]^", "aa", 0, nullptr},
      {"x^abc", "abc", 0, "x[abc]^"},
      {"abc\nab^c abc\nabc", "abc", 0, "abc\nabc [abc]^\nabc"},
      {"^x\n\n\nab abc", "abc", 0, "x\n\n\nab [abc]^"},
  });
}

TEST(FindOperation, BackwardFromTheEndOrFromTheCaret) {
  ExpectRows({
      {"^aaaa", "aa", kBack | kAll, "aa^[aa]"},
      {"aaaa^", "aa", kBack, "aa^[aa]"},
      {"aa^[aa]", "aa", kBack, "^[aa]aa"},
      {"^[aa]aa", "aa", kBack, nullptr},
      {"abc^x", "abc", kBack, "^[abc]x"},
      {"abc\nabc ab^c\nabc", "abc", kBack, "abc\n^[abc] abc\nabc"},
      {"abc abc\n^x", "abc", kBack, "abc ^[abc]\nx"},
      {"^x abc", "abc", kBack | kAll, "x ^[abc]"},
  });
}

TEST(FindOperation, SelectedTextOnly) {
  ExpectRows({
      {"x[abc abc]^ abc", "abc", kSel, "x[abc]^ abc abc"},
      {"x[abc]^ abc", "abc", kSel, "x[abc]^ abc"},
      {"x[abc]^ abc", "abc", kSel | kAll, "x[abc]^ abc"},
      {"^[abc abc]", "abc", kSel | kBack, "abc ^[abc]"},
      {"abc [ab]^c", "abc", kSel, nullptr},
      {"a[bc\nabc\nab]^c", "abc", kSel, "abc\n[abc]^\nabc"},
      {"a[bc\nabc\nab]^c", "abc", kSel | kBack, "abc\n^[abc]\nabc"},
      // Without a selection the option is dropped.
      {"ab^c abc", "abc", kSel, "abc [abc]^"},
      {"abc a^bc", "abc", kSel | kBack, "^[abc] abc"},
  });
}

TEST(FindOperation, EngineOptionsAndNothingToSearch) {
  ExpectRows({
      {"^Abc abcd ABC", "abc", soWholeWord, "[Abc]^ abcd ABC"},
      {"^Abc abcd abc", "abc", soWholeWord | soMatchCase, "Abc abcd [abc]^"},
      {"^abc", "", kAll, nullptr},
      {"^", "a", kAll, nullptr},
      {"^", "a", kBack, nullptr},
  });
}

// Lines as the editor counts them: CR, LF and CR LF each end one, and a
// final break leaves an empty last line.
struct SplitText {
  std::vector<std::string_view> lines;
  std::vector<size_t> starts;
};

SplitText Split(std::string_view text) {
  SplitText split;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    split.lines.push_back(text.substr(start, i - start));
    split.starts.push_back(start);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  split.lines.push_back(text.substr(start));
  split.starts.push_back(start);
  return split;
}

// Walks downwards, upwards and by random steps, taking a line's start only
// when it is not next to the last one.
void ExpectWalksAgree(std::string_view text, std::mt19937& rng) {
  const SplitText split = Split(text);
  const int count = static_cast<int>(split.lines.size());
  const auto line = [&](TextLines& lines, int i) {
    const std::optional<std::string_view> adjacent = lines.Adjacent(i);
    return adjacent ? *adjacent : lines.LineAt(i, split.starts[static_cast<size_t>(i)]);
  };
  TextLines down(text);
  for (int i = 0; i < count; ++i) ASSERT_EQ(line(down, i), split.lines[static_cast<size_t>(i)]) << "down " << i;
  TextLines up(text);
  for (int i = count - 1; i >= 0; --i) ASSERT_EQ(line(up, i), split.lines[static_cast<size_t>(i)]) << "up " << i;
  TextLines wander(text);
  int i = static_cast<int>(rng() % static_cast<unsigned>(count));
  for (int step = 0; step < 3 * count; ++step) {
    ASSERT_EQ(line(wander, i), split.lines[static_cast<size_t>(i)]) << "wander " << i;
    const int r = static_cast<int>(rng() % 8);
    if (r == 0) i = static_cast<int>(rng() % static_cast<unsigned>(count));
    else i = std::clamp(i + (r < 5 ? 1 : -1), 0, count - 1);
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

}  // namespace
}  // namespace kw
