// One diagnostic of tidy's report, as the diagnostics list shows it.
#pragma once

#include <string>

namespace kw {

struct TTreeData {
  std::string Message;
  std::string Line;  // decimal text as tidy wrote it; "0" for the no-messages entry
  int Column = 0;    // tidy's column on that line; 0 when it names none
};

}  // namespace kw
