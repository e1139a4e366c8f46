#include "document/unsaved_prompts.h"

namespace kw {

const char* UnsavedChangesQuestion(UnsavedPrompt prompt, bool modified, int lineCount) {
  if (!modified) return nullptr;
  switch (prompt) {
    case UnsavedPrompt::Open:
      return lineCount >= 1 ? "The file has been modified, do you want to save it?" : nullptr;
    case UnsavedPrompt::Close:
      return "The file has been modified, do you want to save before closing?";
    case UnsavedPrompt::Drop:
    case UnsavedPrompt::RecentFile:
    case UnsavedPrompt::WindowClose:
      return lineCount >= 1 ? "The file has been modified, do you want to save?" : nullptr;
  }
  return nullptr;
}

UnsavedAnswer YesAnswer(UnsavedPrompt prompt) {
  return prompt == UnsavedPrompt::Open || prompt == UnsavedPrompt::Close ? UnsavedAnswer::SaveAs
                                                                          : UnsavedAnswer::SaveInPlace;
}

}  // namespace kw
