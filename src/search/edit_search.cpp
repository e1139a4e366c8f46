#include "search/edit_search.h"

#include <algorithm>

#include "common/error.h"
#include "common/latin1.h"

namespace kw {

namespace {

// Letters and digits of ISO-8859-1 as the C library classifies them
// (iswalnum): ª, µ and º are letters; the superscript digits and the
// fractions are neither.
constexpr bool IsWordByte(unsigned c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == 0xAA ||
         c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

constexpr std::array<bool, 256> MakeDelimiters(bool utf8) {
  std::array<bool, 256> t{};
  for (unsigned c = 0; c < 256; ++c) t[c] = !IsWordByte(c) && !(utf8 && c >= 0x80);
  return t;
}

constexpr std::array<bool, 256> kDelimiters = MakeDelimiters(false);
constexpr std::array<bool, 256> kUtf8Delimiters = MakeDelimiters(true);


// ISO-8859-1's case pairs in UTF-8 are C3 80-9E and C3 A0-BE (not × and ÷),
// so their second bytes fold as the ASCII letters do. Lead bytes stay as
// they are, so the text has C3 before a folded byte exactly where the
// pattern has; whether it does is checked on each candidate match.
constexpr std::array<unsigned char, 256> MakeUtf8Fold() {
  std::array<unsigned char, 256> t{};
  for (unsigned c = 0; c < 256; ++c) {
    const bool folds = (c >= 'A' && c <= 'Z') || (c >= 0x80 && c <= 0x9E && c != 0x97);
    t[c] = static_cast<unsigned char>(folds ? c + 0x20 : c);
  }
  return t;
}

constexpr std::array<unsigned char, 256> kUtf8Fold = MakeUtf8Fold();

// The match is s[first .. last]; past the end of the line counts as NUL,
// which is a delimiter.
template <bool kUtf8>
inline bool IsWholeWord(const unsigned char* s, size_t len, size_t first, size_t last) {
  const std::array<bool, 256>& delimiters = kUtf8 ? kUtf8Delimiters : kDelimiters;
  return (first == 0 || delimiters[s[first - 1]]) && (last + 1 == len || delimiters[s[last + 1]]);
}

// What the scan of one line reads, copied out of the engine so that the
// compiler keeps it in registers.
struct LineScan {
  const unsigned char* text;
  size_t length;
  const unsigned char* pattern;  // translated
  size_t patternLength;
  const unsigned char* translation;
  const uint8_t* skip;  // by raw byte
  size_t lookAt;
  bool wholeWord;
  // UTF-8 only.
  const unsigned char* rawPattern;
  const uint32_t* exactBytes;
  size_t exactCount;
};

constexpr size_t kNoMatch = 0;

// Whether a window that equals the pattern after translation is a match: in
// UTF-8 it must be whole characters and fold only where the pattern's letter
// does. A pattern of whole characters cannot begin where the translated text
// has a continuation byte, so only the end needs looking at.
template <bool kUtf8>
inline bool Accepted(const LineScan& l, size_t first, size_t after) {
  const unsigned char* const s = l.text;
  if constexpr (kUtf8) {
    if (after < l.length && IsUtf8Continuation(s[after])) return false;
    for (size_t k = 0; k < l.exactCount; ++k)
      if (s[first + l.exactBytes[k]] != l.rawPattern[l.exactBytes[k]]) return false;
  }
  return !l.wholeWord || IsWholeWord<kUtf8>(s, l.length, first, after - 1);
}

// `after` is the index just past the current window (run + 1); returns that
// of the next match, or kNoMatch. The windows tried are those of the skip
// table and the look-at distance whether or not the text side is translated.
template <bool kTranslate, bool kUtf8>
inline size_t NextMatch(const LineScan& l, size_t after) {
  const unsigned char* const s = l.text;
  const size_t len = l.length;
  const size_t n = l.patternLength;
  const unsigned char patternLast = l.pattern[n - 1];
  const auto byte = [&](size_t i) { return kTranslate ? l.translation[s[i]] : s[i]; };
  for (;;) {
    while (after < len && byte(after - 1) != patternLast) after += l.skip[s[after]];
    // On the last byte a mismatch would shift by the entry of NUL, which is
    // at least 1, so out of the line.
    if (after > len || byte(after - 1) != patternLast) return kNoMatch;
    const size_t first = after - n;
    size_t i = 0;
    while (i + 1 < n && byte(first + i) == l.pattern[i]) ++i;
    if (i + 1 == n && Accepted<kUtf8>(l, first, after)) return after;
    after += l.lookAt;
    if (after > len) return kNoMatch;
    after += l.skip[s[after - 1]] - 1u;
  }
}

}  // namespace

TEditSearch::TEditSearch() { SetTranslation(); }

const std::string& TEditSearch::Pattern() const { return pattern_; }

void TEditSearch::SetPattern(std::string_view pattern) {
  if (pattern == pattern_) return;
  pattern_.assign(pattern);
  skipValid_ = false;
}

void TEditSearch::SetOptions(unsigned options) {
  wholeWord_ = (options & soWholeWord) != 0;
  const bool sensitive = (options & soMatchCase) != 0;
  if (sensitive == sensitive_) return;
  sensitive_ = sensitive;
  SetTranslation();
  skipValid_ = false;
}

void TEditSearch::SetEncoding(TextEncoding encoding) {
  const bool utf8 = encoding == TextEncoding::Utf8;
  if (utf8 == utf8_) return;
  utf8_ = utf8;
  SetTranslation();
  skipValid_ = false;
}

void TEditSearch::SetTranslation() {
  const std::array<unsigned char, 256>& fold = utf8_ ? kUtf8Fold : kLatin1Lower;
  for (unsigned c = 0; c < 256; ++c) translation_[c] = sensitive_ ? static_cast<unsigned char>(c) : fold[c];
}

void TEditSearch::BuildSkipTable() {
  if (pattern_.empty()) throw EKempwellError("Pattern is empty");
  const int32_t n = static_cast<int32_t>(pattern_.size());
  translatedPattern_.resize(pattern_.size());
  for (size_t i = 0; i < pattern_.size(); ++i)
    translatedPattern_[i] = static_cast<char>(translation_[static_cast<unsigned char>(pattern_[i])]);
  const auto at = [&](int32_t i) { return static_cast<unsigned char>(translatedPattern_[static_cast<size_t>(i)]); };

  std::array<int32_t, 256> skip;  // by translated byte
  skip.fill(n + 1);
  for (int32_t i = 0; i < n; ++i) skip[at(i)] = n - i;
  for (unsigned c = 0; c < 256; ++c) skip_[c] = static_cast<uint8_t>(std::min(skip[translation_[c]], 255));
  lookAt_ = 1;
  while (lookAt_ < n && at(n - 1) != at(n - 1 - lookAt_)) ++lookAt_;
  // A second byte that folds is a letter's only after C3.
  exactBytes_.clear();
  for (size_t i = 0; utf8_ && i < pattern_.size(); ++i) {
    const auto c = static_cast<unsigned char>(pattern_[i]);
    const bool paired = IsUtf8Continuation(static_cast<unsigned char>(c)) && translation_[c ^ 0x20u] == translation_[c];
    if (paired && (i == 0 || pattern_[i - 1] != '\xC3')) exactBytes_.push_back(static_cast<uint32_t>(i));
  }
  patternLength_ = n;
  skipValid_ = true;
}

template <bool kTranslate, bool kUtf8>
inline void TEditSearch::ScanLine(std::string_view text) {
  const LineScan l{reinterpret_cast<const unsigned char*>(text.data()),
                   text.size(),
                   reinterpret_cast<const unsigned char*>(translatedPattern_.data()),
                   translatedPattern_.size(),
                   translation_.data(),
                   skip_.data(),
                   static_cast<size_t>(lookAt_),
                   wholeWord_,
                   reinterpret_cast<const unsigned char*>(pattern_.data()),
                   exactBytes_.data(),
                   exactBytes_.size()};
  for (size_t after = l.patternLength; (after = NextMatch<kTranslate, kUtf8>(l, after)) != kNoMatch;
       after += l.patternLength)
    results_.push_back(static_cast<int32_t>(after + 1 - l.patternLength));
}

int TEditSearch::FindAll(std::string_view text) {
  results_.clear();
  if (!skipValid_) BuildSkipTable();
  if (text.size() < static_cast<size_t>(patternLength_)) return 0;
  if (utf8_) {
    if (sensitive_) ScanLine<false, true>(text);
    else ScanLine<true, true>(text);
  } else {
    if (sensitive_) ScanLine<false, false>(text);
    else ScanLine<true, false>(text);
  }
  return static_cast<int>(results_.size());
}

int TEditSearch::Results(int index) const {
  return index >= 0 && static_cast<size_t>(index) < results_.size() ? results_[static_cast<size_t>(index)] : 0;
}

int TEditSearch::Lengths(int) const { return patternLength_; }

int TEditSearch::ResultCount() const { return static_cast<int>(results_.size()); }

}  // namespace kw
