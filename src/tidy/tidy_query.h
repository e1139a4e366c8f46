// Asking the installed tidy about itself (its version, its options): a short
// run whose standard output is the answer.
#pragma once

#include <chrono>
#include <string>

namespace kw {

struct TidyAnswer {
  // errno of a start that failed (ENOENT: no tidy found); 0 when tidy ran.
  int StartError = 0;
  // tidy did not end within the time it was given and was stopped.
  bool TimedOut = false;
  // What tidy wrote to its standard output (at most 1 MiB).
  std::string Output;
  bool Answered() const { return StartError == 0 && !TimedOut; }
};

// Runs "tidy <arguments>" as a run of the document does: looked up in
// programDir, then along PATH, directly and with English messages. It is
// stopped when it runs longer than timeout.
TidyAnswer AskTidy(const std::string& programDir, const std::string& arguments,
                   std::chrono::milliseconds timeout);

}  // namespace kw
