#include "search/edit_search.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <wctype.h>

#include <random>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/latin1.h"
#include "support/thrown.h"

namespace kw {
namespace {

using namespace std::literals;
using Starts = std::vector<int>;

Starts FindAll(TEditSearch& engine, std::string_view text) {
  Starts starts(static_cast<size_t>(engine.FindAll(text)));
  for (size_t i = 0; i < starts.size(); ++i) starts[i] = engine.Results(static_cast<int>(i));
  return starts;
}

// Each row is the line drawn with its expected matches in brackets.
TEST(EditSearch, MatchesAreLeftmostAndNeverOverlap) {
  const struct { std::string_view drawn, pattern; unsigned options; } rows[] = {
      {"[aa][aa]", "aa", 0},
      {"[abab][abab]", "abab", 0},
      {"abc", "abcd", 0},
      {"[abc]", "abc", 0},
      {"[x\0]x"sv, "x\0"sv, 0},
      {"[abc] [Abc] [aBC] [ABC]", "ABC", 0},
      {"abc Abc aBC [ABC]", "ABC", soMatchCase},
      {"[\xE9t\xE9] [\xC9T\xC9] \xF7", "\xC9t\xE9", 0},
      {"[foo] a [foo]. ([foo]) [foo]-bar", "foo", soWholeWord},
      {"foobar afoo foo_bar foo1", "foo", soWholeWord},
      {"foox [foo]", "foo", soWholeWord},
      {"aaa [aa] aaaa", "aa", soWholeWord},
  };
  for (const auto& r : rows) {
    std::string text;
    Starts starts;
    for (char c : r.drawn) {
      if (c == '[') starts.push_back(static_cast<int>(text.size()) + 1);
      else if (c != ']') text += c;
    }
    TEditSearch engine;
    engine.SetOptions(r.options);
    engine.SetPattern(r.pattern);
    EXPECT_EQ(FindAll(engine, text), starts) << testing::PrintToString(r.pattern) << " in " << r.drawn;
  }
}

// Shifts beyond 255 bytes; 255 itself would wrap a byte to 0.
TEST(EditSearch, PatternsLongerThanAByteOfShift) {
  for (size_t n : {255, 256, 300}) {
    const std::string pattern = std::string(n - 1, 'x') + "Y";
    const std::string text = std::string(1000, 'z') + pattern + std::string(n, 'z') + pattern + "x" + pattern;
    TEditSearch engine;
    engine.SetPattern(pattern);
    const int second = 1001 + 2 * static_cast<int>(n);
    EXPECT_EQ(FindAll(engine, text), (Starts{1001, second, second + static_cast<int>(n) + 1})) << n;
  }
}

TEST(EditSearch, EmptyPatternFails) {
  TEditSearch engine;
  EXPECT_EQ(test::ThrownText<EKempwellError>([&] { engine.FindAll("abc"); }), "Pattern is empty");
}

TEST(EditSearch, SamePatternAfterSwitchingCase) {
  TEditSearch engine;
  engine.SetPattern("ABC");
  EXPECT_EQ(FindAll(engine, "abc ABC"), (Starts{1, 5}));
  engine.SetOptions(soMatchCase);
  engine.SetPattern("ABC");
  EXPECT_EQ(FindAll(engine, "abc ABC"), (Starts{5}));
  engine.SetOptions(soWholeWord);
  EXPECT_EQ(FindAll(engine, "abcd ABC"), (Starts{6}));
}

// Leftmost non-overlapping matches, tried at every position. Code points
// 0-255 are ISO-8859-1, so the C library's letter classes are theirs.
Starts NaiveFindAll(std::string_view text, std::string_view pattern, unsigned options, locale_t utf8) {
  const auto fold = [&](char c) { return (options & soMatchCase) ? c : LowerLatin1(c); };
  const auto delimiter = [&](size_t i) {
    return i >= text.size() || (text[i] != '_' && !iswalnum_l(static_cast<unsigned char>(text[i]), utf8));
  };
  Starts starts;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    bool equal = true;
    for (size_t k = 0; k < pattern.size() && equal; ++k) equal = fold(text[i + k]) == fold(pattern[k]);
    if (equal && (options & soWholeWord)) equal = (i == 0 || delimiter(i - 1)) && delimiter(i + pattern.size());
    if (!equal) continue;
    starts.push_back(static_cast<int>(i) + 1);
    i += pattern.size() - 1;
  }
  return starts;
}

TEST(EditSearch, AgreesWithNaiveSearchOnRandomBytes) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (!utf8) GTEST_SKIP() << "no C.UTF-8 locale";
  // Case pairs, word bytes and delimiters of both halves of the code page.
  const char alphabet[] = {'a',    'A',    'b',    'B',    ' ',    '_',    '1',    '\0',
                           '\xE9', '\xC9', '\xD7', '\xF7', '\xAA', '\xB5', '\xB2', '\xFF'};
  std::mt19937 rng(5021);
  const auto randomBytes = [&](size_t n, size_t letters) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % letters];
    return s;
  };
  // One engine throughout, so that its tables meet every sequence of
  // option and pattern changes.
  TEditSearch engine;
  for (int round = 0; round < 30000; ++round) {
    const size_t letters = round % 2 ? sizeof alphabet : 4;
    const std::string text = randomBytes(rng() % 40, letters);
    const std::string pattern = randomBytes(1 + rng() % 6, letters);
    const unsigned options = rng() % 4;  // soMatchCase, soWholeWord
    engine.SetOptions(options);
    engine.SetPattern(pattern);
    ASSERT_EQ(FindAll(engine, text), NaiveFindAll(text, pattern, options, utf8))
        << testing::PrintToString(pattern) << " in " << testing::PrintToString(text) << " options " << options;
  }
  freelocale(utf8);
}

}  // namespace
}  // namespace kw
