#include "tidy/str_search.h"

#include <gtest/gtest.h>

#include <random>

#include "common/error.h"
#include "support/thrown.h"

namespace kw {
namespace {

using namespace std::literals;

TEST(StrSearch, SkipTableLastOccurrenceWinsAndLastByteIsLeftOut) {
  const SkipTable t = MakeSkipTable("abcab");
  EXPECT_EQ(t['a'], 1u);
  EXPECT_EQ(t['b'], 3u);  // only the b at k = 1 counts
  EXPECT_EQ(t['c'], 2u);
  EXPECT_EQ(t['z'], 5u);
  const SkipTable high = MakeSkipTable("\xFF\0\xFF"sv);
  EXPECT_EQ(high[0xFF], 2u);
  EXPECT_EQ(high[0], 1u);
  EXPECT_EQ(high[0xFE], 3u);
}

struct SearchRow {
  const char* name;
  std::string_view source, pattern;
  long sourceLen, patternLen, startPos, expected;
};

TEST(StrSearch, SearchFromTable) {
  const SearchRow rows[] = {
      {"line at start", "line 12 column", "line", 4, 4, 1, 1},
      {"shorter than pattern", "lin", "line", 4, 4, 1, 0},
      {"line later is outside SourceLen", "x line", "line", 4, 4, 1, 0},
      {"start skips first match", "abcabc", "abc", 6, 3, 2, 4},
      {"start on the match", "abcabc", "abc", 6, 3, 4, 4},
      {"start past last fit", "abcabc", "abc", 6, 3, 5, 0},
      {"SourceLen cuts the match", "abcabc", "abc", 5, 3, 2, 0},
      {"start below 1 counts as 1", "abc", "a", 3, 1, 0, 1},
      {"only PatternLen bytes count", "xxbcd", "bcz", 5, 2, 1, 3},
      {"empty pattern", "abc", "", 3, 0, 1, 0},
      {"PatternLen 0", "abc", "a", 3, 0, 1, 0},
      {"pattern longer than source", "ab", "abc", 2, 3, 1, 0},
      {"overlapping prefix", "aaab", "aab", 4, 3, 1, 2},
      {"high bytes", "a\xE9\xFF\xE9\xFF", "\xE9\xFF", 5, 2, 3, 4},
      {"zero bytes", "a\0b\0c"sv, "\0c"sv, 5, 2, 1, 4},
  };
  for (const SearchRow& r : rows)
    EXPECT_EQ(SearchFrom(r.source, r.pattern, r.sourceLen, r.patternLen, r.startPos), r.expected) << r.name;
  // Long patterns take another table type.
  const std::string longPattern = std::string(299, 'a') + "b";
  const std::string longSource = std::string(400, 'a') + "b" + longPattern;
  EXPECT_EQ(SearchFrom(longSource, longPattern, 701, 300, 1), 102);
  EXPECT_EQ(SearchFrom(longSource, longPattern, 701, 300, 103), 402);
}

TEST(StrSearch, AgreesWithFindOnRandomBytes) {
  std::mt19937 rng(20240607);
  const char alphabet[] = {'a', 'b', '\0', '\xFF'};
  const auto randomBytes = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % 4];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string source = randomBytes(rng() % 30);
    const std::string pattern = randomBytes(1 + rng() % 4);
    const long sourceLen = static_cast<long>(rng() % (source.size() + 1));
    const long startPos = 1 + static_cast<long>(rng() % (source.size() + 1));
    const size_t at = std::string_view(source).substr(0, sourceLen).find(pattern, startPos - 1);
    const long expected = at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
    ASSERT_EQ(SearchFrom(source, pattern, sourceLen, static_cast<long>(pattern.size()), startPos), expected)
        << testing::PrintToString(source) << " / " << testing::PrintToString(pattern) << " " << sourceLen << " "
        << startPos;
  }
}

struct ReplaceRow {
  const char* name;
  std::string_view source, pattern, replacement;
  bool caseSensitive;
  std::string_view expected;
};

TEST(StrSearch, ReplaceEveryTable) {
  const ReplaceRow rows[] = {
      {"no overlap", "aaa", "aa", "X", true, "Xa"},
      {"every occurrence", "line 5 column 1 - inline x", "line ", "", true, "5 column 1 - inx"},
      {"case kept when sensitive", "Line line x", "line ", "", true, "Line x"},
      {"ASCII case ignored", "Line 1 LINE 2", "line ", "", false, "1 2"},
      {"Latin-1 letters case ignored", "\xC9t\xC9 \xE9T\xE9", "\xE9t\xE9", "x", false, "x x"},
      {"times and divide are not a case pair", "\xD7\xF7", "\xF7", "x", false, "\xD7x"},
      {"longer replacement", "abab", "b", "XYZ", true, "aXYZaXYZ"},
      {"no match", "abc", "d", "X", true, "abc"},
      {"empty source", "", "d", "X", true, ""},
  };
  for (const ReplaceRow& r : rows)
    EXPECT_EQ(ReplaceEvery(r.source, r.pattern, r.replacement, r.caseSensitive), r.expected) << r.name;
}

TEST(StrSearch, EmptyPatternFailsWithBufferLenMessage) {
  EXPECT_EQ(test::ThrownText<EKempwellError>([] { MakeSkipTable(""); }), "BufferLen is 0");
  EXPECT_EQ(test::ThrownText<EKempwellError>([] { ReplaceEvery("abc", "", "x", false); }), "BufferLen is 0");
}

}  // namespace
}  // namespace kw
