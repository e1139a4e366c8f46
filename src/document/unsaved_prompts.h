// The questions asked before unsaved text is replaced, saved elsewhere or dropped.
#pragma once

namespace kw {

enum class UnsavedPrompt { Open, Close, Drop, RecentFile, WindowClose };

// What a Yes answer does before the operation goes on.
enum class UnsavedAnswer {
  SaveAs,        // the Save as command, with its dialog
  SaveInPlace,   // the text written to the current file name at once
};

// The question for the operation, or nullptr when none is asked: every prompt
// needs the modified flag, and all but Close need at least one line.
const char* UnsavedChangesQuestion(UnsavedPrompt prompt, bool modified, int lineCount);

UnsavedAnswer YesAnswer(UnsavedPrompt prompt);

}  // namespace kw
