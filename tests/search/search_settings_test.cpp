// The history of search texts, updated as the dialog closes with OK.
#include "search/search_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kw {
namespace {

using Entries = std::vector<std::string>;

TEST(SearchSettings, TypedTextComesFirst) {
  const struct { Entries before; std::string typed; Entries after; } rows[] = {
      {{"one", "two", "three"}, "two", {"two", "one", "three"}},
      {{"caf\xe9"}, "CAF\xc9", {"CAF\xc9"}},
      {{"a\xd7"}, "A\xf7", {"A\xf7", "a\xd7"}},  // not a letter pair
      {{"abcd"}, "abc", {"abc", "abcd"}},
      {{"one", "two"}, "", {"one", "two"}},
  };
  for (const auto& r : rows) {
    Entries entries = r.before;
    EXPECT_EQ(PutFirstInSearchHistory(entries, r.typed), !r.typed.empty()) << r.typed;
    EXPECT_EQ(entries, r.after) << r.typed;
  }
}

}  // namespace
}  // namespace kw
