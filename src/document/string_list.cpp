#include "document/string_list.h"

#include "document/file_io.h"

namespace kw {

std::vector<std::string> SplitStringList(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> LoadStringList(const std::string& path) { return SplitStringList(ReadWholeFile(path)); }

}  // namespace kw
