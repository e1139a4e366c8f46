#include "search/search_settings.h"

#include <algorithm>

#include "common/latin1.h"
#include "document/string_list.h"
#include "search/edit_search.h"

namespace kw {

namespace {


// The letters the search folds, lowered in UTF-8 text. U+00C0-U+00FF are
// C3 80-BF: the code point is the second byte + 0x40.
std::string LowerLatin1Letters(std::string_view utf8) {
  std::string lowered(utf8);
  for (size_t i = 0; i < lowered.size(); ++i) {
    const auto c = static_cast<unsigned char>(lowered[i]);
    if (c < 0x80) {
      lowered[i] = LowerLatin1(lowered[i]);
    } else if (c == 0xC3 && i + 1 < lowered.size() && IsUtf8Continuation(static_cast<unsigned char>(lowered[i + 1]))) {
      ++i;
      lowered[i] = static_cast<char>(kLatin1Lower[static_cast<unsigned char>(lowered[i]) + 0x40u] - 0x40u);
    }
  }
  return lowered;
}

}  // namespace

std::vector<std::string> SplitSearchHistory(std::string_view history) { return SplitStringList(history); }

std::string JoinSearchHistory(const std::vector<std::string>& entries) {
  std::string joined;
  const std::size_t count = std::min(entries.size(), kSearchHistoryLimit);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) joined += "\r\n";
    joined += entries[i];
  }
  return joined;
}

bool PutFirstInSearchHistory(std::vector<std::string>& entries, const std::string& typed) {
  if (typed.empty()) return false;
  const std::string lowered = LowerLatin1Letters(typed);
  const auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const std::string& entry) { return LowerLatin1Letters(entry) == lowered; });
  if (same != entries.end()) entries.erase(same);
  entries.insert(entries.begin(), typed);
  return true;
}

std::optional<std::string> SearchBytes(std::string_view typed, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return std::string(typed);
  std::string latin1;
  latin1.reserve(typed.size());
  for (size_t i = 0; i < typed.size(); ++i) {
    const auto c = static_cast<unsigned char>(typed[i]);
    if (c < 0x80) {
      latin1 += typed[i];
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < typed.size() && IsUtf8Continuation(static_cast<unsigned char>(typed[i + 1]))) {
      latin1 += static_cast<char>((c & 0x03u) << 6 | (static_cast<unsigned char>(typed[++i]) & 0x3Fu));
    } else {
      return std::nullopt;
    }
  }
  return latin1;
}

unsigned SearchOptions(const TSearchSettings& settings, bool backwards, bool fromCaret) {
  unsigned options = 0;
  if (backwards) options |= soBackwards;
  if (settings.CaseSensitive) options |= soMatchCase;
  if (!fromCaret) options |= soEntireScope;
  if (settings.SelectedOnly) options |= soSelectedOnly;
  if (settings.WholeWords) options |= soWholeWord;
  return options;
}

}  // namespace kw
