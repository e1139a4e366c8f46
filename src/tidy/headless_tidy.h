// Run tidy without a window, for scripts:
// kempwell --tidy FILE [--output PATH] [--timeout SECONDS].
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kw {

// What RunHeadlessTidy returns.
enum HeadlessExit {
  kHeadlessCleaned = 0,     // tidy cleaned the document
  kHeadlessFailed = 1,      // no result: unreadable input, no tidy, a tidy that failed, the time limit, a signal
  kHeadlessUsage = 2,       // a wrong command line
  kHeadlessNotCleaned = 3,  // tidy found errors and cleaned nothing; the rows are about the document as it is
};

// The arguments after the program name, the first being "--tidy". Prints the
// list rows as LINE<TAB>MESSAGE in display order, then the status text on
// its own line, and writes the cleaned document to PATH when there is one.
// A run still going after SECONDS, or when SIGINT or SIGTERM has been caught
// (CatchStopSignals), is stopped. Reasons go to err.
int RunHeadlessTidy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kw
