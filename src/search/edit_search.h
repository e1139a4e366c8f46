// The plain search engine: every non-overlapping occurrence of a pattern in
// one line, optionally ignoring ISO-8859-1 letter case and optionally only as
// whole words, by a quick-search skip table over the byte after the window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

  // Searches one line (without its break); returns the number of matches.
  // Throws EKempwellError "Pattern is empty" for an empty pattern.
  int FindAll(std::string_view text);
  // 1-based start column of match i from the left; 0 out of range.
  int Results(int index) const;
  // The pattern's length, for every index.
  int Lengths(int index) const;
  int ResultCount() const;

 private:
  // The engine's tables and state are the implementer's.
};

}  // namespace kw
