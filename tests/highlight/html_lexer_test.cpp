#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>

#include "highlight/html_highlighter.h"
#include "support/temp_files.h"

namespace kw {
namespace {

using namespace std::string_literals;

constexpr const char* kKindNames[] = {"tkAmpersand", "tkComment", "tkIdentifier", "tkKey",      "tkNull",
                                      "tkSpace",     "tkSymbol",  "tkText",       "tkUndefKey", "tkValue"};
constexpr const char* kRangeNames[] = {"rsText",  "rsComment",           "rsTagName",           "rsAttributes",
                                       "rsValue", "rsSingleQuotedValue", "rsDoubleQuotedValue", "rsEntity"};

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    const char* named = c == '\t' ? "\\t" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : nullptr;
    if (c == '\\') named = "\\\\";
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    const bool plain = c >= 0x20 && c < 0x7F;
    out += named ? std::string(named) : plain ? std::string(1, static_cast<char>(c)) : std::string(hex);
  }
  return out;
}

// One line in the golden format: "kind<TAB>bytes" per token, then "-- range"
// unless withRange is false. With skipBreaks the CR/LF tokens of a text
// lexed as one line are left out.
std::string Lexed(THTMLHighlighter& h, std::string_view line, bool skipBreaks = false,
                  bool withRange = true) {
  std::string out;
  for (h.SetLine(line, 0); !h.GetEol(); h.Next()) {
    const std::string token = h.GetToken();
    if (skipBreaks && h.GetTokenKind() == tkSpace && (token == "\n" || token == "\r\n")) continue;
    out += std::string(kKindNames[h.GetTokenKind()]) + "\t" + Escaped(token) + "\n";
  }
  return withRange ? out + "-- " + kRangeNames[h.GetRange()] + "\n" : out;
}

// Lines as an editor holds them (a break at the very end starts no line),
// each from the range the previous one ended in; withRanges false leaves
// only the last range, as lexing the text as one line gives it.
std::string LexedByLines(std::string_view text, bool utf8, bool withRanges = true) {
  THTMLHighlighter h;
  h.SetUtf8(utf8);
  h.ResetRange();
  std::string out;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    h.SetRange(h.GetRange());
    out += Lexed(h, text.substr(start, end - start), false, withRanges);
    start = end + 1;
  }
  return withRanges ? out : out + "-- " + kRangeNames[h.GetRange()] + "\n";
}

std::string LexedAsOneLine(std::string_view text, bool utf8) {
  THTMLHighlighter h;
  h.SetUtf8(utf8);
  return Lexed(h, text, true);
}

std::string WithCrLf(const std::string& text) { return std::regex_replace(text, std::regex("\n"), "\r\n"); }

std::vector<std::string> GoldenCases() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(KW_HTML_GOLDEN_DIR))
    if (entry.path().extension() == ".htm") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Golden cases: <case>.htm, with LF breaks only, beside <case>.tokens; a case
// whose name ends in _utf8 is lexed as UTF-8.
class HtmlGoldenFile : public testing::TestWithParam<std::string> {};

TEST_P(HtmlGoldenFile, SameTokensByLinesAsOneLineAndWithCrLf) {
  const bool utf8 = GetParam().ends_with("_utf8");
  const std::string base = std::string(KW_HTML_GOLDEN_DIR) + "/" + GetParam();
  const std::string input = test::TempFolder::Read(base + ".htm");
  const std::string expected = test::TempFolder::Read(base + ".tokens");
  ASSERT_EQ(input.find('\r'), std::string::npos);

  EXPECT_EQ(LexedByLines(input, utf8), expected) << "line by line";
  EXPECT_EQ(LexedAsOneLine(input, utf8), LexedByLines(input, utf8, false)) << "as one line";
  EXPECT_EQ(LexedAsOneLine(WithCrLf(input), utf8), LexedByLines(input, utf8, false)) << "as one line, CR LF";
}

