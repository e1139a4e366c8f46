// The unsaved-changes questions and the line lists read from text files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/string_list.h"
#include "document/unsaved_prompts.h"

namespace {

using kw::UnsavedPrompt;

struct PromptCase {
  const char* name;
  UnsavedPrompt prompt;
  bool modified;
  bool nothingToLose;
  const char* question;  // nullptr: nothing is asked
};

class UnsavedPromptTest : public testing::TestWithParam<PromptCase> {};

TEST_P(UnsavedPromptTest, AsksTheRightQuestion) {
  const PromptCase& c = GetParam();
  EXPECT_STREQ(kw::UnsavedChangesQuestion(c.prompt, c.modified, c.nothingToLose), c.question);
}

constexpr char kSaveIt[] = "The file has been modified, do you want to save it?";
constexpr char kSave[] = "The file has been modified, do you want to save?";
constexpr char kBeforeClosing[] = "The file has been modified, do you want to save before closing?";

INSTANTIATE_TEST_SUITE_P(
    Table, UnsavedPromptTest,
    testing::Values(PromptCase{"OpenModified", UnsavedPrompt::Open, true, false, kSaveIt},
                    PromptCase{"OpenUnmodified", UnsavedPrompt::Open, false, false, nullptr},
                    PromptCase{"Close", UnsavedPrompt::Close, true, false, kBeforeClosing},
                    PromptCase{"DropOfAnEmptiedDocument", UnsavedPrompt::Drop, true, false, kSave},
                    PromptCase{"RecentFile", UnsavedPrompt::RecentFile, true, false, kSave},
                    PromptCase{"WindowCloseWithNothingToLose", UnsavedPrompt::WindowClose, true, true, nullptr}),
    [](const testing::TestParamInfo<PromptCase>& info) { return info.param.name; });

TEST(UnsavedPromptTest, OnlyOpenAndCloseUseTheSaveDialog) {
  EXPECT_EQ(kw::YesAnswer(UnsavedPrompt::Open), kw::UnsavedAnswer::SaveAs);
  EXPECT_EQ(kw::YesAnswer(UnsavedPrompt::Close), kw::UnsavedAnswer::SaveAs);
  for (UnsavedPrompt p : {UnsavedPrompt::Drop, UnsavedPrompt::RecentFile, UnsavedPrompt::WindowClose})
    EXPECT_EQ(kw::YesAnswer(p), kw::UnsavedAnswer::SaveInPlace);
}

TEST(StringListTest, SplitsAtEveryBreakWithoutAnEmptyLastLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(kw::SplitStringList(""), Lines{});
  EXPECT_EQ(kw::SplitStringList("a"), Lines{"a"});
  EXPECT_EQ(kw::SplitStringList("a\r\nb\rc\nd\n"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(kw::SplitStringList("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(kw::SplitStringList("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(kw::SplitStringList("a\r"), Lines{"a"});
}

}  // namespace
