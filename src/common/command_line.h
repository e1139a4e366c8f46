// Command lines as one string: split into arguments by the C runtime rules
// of the platform the command lines were designed on, quoted so that any
// argument survives that split, and the program found without a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Blanks (space, tab) separate arguments; double quotes group; 2n
// backslashes before a quote give n backslashes and the quote groups, 2n+1
// give n backslashes and a literal quote; other backslashes are literal; a
// pair of quotes inside a quoted part is one literal quote and the part goes
// on. An unclosed quote runs to the end. Line breaks are not blanks.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// One argument of a split and the bytes of the command line it was read from.
struct SplitArgument {
  std::string Text;
  size_t Begin = 0;
  size_t End = 0;
};
// SplitCommandLine with where each argument stands, so that a line can be
// edited argument by argument and keep the rest as written.
std::vector<SplitArgument> SplitCommandLineAt(std::string_view commandLine);

// The argument as SplitCommandLine will give it back, whatever its bytes. It
// goes in double quotes when alwaysQuote is set, it is empty or it holds a
// blank or a tab; a double quote and the backslashes before it are escaped,
// as are backslashes before the closing quote. Anything else is left bare,
// so a name without blanks reads exactly as the user knows it.
std::string QuoteArgument(std::string_view argument, bool alwaysQuote = false);

// The file that running program would execute: a name holding '/' as it is,
// otherwise the first executable regular file of that name in searchDir
// (when not empty), then along PATH, whose empty entries stand for the
// working directory ("./name"). Empty when none is found; error then says
// why, as a shell would: EACCES when a regular file of that name was found
// that may not be executed, else ENOENT.
std::string FindProgram(const std::string& program, const std::string& searchDir, int* error = nullptr);

}  // namespace kw
