// The plain search engine: every non-overlapping occurrence of a pattern in
// one line of ISO-8859-1 or UTF-8 bytes, optionally ignoring the letter case
// of ISO-8859-1's letters and optionally only as whole words, by a
// quick-search skip table over the byte after the window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/text_encoding.h"

namespace kw {

// Find options, as the search commands hand them to the find operation.
enum TSearchOption : unsigned {
  soMatchCase = 1,
  soWholeWord = 2,
  soBackwards = 4,
  soEntireScope = 8,
  soSelectedOnly = 16,
};

class TEditSearch {
 public:
  TEditSearch();

  const std::string& Pattern() const;
  // Invalidates the skip table only when the text differs.
  void SetPattern(std::string_view pattern);
  // Takes soMatchCase and soWholeWord; a change of case rebuilds the
  // translation table and invalidates the skip table.
  void SetOptions(unsigned options);
  // ISO-8859-1 until set. In UTF-8 the pattern must be valid UTF-8 and a
  // match is whole characters, the case of ISO-8859-1's letters (only
  // theirs) is ignored as there, and every multi-byte character is a word
  // character.
  void SetEncoding(TextEncoding encoding);

  // Searches one line (without its break); returns the number of matches.
  // Throws EKempwellError "Pattern is empty" for an empty pattern.
  int FindAll(std::string_view text);
  // 1-based start column of match i from the left; 0 out of range.
  int Results(int index) const;
  // The pattern's length, for every index.
  int Lengths(int index) const;
  int ResultCount() const;

 private:
  void SetTranslation();
  void BuildSkipTable();
  template <bool kTranslate, bool kUtf8>
  void ScanLine(std::string_view text);

  bool sensitive_ = false;
  bool utf8_ = false;
  bool wholeWord_ = false;
  std::array<unsigned char, 256> translation_{};
  std::string pattern_;
  // The pattern the skip table was last built for, so the results' too.
  std::string translatedPattern_;
  // In UTF-8, the pattern positions whose byte the translation folds but
  // whose character is not one of the folded letters: the text must hold
  // that very byte there.
  std::vector<uint32_t> exactBytes_;
  int32_t patternLength_ = 0;
  // The skip table looked up through the translation, so by raw byte, with
  // each shift kept in a byte: a shorter shift than the table's is still safe.
  std::array<uint8_t, 256> skip_{};
  int32_t lookAt_ = 1;
  bool skipValid_ = false;
  std::vector<int32_t> results_;
};

}  // namespace kw
