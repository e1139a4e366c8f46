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

constexpr std::array<bool, 256> MakeDelimiters() {
  std::array<bool, 256> t{};
  for (unsigned c = 0; c < 256; ++c) t[c] = !IsWordByte(c);
  return t;
}

constexpr std::array<bool, 256> kDelimiters = MakeDelimiters();

// The match is s[first .. last]; past the end of the line counts as NUL,
// which is a delimiter.
inline bool IsWholeWord(const unsigned char* s, size_t len, size_t first, size_t last) {
  return (first == 0 || kDelimiters[s[first - 1]]) && (last + 1 == len || kDelimiters[s[last + 1]]);
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
};

constexpr size_t kNoMatch = 0;

// `after` is the index just past the current window (run + 1); returns that
// of the next match, or kNoMatch. The windows tried are those of the skip
// table and the look-at distance whether or not the text side is translated.
template <bool kTranslate>
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
    if (i + 1 == n && (!l.wholeWord || IsWholeWord(s, len, first, after - 1))) return after;
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

void TEditSearch::SetTranslation() {
  for (unsigned c = 0; c < 256; ++c)
    translation_[c] = sensitive_ ? static_cast<unsigned char>(c) : kLatin1Lower[c];
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
  patternLength_ = n;
  skipValid_ = true;
}

template <bool kTranslate>
inline void TEditSearch::ScanLine(std::string_view text) {
  const LineScan l{reinterpret_cast<const unsigned char*>(text.data()),
                   text.size(),
                   reinterpret_cast<const unsigned char*>(translatedPattern_.data()),
                   translatedPattern_.size(),
                   translation_.data(),
                   skip_.data(),
                   static_cast<size_t>(lookAt_),
                   wholeWord_};
  for (size_t after = l.patternLength; (after = NextMatch<kTranslate>(l, after)) != kNoMatch; after += l.patternLength)
    results_.push_back(static_cast<int32_t>(after + 1 - l.patternLength));
}

int TEditSearch::FindAll(std::string_view text) {
  results_.clear();
  if (!skipValid_) BuildSkipTable();
  if (text.size() < static_cast<size_t>(patternLength_)) return 0;
  if (sensitive_) ScanLine<false>(text);
  else ScanLine<true>(text);
  return static_cast<int>(results_.size());
}

int TEditSearch::Results(int index) const {
  return index >= 0 && static_cast<size_t>(index) < results_.size() ? results_[static_cast<size_t>(index)] : 0;
}

int TEditSearch::Lengths(int) const { return patternLength_; }

int TEditSearch::ResultCount() const { return static_cast<int>(results_.size()); }

}  // namespace kw
