// The search settings of the program run, the history of search texts and
// the find options the search commands build from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/text_encoding.h"

namespace kw {

// How many earlier search texts the history keeps between dialogs.
inline constexpr std::size_t kSearchHistoryLimit = 10;

// Lives for the whole run (the dialog is made afresh for each use) and is never saved.
struct TSearchSettings {
  bool Backwards = false;
  bool CaseSensitive = false;
  bool FromCaret = false;
  bool SelectedOnly = false;
  bool WholeWords = false;
  // The texts as the user typed them, in UTF-8, whatever the document's
  // encoding: they are encoded as the document is only when it is searched.
  std::string SearchText;
  // Most recent first, joined by CR LF.
  std::string SearchHistory;

  bool operator==(const TSearchSettings&) const = default;
};

// The history's entries: its lines, broken at CR LF, LF or CR.
std::vector<std::string> SplitSearchHistory(std::string_view history);
// At most the first kSearchHistoryLimit entries, joined by CR LF.
std::string JoinSearchHistory(const std::vector<std::string>& entries);

// The update when the dialog closes with OK: the typed text becomes the first
// entry, replacing an entry equal to it ignoring the letter case of
// ISO-8859-1's letters, as the search does; empty text
// changes nothing. The list is not limited here. True when it changed.
bool PutFirstInSearchHistory(std::vector<std::string>& entries, const std::string& typed);

// The typed text (UTF-8) as the bytes to look for in a document of that
// encoding; nothing when it holds a character that ISO-8859-1 lacks, which
// such a document cannot hold either.
std::optional<std::string> SearchBytes(std::string_view typed, TextEncoding encoding);

// The find options of a search in the given direction; fromCaret is the
// window's search-from-caret flag, not the dialog's box.
unsigned SearchOptions(const TSearchSettings& settings, bool backwards, bool fromCaret);

}  // namespace kw
