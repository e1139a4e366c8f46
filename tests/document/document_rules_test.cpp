// The unsaved-changes questions and the line lists read from text files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/string_list.h"
#include "document/unsaved_prompts.h"

namespace kw {
namespace {

TEST(UnsavedPrompt, QuestionAndWhatYesDoes) {
  constexpr char kSaveIt[] = "The file has been modified, do you want to save it?";
  constexpr char kSave[] = "The file has been modified, do you want to save?";
  const struct {
    const char* name;
    UnsavedPrompt prompt;
    bool modified, nothingToLose;
    const char* question;  // nullptr: nothing is asked
    UnsavedAnswer yes;
  } rows[] = {
      {"open", UnsavedPrompt::Open, true, false, kSaveIt, UnsavedAnswer::SaveAs},
      {"open unmodified", UnsavedPrompt::Open, false, false, nullptr, UnsavedAnswer::SaveAs},
      {"close", UnsavedPrompt::Close, true, false,
       "The file has been modified, do you want to save before closing?", UnsavedAnswer::SaveAs},
      {"drop of an emptied document", UnsavedPrompt::Drop, true, false, kSave, UnsavedAnswer::SaveInPlace},
      {"recent file", UnsavedPrompt::RecentFile, true, false, kSave, UnsavedAnswer::SaveInPlace},
      {"window close, nothing to lose", UnsavedPrompt::WindowClose, true, true, nullptr, UnsavedAnswer::SaveInPlace},
  };
  for (const auto& r : rows) {
    EXPECT_STREQ(UnsavedChangesQuestion(r.prompt, r.modified, r.nothingToLose), r.question) << r.name;
    EXPECT_EQ(YesAnswer(r.prompt), r.yes) << r.name;
  }
}

TEST(StringList, SplitsAtEveryBreakWithoutAnEmptyLastLine) {
  using Lines = std::vector<std::string>;
  const std::pair<const char*, Lines> rows[] = {
      {"", {}}, {"a\r\nb\rc\nd\n", {"a", "b", "c", "d"}}, {"\n\n", {"", ""}}, {"a\n\rb", {"a", "", "b"}}, {"a\r", {"a"}},
  };
  for (const auto& [text, lines] : rows) EXPECT_EQ(SplitStringList(text), lines) << testing::PrintToString(text);
}

}  // namespace
}  // namespace kw
