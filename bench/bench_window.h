// The program's window as the benchmarks drive it: built, FormCreate'd and
// shown, with every question answered without a person.
#pragma once

#include <memory>

#include "app/main_window.h"

namespace kwbench {

// True once the window has shown an error box; the benchmark then fails.
bool WindowReportedError();

// Throws, so that temporary folders are still removed on the way out.
void Require(bool ok, const char* what);

// Delivers pending events, deferred deletions included.
void Drain();

// The window as the program starts it, without a document, shown and painted.
std::unique_ptr<kw::TForm1> ShownWindow();

}  // namespace kwbench
