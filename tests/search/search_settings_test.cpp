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
      {{"caf\xc3\xa9"}, "CAF\xc3\x89", {"CAF\xc3\x89"}},
      {{"a\xc3\x97"}, "A\xc3\xb7", {"A\xc3\xb7", "a\xc3\x97"}},  // not a letter pair
      {{"\xc4\x89"}, "\xc4\xa9", {"\xc4\xa9", "\xc4\x89"}},      // not ISO-8859-1's
      {{"abcd"}, "abc", {"abc", "abcd"}},
      {{"one", "two"}, "", {"one", "two"}},
  };
  for (const auto& r : rows) {
    Entries entries = r.before;
    EXPECT_EQ(PutFirstInSearchHistory(entries, r.typed), !r.typed.empty()) << r.typed;
    EXPECT_EQ(entries, r.after) << r.typed;
  }
  // The eleventh text is not kept.
  EXPECT_EQ(JoinSearchHistory({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}),
            "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
}

}  // namespace
}  // namespace kw
