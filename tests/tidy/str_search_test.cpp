#include "tidy/str_search.h"

#include <gtest/gtest.h>

#include <random>

#include "common/error.h"
#include "support/thrown.h"

namespace kw {
namespace {

using namespace std::literals;

// What the random cross-check below never varies: cut lengths, starts below
// 1 and patterns long enough for the wide skip table.
TEST(StrSearch, SearchFromLimits) {
  const std::string longPattern = std::string(299, 'a') + "b";
  const std::string longSource = std::string(400, 'a') + "b" + longPattern;
  // 256 bytes is the first length whose skips a byte table cannot hold.
  const std::string pattern256 = std::string(255, 'a') + "b";
  const std::string source256 = std::string(255, 'a') + "c" + pattern256;
  const struct {
    const char* name;
    std::string_view source, pattern;
    long sourceLen, patternLen, startPos, expected;
  } rows[] = {
      {"SourceLen cuts the match", "abcabc", "abc", 5, 3, 2, 0},
      {"SourceLen beyond the source", "abc", "c", 9, 1, 1, 3},
      {"start below 1 counts as 1", "abc", "a", 3, 1, 0, 1},
      {"only PatternLen bytes count", "xxbcd", "bcz", 5, 2, 1, 3},
      {"PatternLen beyond the pattern", "xxbcd", "bc", 5, 9, 1, 3},
      {"PatternLen 0", "abc", "a", 3, 0, 1, 0},
      {"pattern longer than source", "ab", "abc", 2, 3, 1, 0},
      {"long pattern", longSource, longPattern, 701, 300, 1, 102},
      {"long pattern from a start", longSource, longPattern, 701, 300, 103, 402},
      {"pattern of 256 bytes", source256, pattern256, 512, 256, 1, 257},
  };
  for (const auto& r : rows)
    EXPECT_EQ(SearchFrom(r.source, r.pattern, r.sourceLen, r.patternLen, r.startPos), r.expected) << r.name;
}

TEST(StrSearch, SearchFromAgreesWithFindOnRandomBytes) {
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

TEST(StrSearch, ReplaceEveryTable) {
  const struct {
    const char* name;
    std::string_view source, pattern, replacement;
    bool caseSensitive;
    std::string_view expected;
  } rows[] = {
      {"no overlap", "aaa", "aa", "X", true, "Xa"},
      {"every occurrence", "line 5 column 1 - inline x", "line ", "", true, "5 column 1 - inx"},
      {"case kept when sensitive", "Line line x", "line ", "", true, "Line x"},
      {"ASCII case ignored", "Line 1 LINE 2", "line ", "", false, "1 2"},
      {"Latin-1 letters case ignored", "\xC9t\xC9 \xE9T\xE9", "\xE9t\xE9", "x", false, "x x"},
      {"times and divide are not a case pair", "\xD7\xF7", "\xF7", "x", false, "\xD7x"},
      {"longer replacement, match at the end", "abab", "b", "XYZ", true, "aXYZaXYZ"},
      {"empty source, whatever the pattern", "", "", "X", true, ""},
  };
  for (const auto& r : rows)
    EXPECT_EQ(ReplaceEvery(r.source, r.pattern, r.replacement, r.caseSensitive), r.expected) << r.name;
  EXPECT_EQ(test::ThrownText<EKempwellError>([] { ReplaceEvery("abc", "", "x", false); }), "BufferLen is 0");
}

}  // namespace
}  // namespace kw
