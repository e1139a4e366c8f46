// The desktop's boxes and dialogs behind the program's dialogs seam.
#pragma once

#include <memory>

#include "widgets/user_dialogs.h"

namespace kw {

// Each file dialog is one object for the whole run, so it remembers the name
// last chosen in it.
std::unique_ptr<UserDialogs> MakeDesktopDialogs();

}  // namespace kw
