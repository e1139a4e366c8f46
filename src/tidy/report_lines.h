// The rows of a tidy run as text lines for scripts: as the list shows them,
// or in the FILE:LINE:COLUMN: form that editors and build tools read.
#pragma once

#include <string>
#include <vector>

#include "tidy/tree_data.h"

namespace kw {

// LINE<TAB>MESSAGE per row, then the status, each on its own line.
std::string ListLines(const std::vector<TTreeData>& rows, const std::string& status);

// One "FILE:LINE:COLUMN: kind: message" line per row that names a problem,
// the kind being the message's level in lower case (error, warning, info,
// access, config) and the message what follows that level. The column goes
// when the row names none, line and column when it names no line
// ("FILE: config: unknown option: x"); a message of no known level has no
// kind. Tidy's "Document:" and "Panic:" messages are errors that keep their
// level word. The no-messages entry gives no line.
std::string GnuLines(const std::string& file, const std::vector<TTreeData>& rows);

}  // namespace kw
