// A position in the text: line and column from 1, the column a byte index plus 1.
#pragma once

namespace kw {

struct TextPos {
  int line = 1;
  int column = 1;
  bool operator==(const TextPos&) const = default;
};

}  // namespace kw
