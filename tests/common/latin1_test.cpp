#include "common/latin1.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

char B(unsigned c) { return static_cast<char>(c); }

TEST(Latin1, CasePairsOverAllBytes) {
  int pairs = 0;  // each checked both ways, so one count covers both tables
  for (unsigned c = 0; c < 256; ++c) {
    const char ch = B(c), lo = LowerLatin1(ch), up = UpperLatin1(ch);
    EXPECT_TRUE(lo == ch || up == ch) << c;
    EXPECT_TRUE(lo == ch || (lo == B(c + 0x20) && UpperLatin1(lo) == ch)) << c;
    EXPECT_TRUE(up == ch || (up == B(c - 0x20) && LowerLatin1(up) == ch)) << c;
    pairs += lo != ch;
  }
  EXPECT_EQ(pairs, 26 + 30);
  // Inside the letter ranges but without a partner in the set.
  for (const unsigned c : {0xD7u, 0xF7u, 0xDFu, 0xFFu})
    EXPECT_TRUE(LowerLatin1(B(c)) == B(c) && UpperLatin1(B(c)) == B(c)) << c;
}

TEST(Latin1, StringsCompareWithoutCase) {
  EXPECT_EQ(LowerLatin1(std::string_view("\xC9T\xC9 A\0Z", 7)), std::string("\xE9t\xE9 a\0z", 7));
  EXPECT_TRUE(EqualIgnoringCaseLatin1("Main\xC9", "mAIN\xE9"));
  EXPECT_FALSE(EqualIgnoringCaseLatin1("ab", "abc"));
}

}  // namespace
}  // namespace kw
