// Words in a line of text, as the editor's F1 box and word lookups see them.
#pragma once

#include <cstddef>
#include <string_view>

#include "highlight/ident_chars.h"

namespace kw {

// The run of identifier bytes around a caret at byte index caret of line
// (0 = before the first byte): extended to the right from the caret and to
// the left from the byte before it. Empty when the caret touches no such byte.
std::string_view WordAt(std::string_view line, size_t caret, const IdentCharTable& identChars);

}  // namespace kw
