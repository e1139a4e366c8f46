#include "tidy/str_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/error.h"
#include "support/thrown.h"

namespace kw {
namespace {

// Lengths and starts out of range on either side, and now and then a long
// pattern cut from the source, up to and past the 256 bytes whose skips a
// byte table cannot hold.
TEST(StrSearch, SearchFromAgreesWithFindOnRandomBytes) {
  std::mt19937 rng(20240607);
  const char alphabet[] = {'a', 'a', 'b', '\0', '\xFF'};
  const auto randomBytes = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % 5];
    return s;
  };
  const auto around = [&](size_t n) { return static_cast<long>(rng() % (n + 4)) - 1; };
  for (int i = 0; i < 20000; ++i) {
    const bool wide = i % 8 == 0;
    std::string source = randomBytes(rng() % (wide ? 700 : 30));
    const size_t cut = wide ? rng() % (source.size() + 1) : 0;
    std::string pattern = wide ? source.substr(cut, 250 + rng() % 20) : randomBytes(1 + rng() % 4);
    if (wide && !pattern.empty() && rng() % 2) pattern[rng() % pattern.size()] = 'b';
    if (wide && !source.empty()) source[rng() % source.size()] = 'c';  // a byte no pattern holds
    const long sourceLen = around(source.size()), patternLen = wide ? 300 : around(pattern.size());
    const long startPos = wide ? 1 + static_cast<long>(rng() % (cut + 1)) : around(source.size());
    const std::string_view searched = std::string_view(source).substr(0, std::max(sourceLen, 0L));
    const std::string_view sought = std::string_view(pattern).substr(0, std::max(patternLen, 0L));
    const size_t at = searched.find(sought, std::max(startPos, 1L) - 1);
    const long expected = sought.empty() || at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
    ASSERT_EQ(SearchFrom(source, pattern, sourceLen, patternLen, startPos), expected)
        << testing::PrintToString(source) << " / " << testing::PrintToString(pattern) << " " << sourceLen << " "
        << patternLen << " " << startPos;
  }
}

TEST(StrSearch, ReplaceEveryTable) {
  const struct {
    std::string_view source, pattern, replacement;
    bool caseSensitive;
    std::string_view expected;
  } rows[] = {
      {"aaa", "aa", "X", true, "Xa"},
      {"Line line inline x", "line ", "", true, "Line inx"},
      {"Line 1 LINE 2", "line ", "", false, "1 2"},
      {"\xC9T\xC9\xF7 \xE9t\xE9\xD7", "\xE9t\xE9\xF7", "x", false, "x \xE9t\xE9\xD7"},
      {"abab", "b", "XYZ", true, "aXYZaXYZ"},
      {"", "", "X", true, ""},
  };
  for (const auto& r : rows)
    EXPECT_EQ(ReplaceEvery(r.source, r.pattern, r.replacement, r.caseSensitive), r.expected) << r.source;
  EXPECT_EQ(test::ThrownText<EKempwellError>([] { ReplaceEvery("abc", "", "x", false); }), "BufferLen is 0");
}

}  // namespace
}  // namespace kw
