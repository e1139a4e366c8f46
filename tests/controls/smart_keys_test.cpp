#include "controls/smart_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

// Runs a smart key on the last line of lines.
struct Lines {
  std::vector<std::string> text;
  std::string_view operator()(int i) const { return text.at(static_cast<size_t>(i)); }
  int Last() const { return static_cast<int>(text.size()) - 1; }
};

TEST(SmartKeysTest, TabLinesUpWithTheNextWordStartAbove) {
  EXPECT_EQ(kw::SmartTabColumn(Lines{{"<ul>   <li>  x", ""}}, 1, 0), 7);
  EXPECT_EQ(kw::SmartTabColumn(Lines{{"<ul>   <li>  x", "abcdefgh"}}, 1, 8), 13);
  // Blank lines are passed over; a line without a later word start gives the next tab stop.
  EXPECT_EQ(kw::SmartTabColumn(Lines{{"a   b", "   ", ""}}, 2, 0), 4);
  EXPECT_EQ(kw::SmartTabColumn(Lines{{"ab", ""}}, 1, 3), 8);
  EXPECT_EQ(kw::SmartTabColumn(Lines{{""}}, 0, 8), 16);
  // Tabs in the line above count to their tab stop.
  EXPECT_EQ(kw::SmartTabColumn(Lines{{"\tx", ""}}, 1, 0), 8);
}

TEST(SmartKeysTest, BackspaceInLeadingBlanksGoesBackToAnOuterIndentation) {
  const Lines lines{{"<ul>", "    <li>", "        <b>", "        "}};
  EXPECT_EQ(kw::SmartBackspaceColumn(lines, 3, "        "), 4);
  EXPECT_EQ(kw::SmartBackspaceColumn(lines, 3, "    "), 0);
  EXPECT_EQ(kw::SmartBackspaceColumn(lines, 3, "  x"), std::nullopt);
  EXPECT_EQ(kw::SmartBackspaceColumn(lines, 3, ""), std::nullopt);
}

TEST(SmartKeysTest, ColumnsAndTrailingBlanks) {
  EXPECT_EQ(kw::DisplayColumn("a\tb", 2), 8);
  EXPECT_EQ(kw::IndexAtColumn("a\tb", 5), 2u);
  EXPECT_EQ(kw::IndexAtColumn("ab", 9), 2u);
  EXPECT_EQ(kw::TrailingBlanksStart("x \t "), 1u);
  EXPECT_EQ(kw::TrailingBlanksStart("   "), 0u);
  EXPECT_EQ(kw::TrailingBlanksStart("x"), 1u);
}

}  // namespace
