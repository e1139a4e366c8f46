#include "common/latin1.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

char B(unsigned c) { return static_cast<char>(c); }

TEST(Latin1, CasePairsOverAllBytes) {
  int lowered = 0;
  for (unsigned c = 0; c < 256; ++c) {
    const char ch = B(c), lo = LowerLatin1(ch), up = UpperLatin1(ch);
    EXPECT_TRUE(lo == ch || up == ch) << c;
    EXPECT_EQ(UpperLatin1(lo), lo == ch ? up : ch) << c;  // a change is undone by the other table
    if (lo != ch) {
      ++lowered;
      EXPECT_EQ(static_cast<unsigned char>(lo), c + 0x20) << c;
    }
  }
  EXPECT_EQ(lowered, 26 + 30);

  // Neighbours of the letter ranges, and the bytes without a partner.
  const unsigned fixed[] = {'@', '[', '`', '{', 0xD7, 0xF7, 0xDF, 0xFF, 0xB5, 0};
  for (const unsigned c : fixed) {
    EXPECT_EQ(LowerLatin1(B(c)), B(c)) << c;
    EXPECT_EQ(UpperLatin1(B(c)), B(c)) << c;
  }
  EXPECT_EQ(LowerLatin1(B(0xC9)), B(0xE9));
  EXPECT_EQ(UpperLatin1(B(0xFE)), B(0xDE));
}

TEST(Latin1, StringsCompareWithoutCase) {
  EXPECT_EQ(LowerLatin1(std::string_view("\xC9T\xC9 A\0Z\xFF", 8)), std::string("\xE9t\xE9 a\0z\xFF", 8));
  const struct {
    const char *a, *b;
    bool equal;
  } cases[] = {
      {"", "", true}, {"Main", "mAIN", true}, {"\xC9t\xC9", "\xE9T\xE9", true}, {"ab", "abc", false},
      {"\xD7", "\xF7", false}, {"@", "`", false}, {"[", "{", false}, {"\xDF", "ss", false},
  };
  for (const auto& t : cases) EXPECT_EQ(EqualIgnoringCaseLatin1(t.a, t.b), t.equal) << t.a << " / " << t.b;
}

}  // namespace
}  // namespace kw
