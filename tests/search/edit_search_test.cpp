// Matching, case and whole words are held against naive searches on random
// text; the fixed cases are what random text does not reach.
#include "search/edit_search.h"

#include <gtest/gtest.h>
#include <QString>
#include <locale.h>
#include <wctype.h>

#include <cctype>
#include <iterator>
#include <random>
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

// Characters as code points, each with the byte column it starts at; a
// continuation byte left over after a character makes it one that matches
// no pattern's (a text need not be valid UTF-8).
struct Utf8Text {
  std::string bytes;
  std::vector<char32_t> chars;
  std::vector<int> columns;
};

constexpr char32_t kInvalid = 0x80000000;

// Leftmost non-overlapping matches of whole characters; ISO-8859-1's case
// pairs fold, only ASCII's punctuation, space and controls end words.
Starts NaiveUtf8FindAll(const Utf8Text& text, const std::vector<char32_t>& pattern, unsigned options) {
  const auto fold = [&](char32_t c) { return (options & soMatchCase) || c > 0xFF ? c : kLatin1Lower[c]; };
  const auto delimiter = [&](size_t i) {
    const char32_t c = i < text.chars.size() ? text.chars[i] : 0;
    return c < 0x80 && c != '_' && !std::isalnum(static_cast<int>(c));
  };
  Starts starts;
  for (size_t i = 0; i + pattern.size() <= text.chars.size(); ++i) {
    bool equal = true;
    for (size_t k = 0; k < pattern.size() && equal; ++k) equal = fold(text.chars[i + k]) == fold(pattern[k]);
    if (equal && (options & soWholeWord)) equal = (i == 0 || delimiter(i - 1)) && delimiter(i + pattern.size());
    if (!equal) continue;
    starts.push_back(text.columns[i]);
    i += pattern.size() - 1;
  }
  return starts;
}

// Random lines through one engine, so that its tables meet every sequence of
// encoding, option and pattern changes: UTF-8 text against the naive search
// of characters, and every fourth line ISO-8859-1 bytes against the naive
// search of bytes.
TEST(EditSearch, AgreesWithNaiveSearchOnRandomText) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (!utf8) GTEST_SKIP() << "no C.UTF-8 locale";
  // é É, ĉ ĩ (C4 89, C4 A9: a pair under another lead), the ends of the
  // letter range (À à, ß ÿ Ÿ, × ÷), € and a four-byte character; kInvalid
  // stands for a stray continuation byte.
  const char32_t alphabet[] = {U'a', U'\xE9', U'\xC9', U'\u0109', U'\u0129', kInvalid, U'A', U' ', U'_', U'1',
                               U'\xC0', U'\xE0', U'\xD7', U'\xF7', U'\xDF', U'\xFF', U'\u0178', U'\u20AC',
                               U'\U0001F600', U'.'};
  std::mt19937 rng(7331);
  const auto randomChars = [&](size_t n, size_t letters, bool strays) {
    Utf8Text t;
    for (size_t i = 0; i < n; ++i) {
      const char32_t c = alphabet[rng() % letters];
      if (c != kInvalid) {
        t.columns.push_back(static_cast<int>(t.bytes.size()) + 1);
        t.chars.push_back(c);
        t.bytes += QString::fromUcs4(&c, 1).toStdString();
      } else if (strays && !t.chars.empty() && t.chars.back() >= 0x80) {  // a word's bytes on either side
        t.chars.back() |= kInvalid;
        t.bytes += '\xA9';
      }
    }
    return t;
  };
  // Case pairs, word bytes and delimiters of both halves of the code page.
  const char bytes[] = {'a', 'A', 'b', 'B', ' ', '_', '1', '\0', '\xE9', '\xC9', '\xD7', '\xF7', '\xAA', '\xB5', '\xB2', '\xFF'};
  const auto randomBytes = [&](size_t n, size_t letters) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += bytes[rng() % letters];
    return s;
  };
  TEditSearch engine;
  for (int round = 0; round < 60000; ++round) {
    const bool latin1 = round % 4 == 3;
    const size_t letters = round % 8 < 4 ? (latin1 ? std::size(bytes) : std::size(alphabet)) : (latin1 ? 4 : 6);
    const Utf8Text text = randomChars(rng() % 30, letters, true);
    const Utf8Text pattern = randomChars(1 + rng() % 4, letters, false);
    const std::string textBytes = latin1 ? randomBytes(rng() % 40, letters) : text.bytes;
    const std::string patternBytes = latin1 ? randomBytes(1 + rng() % 6, letters) : pattern.bytes;
    if (patternBytes.empty()) continue;
    const unsigned options = rng() % 4;  // soMatchCase, soWholeWord
    engine.SetEncoding(latin1 ? TextEncoding::Latin1 : TextEncoding::Utf8);
    engine.SetOptions(options);
    engine.SetPattern(patternBytes);
    const Starts expected = latin1 ? NaiveFindAll(textBytes, patternBytes, options, utf8)
                                   : NaiveUtf8FindAll(text, pattern.chars, options);
    ASSERT_EQ(FindAll(engine, textBytes), expected) << testing::PrintToString(patternBytes) << " in "
                                                    << testing::PrintToString(textBytes) << " options " << options
                                                    << (latin1 ? " ISO-8859-1" : " UTF-8");
  }
  freelocale(utf8);
}

}  // namespace
}  // namespace kw
