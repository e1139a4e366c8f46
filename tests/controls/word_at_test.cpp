#include "controls/word_at.h"

#include <gtest/gtest.h>

namespace {

TEST(WordAtTest, FindsTheRunAroundTheCaret) {
  const struct {
    const char* name;
    const char* line;
    size_t caret;
    const char* word;
  } rows[] = {
      {"inside the word", "<table border=1>", 3, "table"},
      {"just after the word", "<table border=1>", 6, "table"},
      {"just before the word", "<table border=1>", 7, "border"},
      {"between two blanks", "a  b", 2, ""},
      {"line start", "abc", 0, "abc"},
      {"past the end is the end", "abc", 9, "abc"},
      {"Latin-1 letters count", "caf\xe9s x", 1, "caf\xe9s"},
      {"the multiplication sign splits", "a\xd7" "b", 1, "a"},
      {"digits and underscore", "x=_a1;", 3, "_a1"},
  };
  for (const auto& r : rows) EXPECT_EQ(kw::WordAt(r.line, r.caret, kw::kHtmlIdentChars), r.word) << r.name;
}

}  // namespace
