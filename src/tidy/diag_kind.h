// The kind of a tidy message, read from its text, for the list's icons.
#pragma once

#include <string_view>

namespace kw {

enum class DiagKind { Other, Error, Warning, Info, Access, Config };
inline constexpr int kDiagKindCount = 6;

// "Error: ...", "Warning: ..." and the other levels of tidy's report, after
// any leading blanks; a document tidy cannot read ("Document:") and a
// "Panic:" are errors.
DiagKind KindOf(std::string_view message);

}  // namespace kw
