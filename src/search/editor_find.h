// The editor's find operation: walks the lines of the search area, asks the
// engine for each line's matches and selects the first one that counts.
#pragma once

#include <string_view>

namespace kw {

class SourceEditor;
class TEditSearch;

// Searches for the typed text (UTF-8) in the editor's encoding. Returns 1
// when a match was selected (and brought into view, the caret at its end, or
// at its start when searching backwards), 0 when none was found (selection
// and caret unchanged), the text is empty or the encoding cannot hold it.
int FindInEditor(SourceEditor& editor, TEditSearch& engine, std::string_view searchText, unsigned options);

}  // namespace kw
