// Matching, case and whole words are held against a naive search on random
// text; the fixed cases are what random text does not reach.
#include "search/edit_search.h"

#include <gtest/gtest.h>
#include <QString>
#include <locale.h>
#include <wctype.h>

#include <cctype>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/latin1.h"
#include "support/thrown.h"

namespace kw {
namespace {

using Starts = std::vector<int>;

Starts FindAll(TEditSearch& engine, std::string_view text) {
  Starts starts(static_cast<size_t>(engine.FindAll(text)));
  for (size_t i = 0; i < starts.size(); ++i) starts[i] = engine.Results(static_cast<int>(i));
  return starts;
}

// Shifts beyond 255 bytes (255 itself would wrap a byte to 0), and no pattern.
TEST(EditSearch, LongPatternsAndNone) {
  TEditSearch engine;
  for (size_t n : {255, 256, 300}) {
    const std::string pattern = std::string(n - 1, 'x') + "Y";
    const std::string text = std::string(1000, 'z') + pattern + std::string(n, 'z') + pattern + "x" + pattern;
    engine.SetPattern(pattern);
    const int second = 1001 + 2 * static_cast<int>(n);
    EXPECT_EQ(FindAll(engine, text), (Starts{1001, second, second + static_cast<int>(n) + 1})) << n;
  }
  engine.SetPattern("");
  EXPECT_EQ(test::ThrownText<EKempwellError>([&] { engine.FindAll("abc"); }), "Pattern is empty");
}

// Characters as code points, each with the byte column it starts at. In
// UTF-8 a continuation byte left over after a character makes it one that
// matches no pattern's (a text need not be valid UTF-8).
struct Chars {
  std::string bytes;
  std::vector<char32_t> chars;
  std::vector<int> columns;
};

constexpr char32_t kInvalid = 0x80000000;

// Leftmost non-overlapping matches, tried at every position; ISO-8859-1's
// case pairs fold. In UTF-8 only ASCII's punctuation, space and controls end
// words; ISO-8859-1's bytes are code points 0-255, classed by the C library.
Starts NaiveFindAll(const Chars& text, const Chars& pattern, unsigned options, locale_t latin1) {
  const auto fold = [&](char32_t c) { return (options & soMatchCase) || c > 0xFF ? c : kLatin1Lower[c]; };
  const auto delimiter = [&](size_t i) {
    const char32_t c = i < text.chars.size() ? text.chars[i] : 0;
    if (latin1) return c != '_' && !iswalnum_l(static_cast<wint_t>(c), latin1);
    return c < 0x80 && c != '_' && !std::isalnum(static_cast<int>(c));
  };
  const size_t size = pattern.chars.size();
  Starts starts;
  for (size_t i = 0; i + size <= text.chars.size(); ++i) {
    bool equal = true;
    for (size_t k = 0; k < size && equal; ++k) equal = fold(text.chars[i + k]) == fold(pattern.chars[k]);
    if (equal && (options & soWholeWord)) equal = (i == 0 || delimiter(i - 1)) && delimiter(i + size);
    if (!equal) continue;
    starts.push_back(text.columns[i]);
    i += size - 1;
  }
  return starts;
}

Chars RandomChars(std::mt19937& rng, std::span<const char32_t> alphabet, size_t n, bool latin1, bool strays) {
  Chars t;
  for (size_t i = 0; i < n; ++i) {
    const char32_t c = alphabet[rng() % alphabet.size()];
    if (c == kInvalid) {
      if (!strays || t.chars.empty() || t.chars.back() < 0x80) continue;  // a word's bytes on either side
      t.chars.back() |= kInvalid;
      t.bytes += '\xA9';
      continue;
    }
    t.columns.push_back(static_cast<int>(t.bytes.size()) + 1);
    t.chars.push_back(c);
    t.bytes += latin1 ? std::string(1, static_cast<char>(c)) : QString::fromUcs4(&c, 1).toStdString();
  }
  return t;
}

// Random lines through one engine, so that its tables meet every sequence of
// encoding, option and pattern changes; every fourth line is ISO-8859-1.
TEST(EditSearch, AgreesWithNaiveSearchOnRandomText) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (!utf8) GTEST_SKIP() << "no C.UTF-8 locale";
  // é É, ĉ ĩ (C4 89, C4 A9: a pair under another lead), the ends of the
  // letter ranges (À à, ß ÿ Ÿ, × ÷, Z z, Þ þ), € and a four-byte character;
  // kInvalid stands for a stray continuation byte.
  const char32_t chars[] = {U'a', U'\xE9', U'\xC9', U'\u0109', U'\u0129', kInvalid, U'A', U' ', U'_', U'1',
                            U'\xC0', U'\xE0', U'\xD7', U'\xF7', U'\xDF', U'\xFF', U'\u0178', U'\u20AC',
                            U'\U0001F600', U'.', U'Z', U'z', U'\xDE', U'\xFE'};
  // Case pairs, word bytes and delimiters of both halves of the code page.
  const char32_t bytes[] = {'a', 'A', 'b', 'B', ' ', '_', '1', 0,
                            0xE9, 0xC9, 0xD7, 0xF7, 0xAA, 0xB5, 0xB2, 0xFF};
  std::mt19937 rng(7331);
  TEditSearch engine;
  for (int round = 0; round < 60000; ++round) {
    const bool latin1 = round % 4 == 3;
    std::span<const char32_t> alphabet = latin1 ? std::span<const char32_t>(bytes) : chars;
    if (round % 8 >= 4) alphabet = alphabet.first(latin1 ? 4 : 6);
    const Chars text = RandomChars(rng, alphabet, rng() % (latin1 ? 40 : 30), latin1, true);
    const Chars pattern = RandomChars(rng, alphabet, 1 + rng() % (latin1 ? 6 : 4), latin1, false);
    if (pattern.bytes.empty()) continue;
    const unsigned options = rng() % 4;  // soMatchCase, soWholeWord
    engine.SetEncoding(latin1 ? TextEncoding::Latin1 : TextEncoding::Utf8);
    engine.SetOptions(options);
    engine.SetPattern(pattern.bytes);
    ASSERT_EQ(FindAll(engine, text.bytes), NaiveFindAll(text, pattern, options, latin1 ? utf8 : nullptr))
        << testing::PrintToString(pattern.bytes) << " in " << testing::PrintToString(text.bytes)
        << " options " << options << (latin1 ? " ISO-8859-1" : " UTF-8");
  }
  freelocale(utf8);
}

}  // namespace
}  // namespace kw
