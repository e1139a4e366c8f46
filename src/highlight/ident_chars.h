// The bytes that form words for the HTML highlighter and the editor's word lookups.
#pragma once

#include <array>

namespace kw {

// '_', '0'-'9', 'A'-'Z', 'a'-'z' and the ISO-8859-1 letters 0xC0-0xFF except
// the multiplication and division signs 0xD7 and 0xF7.
using IdentCharTable = std::array<bool, 256>;

constexpr IdentCharTable MakeHtmlIdentChars() {
  IdentCharTable t{};
  for (unsigned c = 0; c < 256; ++c)
    t[c] = c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
  return t;
}

inline constexpr IdentCharTable kHtmlIdentChars = MakeHtmlIdentChars();

// For UTF-8 text: the ASCII word bytes and every byte 0x80-0xFF, so that a
// multi-byte character counts as a letter and a word never ends inside one.
constexpr IdentCharTable MakeUtf8IdentChars() {
  IdentCharTable t = kHtmlIdentChars;
  for (unsigned c = 0x80; c < 256; ++c) t[c] = true;
  return t;
}

inline constexpr IdentCharTable kUtf8IdentChars = MakeUtf8IdentChars();

}  // namespace kw
