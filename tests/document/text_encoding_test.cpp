// The encoding rule: its table of cases, and the streaming validator checked
// against Qt's UTF-8 decoder on random texts cut into random pieces.
#include <gtest/gtest.h>

#include <QStringDecoder>
#include <algorithm>
#include <random>

#include "document/text_encoding.h"

namespace kw {
namespace {

constexpr TextEncoding U = TextEncoding::Utf8, L = TextEncoding::Latin1;

// Byte validity alone is the random cross-check's; these are the marks and
// declarations that override it.
TEST(DocumentEncoding, FollowsTheRuleAndItsTies) {
  const std::string far(kCharsetDeclarationWindow, ' ');
  const struct {
    const char* name;
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"byte order mark", "\xEF\xBB\xBF<p>x", U},
      {"meta charset", "<META CHARSET =\t'UTF-8'><p>x", U},
      {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf8\">", U},
      {"meta wins over bad bytes", "<meta charset=utf-8><p>caf\xE9", U},
      {"valid bytes win over another meta", "<meta charset=\"iso-8859-1\"><p>caf\xC3\xA9", U},
      {"another charset", "<meta charset=\"utf-16\"><meta content=\"charset=utf-8x\">", L},
      {"charset outside meta", "<p>charset=utf-8", L},
      {"meta past the window", far + "<meta charset=utf-8>", L},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectEncoding(c.bytes), c.expected) << c.name;
}

TEST(DocumentEncoding, PiecesGiveWhatTheWholeGivesAndAgreeWithQt) {
  std::mt19937 random(7);
  const auto pick = [&random](uint32_t from, uint32_t to) { return std::uniform_int_distribution<uint32_t>(from, to)(random); };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int part = pick(1, 12); part > 0; --part) {
      const uint32_t kind = pick(0, 9);
      if (kind < 5) {
        text.append(pick(0, 20), static_cast<char>(pick('a', 'z')));
      } else if (kind < 9) {
        uint32_t code = pick(0x80, 0x10FFFF);
        if (code >= 0xD800 && code <= 0xDFFF) code = 0xE9;
        const char32_t ucs4[] = {code};
        text += QString::fromUcs4(ucs4, 1).toUtf8().toStdString();
      } else {
        // A lead byte with bytes about the edges of what may follow it.
        const unsigned char leads[] = {0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5};
        const unsigned char edges[] = {0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0};
        text.push_back(static_cast<char>(leads[pick(0, 8)]));
        for (int more = pick(1, 3); more > 0; --more) text.push_back(static_cast<char>(edges[pick(0, 7)]));
      }
    }
    QStringDecoder qt(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString decoded = qt(QByteArray::fromStdString(text));
    const bool multiByte = std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; });
    const TextEncoding expected = !qt.hasError() && multiByte ? U : L;

    EncodingDetector pieces;
    for (size_t at = 0; at < text.size();) {
      const size_t size = pick(1, 7);
      pieces.Feed(std::string_view(text).substr(at, size));
      at += size;
    }
    ASSERT_EQ(pieces.Result(), expected) << QByteArray::fromStdString(text).toHex().toStdString();
    ASSERT_EQ(DetectEncoding(text), expected);
  }
}

}  // namespace
}  // namespace kw
