#include "controls/word_at.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  const char* line;
  size_t caret;
  const char* word;
};

class WordAtTest : public testing::TestWithParam<Case> {};

TEST_P(WordAtTest, FindsTheRunAroundTheCaret) {
  const Case& c = GetParam();
  EXPECT_EQ(kw::WordAt(c.line, c.caret, kw::kHtmlIdentChars), c.word);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordAtTest,
    testing::Values(Case{"InsideTheWord", "<table border=1>", 3, "table"},
                    Case{"JustAfterTheWord", "<table border=1>", 6, "table"},
                    Case{"JustBeforeTheWord", "<table border=1>", 7, "border"},
                    Case{"BetweenTwoBlanks", "a  b", 2, ""},
                    Case{"LineStart", "abc", 0, "abc"},
                    Case{"PastTheEndIsTheEnd", "abc", 9, "abc"},
                    Case{"Latin1LettersCount", "caf\xe9s x", 1, "caf\xe9s"},
                    Case{"MultiplicationSignSplits", "a\xd7" "b", 1, "a"},
                    Case{"DigitsAndUnderscore", "x=_a1;", 3, "_a1"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
