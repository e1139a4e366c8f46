#include "controls/smart_keys.h"

namespace kw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankLine(std::string_view line) {
  for (char c : line)
    if (!IsBlank(c)) return false;
  return true;
}

// How far up a smart key looks for a line to line up with.
constexpr int kLinesToLookUp = 100;

int Indentation(std::string_view line, int tabWidth) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return DisplayColumn(line, i, tabWidth);
}

}  // namespace

int DisplayColumn(std::string_view line, size_t index, int tabWidth) {
  int column = 0;
  for (size_t i = 0; i < index && i < line.size(); ++i)
    column = line[i] == '\t' ? (column / tabWidth + 1) * tabWidth : column + 1;
  return column;
}

size_t IndexAtColumn(std::string_view line, int column, int tabWidth) {
  int c = 0;
  size_t i = 0;
  while (i < line.size() && c < column) {
    c = line[i] == '\t' ? (c / tabWidth + 1) * tabWidth : c + 1;
    ++i;
  }
  return i;
}

int SmartTabColumn(const std::function<std::string_view(int)>& lineAt, int line, int column,
                   int tabWidth) {
  for (int above = line - 1; above >= 0 && above >= line - kLinesToLookUp; --above) {
    const std::string_view text = lineAt(above);
    if (IsBlankLine(text)) continue;
    for (size_t i = IndexAtColumn(text, column + 1, tabWidth); i < text.size(); ++i) {
      if (!IsBlank(text[i]) && IsBlank(text[i - 1])) return DisplayColumn(text, i, tabWidth);
    }
    break;
  }
  return (column / tabWidth + 1) * tabWidth;
}

std::optional<int> SmartBackspaceColumn(const std::function<std::string_view(int)>& lineAt,
                                        int line, std::string_view textBeforeCaret, int tabWidth) {
  if (textBeforeCaret.empty() || !IsBlankLine(textBeforeCaret)) return std::nullopt;
  const int column = DisplayColumn(textBeforeCaret, textBeforeCaret.size(), tabWidth);
  for (int above = line - 1; above >= 0 && above >= line - kLinesToLookUp; --above) {
    const std::string_view text = lineAt(above);
    if (IsBlankLine(text)) continue;
    const int indent = Indentation(text, tabWidth);
    if (indent < column) return indent;
  }
  return 0;
}

size_t TrailingBlanksStart(std::string_view text) {
  size_t i = text.size();
  while (i > 0 && IsBlank(text[i - 1])) --i;
  return i;
}

}  // namespace kw
