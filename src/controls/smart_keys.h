// Where Tab and Backspace move to in leading blanks, and which blanks Enter
// leaves behind: the editor's smart tabs, smart tab deletion and trimming of
// trailing blanks.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace kw {

inline constexpr int kTabWidth = 8;

// Display column (from 0) at byte index of line, with tabs expanded.
int DisplayColumn(std::string_view line, size_t index, int tabWidth = kTabWidth);

// Byte index of the first byte of line at or after a display column; the
// line's length when the line is shorter.
size_t IndexAtColumn(std::string_view line, int column, int tabWidth = kTabWidth);

// Tab: the display column of the next word start in the nearest line above
// that is not blank, right of column. Without one, the next tab stop.
// lineAt(i) gives line i (from 0); line is the caret's line.
int SmartTabColumn(const std::function<std::string_view(int)>& lineAt, int line, int column,
                   int tabWidth = kTabWidth);

// Backspace with only blanks before the caret: the indentation of the
// nearest line above that is indented less than column, else 0. nullopt
// when the caret is not in the line's leading blanks (plain Backspace).
std::optional<int> SmartBackspaceColumn(const std::function<std::string_view(int)>& lineAt,
                                        int line, std::string_view textBeforeCaret,
                                        int tabWidth = kTabWidth);

// Index where the run of blanks (space, tab) that ends text begins.
size_t TrailingBlanksStart(std::string_view text);

}  // namespace kw
