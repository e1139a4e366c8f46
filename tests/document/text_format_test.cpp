#include "document/text_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kw {
namespace {

struct RecordingSink : ContentSink {
  void Write(std::string_view bytes) override {
    all.append(bytes);
    ++writes;
  }
  std::string all;
  size_t writes = 0;
};

// Byte at a time, the obvious way, to hold the fast path against.
std::string NaiveConvert(std::string_view text, BreakStyle style) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') out += BreakText(style);
    else out += text[i];
  }
  return out;
}

std::string RandomText(std::mt19937& rng, size_t length) {
  static const char kBytes[] = {'a', '\r', '\n', '\0', '\xE9'};
  std::uniform_int_distribution<int> pick(0, 4);
  std::string text;
  for (size_t i = 0; i < length; ++i) text += kBytes[pick(rng)];
  return text;
}

// Where a read splits the text is the random cross-check's.
TEST(TextFormatDetect, StyleOfText) {
  const std::pair<std::string, BreakStyle> rows[] = {
      {"a\rb\r\rc", BreakStyle::CR},  {"a\nb\n\nc", BreakStyle::LF},   {"a\r\nb\r\n", BreakStyle::CRLF},
      {"abc", BreakStyle::CRLF},       {"a\rb\nc", BreakStyle::CRLF},     {"a\r\nb\nc", BreakStyle::CRLF},
      {"abc\r", BreakStyle::CR},       {std::string("a\0\rb", 4), BreakStyle::CR},
  };
  for (const auto& [text, style] : rows) EXPECT_EQ(DetectBreakStyle(text), style) << testing::PrintToString(text);
}

TEST(TextFormat, RandomTextAgreesWithTheNaiveReading) {
  std::mt19937 rng(11);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = RandomText(rng, round % 40);
    for (BreakStyle style : {BreakStyle::CR, BreakStyle::LF, BreakStyle::CRLF}) {
      RecordingSink sink;
      WriteWithBreaks(text, style, sink);
      const std::string want = NaiveConvert(text, style);
      ASSERT_EQ(sink.all, want) << "round " << round;
      // Text already in the style is passed on as it is.
      ASSERT_TRUE(want != text || sink.writes <= 1) << "round " << round;
    }
    for (size_t cut = 0; cut <= text.size(); ++cut) {  // where a read splits the text does not matter
      BreakStyleDetector detector;
      detector.Feed(std::string_view(text).substr(0, cut));
      detector.Feed(std::string_view(text).substr(cut));
      ASSERT_EQ(detector.Result(), DetectBreakStyle(text)) << "round " << round << " cut " << cut;
    }
  }
  // Fills the conversion buffer several times over, with a line longer than it.
  const std::string big = RandomText(rng, 3u << 20) + std::string(3u << 19, 'x') + RandomText(rng, 1u << 20);
  RecordingSink sink;
  WriteWithBreaks(big, BreakStyle::CRLF, sink);
  EXPECT_EQ(sink.all, NaiveConvert(big, BreakStyle::CRLF));
}

}  // namespace
}  // namespace kw
