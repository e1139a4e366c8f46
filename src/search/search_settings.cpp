#include "search/search_settings.h"

#include <algorithm>

#include "common/latin1.h"
#include "document/string_list.h"
#include "search/edit_search.h"

namespace kw {

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
  const auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const std::string& entry) { return EqualIgnoringCaseLatin1(entry, typed); });
  if (same != entries.end()) entries.erase(same);
  entries.insert(entries.begin(), typed);
  return true;
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