INSTANTIATE_TEST_SUITE_P(HtmlLexer, HtmlGoldenFile, testing::ValuesIn(GoldenCases()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// "kind[bytes] ... | end range", kinds without their "tk".
std::string Compact(THTMLHighlighter& h, std::string_view line, int startRange) {
  h.SetRange(startRange);
  std::string out;
  for (h.SetLine(line, 0); !h.GetEol(); h.Next())
    out += std::string(kKindNames[h.GetTokenKind()] + 2) + "[" + Escaped(h.GetToken()) + "] ";
  return out + "| " + kRangeNames[h.GetRange()];
}

// What the golden files cannot hold: breaks inside a line handed over whole
// (NUL bytes are the random cross-check's), ranges set from outside, and a line that is a view into
// a longer buffer, whose bytes around it must not count.
TEST(HtmlLexer, SingleLineCases) {
  const struct {
    std::string buffer;
    size_t length;
    int startRange;
    const char* expected;
  } rows[] = {
      {"a\n\rb", 4, rsText, "Text[a] Space[\\n] Space[\\r] Text[b] | rsText"},
      {"'x\ry'>", 6, rsValue, "Value['x] Space[\\r] Value[y'] Symbol[>] | rsText"},
      {"&copy;", 6, rsEntity, "Text[&] Text[copy;] | rsText"},
      {"&#9;x", 5, rsEntity, "Ampersand[&#9;] Text[x] | rsText"},
      {"&#9x", 4, rsEntity, "Text[&#9] Text[x] | rsText"},
      {"a!>b c", 6, rsValue, "Value[a!] Symbol[>] Text[b c] | rsText"},
      {"x", 1, rsEntity + 1, "Text[x] | rsText"},
      {"x", 1, -1, "Text[x] | rsText"},
      {"x<!--", 2, rsText, "Text[x] Symbol[<] | rsTagName"},
      {"<!-->", 4, rsText, "Comment[<!--] | rsComment"},
      {"&copy;", 5, rsText, "Text[&copy] | rsText"},
      {"&#169;", 5, rsText, "Text[&#169] | rsText"},
      {"a\r\n", 2, rsText, "Text[a] Space[\\r] | rsText"},
      {"<pre>", 3, rsText, "Symbol[<] UndefKey[pr] | rsAttributes"},
      {"'x'>", 2, rsValue, "Value['x] | rsSingleQuotedValue"},
      {"xy>", 1, rsValue, "Value[x] | rsAttributes"},
  };
  THTMLHighlighter h;
  for (const auto& r : rows)
    EXPECT_EQ(Compact(h, std::string_view(r.buffer).substr(0, r.length), r.startRange), r.expected)
        << Escaped(r.buffer);
  // The comment's closing dashes are looked for inside the line only.
  EXPECT_EQ(Compact(h, std::string_view("--->").substr(2), rsComment), "Comment[->] | rsComment");
  // An entity found on one line says nothing about the next.
  h.ResetRange();
  h.SetLine("x &copy;", 0);
  ASSERT_EQ(h.GetRange(), rsEntity);
  EXPECT_EQ(Compact(h, "&amp;", rsEntity), "Text[&] Text[amp;] | rsText");
}

// Mostly the bytes that steer the lexer, and whole UTF-8 characters;
// withOddBytes adds NUL, CR and any byte (any ASCII byte for utf8, so that
// every continuation byte stays inside its character).
std::string RandomLine(std::mt19937& rng, bool withOddBytes, bool utf8 = false) {
  static const std::string pieces[] = {
      "<", ">", "&", ";", "#", "!", "-", "\"", "'", "=", "/", "x", "X", "p", "a", "T", "1", "9", " ", "\t",
      "\n", "<!--", "-->", "&copy;", "&#x", "&#", "&amp", "\xE9", "\x01", "\x7F",
      "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  const size_t n = std::size(pieces);
  std::string line;
  for (int length = static_cast<int>(rng() % 41); length > 0; --length) {
    const size_t i = rng() % (n + 3);
    if (i < n)
      line += pieces[i];
    else if (withOddBytes)
      line += i == n ? '\0' : i == n + 1 ? '\r' : static_cast<char>(rng() & (utf8 ? 0x7F : 0xFF));
  }
  return line;
}

// Each line sits in a heap block of its exact size, so that under ASan a read
// past its end fails. Read as UTF-8, no token starts inside a character.
// Random text of several lines lexes alike in the golden files' three ways.
TEST(HtmlLexer, RandomLinesAreCoveredExactlyByTokensAndLexAlikeByLines) {
  std::mt19937 rng(20240611);
  THTMLHighlighter h;
  for (int trial = 0; trial < 20000; ++trial) {
    const bool utf8 = trial % 2;
    h.SetUtf8(utf8);
    const std::string text = RandomLine(rng, true, utf8);
    const auto block = std::make_unique_for_overwrite<char[]>(text.size());
    std::copy(text.begin(), text.end(), block.get());
    h.SetRange(static_cast<int>(rng() % (rsEntity + 1)));
    h.SetLine(std::string_view(block.get(), text.size()), 0);
    // A token of length zero (an empty tag name, the text before an entity)
    // is always followed by one that moves on, so two tokens per byte at most.
    const int maxTokens = 2 * static_cast<int>(text.size()) + 1;
    int tokens = 1, pos = 0, lastLength = 1;
    for (; !h.GetEol() && tokens <= maxTokens; h.Next(), ++tokens) {
      ASSERT_EQ(h.GetTokenPos(), pos) << Escaped(text);
      ASSERT_GE(h.GetTokenLength(), 0) << Escaped(text);
      ASSERT_TRUE(lastLength > 0 || h.GetTokenLength() > 0) << Escaped(text);
      ASSERT_NE(h.GetTokenAttribute(), nullptr) << Escaped(text);
      if (utf8) {
        ASSERT_NE(static_cast<unsigned char>(text[static_cast<size_t>(pos)]) & 0xC0, 0x80) << Escaped(text);
      }
      pos += lastLength = h.GetTokenLength();
    }
    ASSERT_TRUE(h.GetEol()) << "no end after " << maxTokens << " tokens: " << Escaped(text);
    ASSERT_EQ(h.GetTokenPos(), static_cast<int>(std::min(text.find('\0'), text.size()))) << Escaped(text);
    ASSERT_GE(h.GetRange(), rsText);
    ASSERT_LE(h.GetRange(), rsEntity);
    if (trial % 7 > 1) continue;
    std::string lines;
    for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) lines += RandomLine(rng, false) + "\n";
    const std::string byLines = LexedByLines(lines, utf8, false);
    ASSERT_EQ(LexedAsOneLine(lines, utf8), byLines) << Escaped(lines);
    ASSERT_EQ(LexedAsOneLine(WithCrLf(lines), utf8), byLines) << Escaped(lines);
  }
}

}  // namespace
}  // namespace kw
