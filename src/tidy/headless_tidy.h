// Run tidy without a window, for scripts and CI: one or more documents, each
// through the window's run, several at a time, each in a working folder of
// its own, the reports printed in the order the documents were given.
// kempwell-tidy [OPTIONS] FILE... and kempwell --tidy [OPTIONS] FILE...
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kw {

// What RunHeadlessTidy returns; over several documents the worst of theirs,
// a failure being worse than a document not cleaned.
enum HeadlessExit {
  kHeadlessCleaned = 0,     // tidy cleaned the document
  kHeadlessFailed = 1,      // no result: unreadable input, no tidy, a tidy that failed, the time limit, a signal
  kHeadlessUsage = 2,       // a wrong command line; nothing was run
  kHeadlessNotCleaned = 3,  // tidy found errors and cleaned nothing; the rows are about the document as it is
};

// command names the program in the usage line; args are the arguments after
// it (ParseHeadlessArguments). Per document, in the order given: in the list
// format its rows as LINE<TAB>MESSAGE in display order and its status on a
// line of its own, after a "FILE:" line when several documents are given;
// in the gnu format GnuLines. With --output the cleaned document is written
// to PATH. A run still going after SECONDS, or when SIGINT or SIGTERM has
// been caught (CatchStopSignals), is stopped, and no further one begins.
// Reasons go to err, after "FILE: " when several documents are given or the
// format is gnu.
int RunHeadlessTidy(const std::string& command, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err);

}  // namespace kw
