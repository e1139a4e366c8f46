#include "controls/word_at.h"

namespace kw {

std::string_view WordAt(std::string_view line, size_t caret, const IdentCharTable& identChars) {
  auto isIdent = [&](size_t i) { return identChars[static_cast<unsigned char>(line[i])]; };
  if (caret > line.size()) caret = line.size();
  size_t start = caret;
  while (start > 0 && isIdent(start - 1)) --start;
  size_t end = caret;
  while (end < line.size() && isIdent(end)) ++end;
  return line.substr(start, end - start);
}

}  // namespace kw
