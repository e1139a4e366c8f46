#include "controls/smart_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The lines above the caret's line, which is the next one.
struct Above {
  std::vector<std::string> text;
  std::string_view operator()(int i) const { return text.at(static_cast<size_t>(i)); }
  int CaretLine() const { return static_cast<int>(text.size()); }
};

// A line to line up with, then blank lines.
Above WithBlanksBelow(const char* line, int blanks) {
  Above above{{line}};
  above.text.resize(static_cast<size_t>(blanks) + 1);
  return above;
}

TEST(SmartKeysTest, TabLinesUpWithTheNextWordStartAbove) {
  const struct {
    const char* name;
    Above above;
    int column, expected;
  } rows[] = {
      {"first word start", {{"<ul>   <li>  x"}}, 0, 7},
      {"the one right of the caret", {{"<ul>   <li>  x"}}, 8, 13},
      {"a word start at the caret does not count", {{"<ul>   <li>  x"}}, 7, 13},
      {"blank lines are passed over", {{"a   b", "   "}}, 0, 4},
      {"a tab counts to its tab stop", {{"\tx"}}, 0, 8},
      {"no later word start: the next tab stop", {{"a   b", "ab"}}, 3, 8},
      {"no line above", {{}}, 8, 16},
      {"looks 100 lines up", WithBlanksBelow("a   b", 99), 0, 4},
      {"but not 101", WithBlanksBelow("a   b", 100), 0, 8},
  };
  for (const auto& r : rows)
    EXPECT_EQ(kw::SmartTabColumn(r.above, r.above.CaretLine(), r.column), r.expected) << r.name;
}

TEST(SmartKeysTest, BackspaceInLeadingBlanksGoesBackToAnOuterIndentation) {
  const Above above{{"<ul>", "    <li>", "", "        <b>"}};
  const struct {
    const char* before;
    std::optional<int> expected;
  } rows[] = {{"        ", 4}, {"\t", 4}, {"         ", 8}, {"    ", 0}, {"  x", std::nullopt}, {"", std::nullopt}};
  for (const auto& r : rows)
    EXPECT_EQ(kw::SmartBackspaceColumn(above, above.CaretLine(), r.before), r.expected) << '"' << r.before << '"';
  const Above reach = WithBlanksBelow("    x", 99), beyond = WithBlanksBelow("    x", 100);
  EXPECT_EQ(kw::SmartBackspaceColumn(reach, reach.CaretLine(), "        "), 4);
  EXPECT_EQ(kw::SmartBackspaceColumn(beyond, beyond.CaretLine(), "        "), 0);
}

// Columns across tabs and past a line's end go through the Tab rows above.
TEST(SmartKeysTest, TrailingBlanks) {
  EXPECT_EQ(kw::TrailingBlanksStart("x \t "), 1u);
  EXPECT_EQ(kw::TrailingBlanksStart("   "), 0u);
}

}  // namespace
