// Text files read as lists of lines (options, ignore list, error reports).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Lines broken at CR LF, LF or CR. Unlike the editor, a break at the very
// end adds no empty line, so an empty text has no lines.
std::vector<std::string> SplitStringList(std::string_view text);

// The lines of a file; throws EKempwellError "Cannot open file ..." when it cannot be read.
std::vector<std::string> LoadStringList(const std::string& path);

}  // namespace kw
