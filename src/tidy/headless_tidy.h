// Run tidy without a window, for scripts: kempwell --tidy FILE [--output PATH].
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kw {

// The arguments after the program name, the first being "--tidy". Prints the
// list rows as LINE<TAB>MESSAGE in display order, then the status text on
// its own line, and writes the cleaned document to PATH when asked. Returns
// 0 when tidy ran, 1 when it could not (or left nothing to write to PATH),
// 2 for a wrong command line; the reason goes to err.
int RunHeadlessTidy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kw
