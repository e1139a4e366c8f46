#include "document/unsaved_prompts.h"

namespace kw {

const char* UnsavedChangesQuestion(UnsavedPrompt prompt, bool modified, bool nothingToLose) {
  if (!modified || nothingToLose) return nullptr;
  switch (prompt) {
    case UnsavedPrompt::Open: return "The file has been modified, do you want to save it?";
    case UnsavedPrompt::Close: return "The file has been modified, do you want to save before closing?";
    case UnsavedPrompt::Drop:
    case UnsavedPrompt::RecentFile:
    case UnsavedPrompt::WindowClose: return "The file has been modified, do you want to save?";
  }
  return nullptr;
}

UnsavedAnswer YesAnswer(UnsavedPrompt prompt) {
  return prompt == UnsavedPrompt::Open || prompt == UnsavedPrompt::Close ? UnsavedAnswer::SaveAs
                                                                          : UnsavedAnswer::SaveInPlace;
}

}  // namespace kw
