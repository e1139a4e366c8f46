#include "document/text_encoding.h"

#include <cstdint>
#include <cstring>

namespace kw {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// Enough beyond the window for a <meta> that begins near its end to close.
constexpr size_t kHeadKept = kCharsetDeclarationWindow + 1024;


// The continuation bytes a lead byte asks for; -1 for a byte that can lead nothing.
int ContinuationsAfter(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// The second byte's range is narrower after some leads: no overlong forms,
// no surrogates, nothing beyond U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char c) {
  switch (lead) {
    case 0xE0: return c >= 0xA0 && c <= 0xBF;
    case 0xED: return c >= 0x80 && c <= 0x9F;
    case 0xF0: return c >= 0x90 && c <= 0xBF;
    case 0xF4: return c >= 0x80 && c <= 0x8F;
    default: return IsUtf8Continuation(c);
  }
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Does the charset named at the start of value read UTF-8?
bool NamesUtf8(std::string_view value) {
  while (!value.empty() && (IsBlank(value.front()) || value.front() == '"' || value.front() == '\''))
    value.remove_prefix(1);
  for (const std::string_view name : {std::string_view("utf-8"), std::string_view("utf8")}) {
    if (value.substr(0, name.size()) != name) continue;
    if (value.size() == name.size()) return true;
    const char after = value[name.size()];
    const bool nameGoesOn = (after >= 'a' && after <= 'z') || (after >= '0' && after <= '9') || after == '-' ||
                            after == '_';
    if (!nameGoesOn) return true;
  }
  return false;
}

// Within one <meta ...> tag, lower-cased: every "charset" followed by '='.
bool TagDeclaresUtf8(std::string_view tag) {
  for (size_t at = tag.find("charset"); at != std::string_view::npos; at = tag.find("charset", at + 1)) {
    size_t i = at + 7;
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i < tag.size() && tag[i] == '=' && NamesUtf8(tag.substr(i + 1))) return true;
  }
  return false;
}

}  // namespace

bool DeclaresUtf8(std::string_view head) {
  std::string lower(head.substr(0, kHeadKept));
  for (char& c : lower) c = LowerAscii(c);
  const std::string_view text(lower);
  for (size_t at = text.find("<meta"); at != std::string_view::npos && at < kCharsetDeclarationWindow;
       at = text.find("<meta", at + 1)) {
    const size_t end = text.find('>', at);
    if (TagDeclaresUtf8(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at)))
      return true;
  }
  return false;
}

void EncodingDetector::Feed(std::string_view piece) {
  if (head_.size() < kHeadKept) head_.append(piece.substr(0, kHeadKept - head_.size()));
  if (!invalid_) Validate(piece);
}

void EncodingDetector::Validate(std::string_view piece) {
  const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
  const unsigned char* const end = p + piece.size();
  while (p < end) {
    if (pendingContinuations_ == 0) {
      // ASCII runs, eight bytes at a time.
      while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull) break;
        p += 8;
      }
      if (p == end) break;
      const unsigned char c = *p++;
      if (c < 0x80) continue;
      const int continuations = ContinuationsAfter(c);
      if (continuations < 0) {
        invalid_ = true;
        return;
      }
      multiByte_ = true;
      lead_ = c;
      pendingContinuations_ = continuations;
      seenOfSequence_ = 0;
    } else {
      const unsigned char c = *p++;
      if (!(seenOfSequence_ == 0 ? SecondByteFits(lead_, c) : IsUtf8Continuation(c))) {
        invalid_ = true;
        return;
      }
      ++seenOfSequence_;
      --pendingContinuations_;
    }
  }
}

TextEncoding EncodingDetector::Result() const {
  if (std::string_view(head_).substr(0, 3) == kByteOrderMark) return TextEncoding::Utf8;
  // A sequence cut off by the end of the text is not valid UTF-8.
  if (!invalid_ && multiByte_ && pendingContinuations_ == 0) return TextEncoding::Utf8;
  return DeclaresUtf8(head_) ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

TextEncoding DetectEncoding(std::string_view bytes) {
  EncodingDetector detector;
  detector.Feed(bytes);
  return detector.Result();
}

const char* TidyEncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? "utf8" : "latin1";
}

}  // namespace kw
