// The questions asked before unsaved text is replaced, saved elsewhere or dropped.
#pragma once

namespace kw {

enum class UnsavedPrompt { Open, Close, Drop, RecentFile, WindowClose };

// What a Yes answer does before the operation goes on.
enum class UnsavedAnswer {
  SaveAs,        // the Save as command, with its dialog
  SaveInPlace,   // the text written to the current file name at once
};

// The question for the operation, or nullptr when none is asked: only
// modified text is asked about, also text the user emptied, unless there is
// nothing to lose (no text and no file behind it).
const char* UnsavedChangesQuestion(UnsavedPrompt prompt, bool modified, bool nothingToLose);

UnsavedAnswer YesAnswer(UnsavedPrompt prompt);

}  // namespace kw
