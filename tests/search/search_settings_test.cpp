// The history of search texts and the find options the commands build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/edit_search.h"
#include "search/search_settings.h"

namespace kw {
namespace {

using Entries = std::vector<std::string>;

struct HistoryCase {
  const char* name;
  Entries before;
  std::string typed;
  Entries after;
};

class SearchSettingsHistory : public testing::TestWithParam<HistoryCase> {};

TEST_P(SearchSettingsHistory, TypedTextComesFirst) {
  const HistoryCase& c = GetParam();
  Entries entries = c.before;
  const bool changed = PutFirstInSearchHistory(entries, c.typed);
  EXPECT_EQ(entries, c.after);
  EXPECT_EQ(changed, !c.typed.empty());
}

// No prefix, so that the rows run under the suite's own name.
INSTANTIATE_TEST_SUITE_P(, SearchSettingsHistory,
    testing::Values(HistoryCase{"IntoAnEmptyHistory", {}, "abc", {"abc"}},
                    HistoryCase{"NewTextGoesFirst", {"one", "two"}, "three", {"three", "one", "two"}},
                    HistoryCase{"EqualTextMovesToTheFront", {"one", "two", "three"}, "two", {"two", "one", "three"}},
                    HistoryCase{"TypedCaseReplacesTheEntry", {"x", "abc", "y"}, "Abc", {"Abc", "x", "y"}},
                    HistoryCase{"Latin1LettersIgnoreCase", {"caf\xe9"}, "CAF\xc9", {"CAF\xc9"}},
                    HistoryCase{"OnlyLettersFoldNotOtherBytes", {"a\xd7"}, "A\xf7", {"A\xf7", "a\xd7"}},
                    HistoryCase{"PrefixIsNotEqual", {"abcd"}, "abc", {"abc", "abcd"}},
                    HistoryCase{"EmptyTextChangesNothing", {"one", "two"}, "", {"one", "two"}},
                    HistoryCase{"NoLimitWhileTheDialogIsOpen",
                                {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
                                "11",
                                {"11", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}}),
    [](const testing::TestParamInfo<HistoryCase>& info) { return info.param.name; });

TEST(SearchSettingsHistoryText, EleventhTextPushesTheOldestOut) {
  std::string history;
  for (int i = 1; i <= 11; ++i) {
    Entries entries = SplitSearchHistory(history);
    PutFirstInSearchHistory(entries, "text" + std::to_string(i));
    history = JoinSearchHistory(entries);
  }
  const Entries kept = SplitSearchHistory(history);
  ASSERT_EQ(kept.size(), kSearchHistoryLimit);
  EXPECT_EQ(kept.front(), "text11");
  EXPECT_EQ(kept.back(), "text2");
}

TEST(SearchSettingsHistoryText, JoinedByCrLfWithoutATrailingBreak) {
  EXPECT_EQ(JoinSearchHistory({}), "");
  EXPECT_EQ(JoinSearchHistory({"one"}), "one");
  EXPECT_EQ(JoinSearchHistory({"one", "two", "three"}), "one\r\ntwo\r\nthree");
  // Entries keep their inner blanks and 8-bit bytes.
  EXPECT_EQ(SplitSearchHistory("a b\r\n\xe9\r\n"), (Entries{"a b", "\xe9"}));
  EXPECT_EQ(SplitSearchHistory(""), Entries{});
}

struct OptionsCase {
  const char* name;
  TSearchSettings settings;
  bool backwards;
  bool fromCaret;
  unsigned options;
};

class SearchSettingsOptions : public testing::TestWithParam<OptionsCase> {};

TEST_P(SearchSettingsOptions, BuildsTheFindOptions) {
  const OptionsCase& c = GetParam();
  EXPECT_EQ(SearchOptions(c.settings, c.backwards, c.fromCaret), c.options);
}

TSearchSettings With(bool caseSensitive, bool selectedOnly, bool wholeWords, bool storedBackwards = false) {
  TSearchSettings s;
  s.CaseSensitive = caseSensitive;
  s.SelectedOnly = selectedOnly;
  s.WholeWords = wholeWords;
  s.Backwards = storedBackwards;
  // The dialog's box plays no part: only the window's flag does.
  s.FromCaret = true;
  return s;
}

INSTANTIATE_TEST_SUITE_P(, SearchSettingsOptions,
    testing::Values(
        OptionsCase{"NothingSetSearchesTheWholeText", With(false, false, false), false, false, soEntireScope},
        OptionsCase{"FromTheCaret", With(false, false, false), false, true, 0},
        OptionsCase{"Backwards", With(false, false, false), true, true, soBackwards},
        OptionsCase{"StoredDirectionIsIgnored", With(false, false, false, true), false, true, 0},
        OptionsCase{"CaseSensitive", With(true, false, false), false, true, soMatchCase},
        OptionsCase{"SelectedOnly", With(false, true, false), false, true, soSelectedOnly},
        OptionsCase{"WholeWords", With(false, false, true), false, true, soWholeWord},
        OptionsCase{"Everything", With(true, true, true), true, false,
                    soBackwards | soMatchCase | soEntireScope | soSelectedOnly | soWholeWord}),
    [](const testing::TestParamInfo<OptionsCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kw
