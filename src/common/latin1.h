// Letter case of ISO-8859-1, the character set in which the program reads every byte.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kw {

namespace latin1_detail {
constexpr bool IsUpper(unsigned c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}
constexpr bool IsLower(unsigned c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}
constexpr std::array<unsigned char, 256> MakeTable(bool toLower) {
  std::array<unsigned char, 256> t{};
  for (unsigned c = 0; c < 256; ++c) {
    if (toLower && IsUpper(c)) t[c] = static_cast<unsigned char>(c + 0x20);
    else if (!toLower && IsLower(c)) t[c] = static_cast<unsigned char>(c - 0x20);
    else t[c] = static_cast<unsigned char>(c);
  }
  return t;
}
}  // namespace latin1_detail

// Byte-indexed case tables; bytes that are not letters map to themselves.
inline constexpr std::array<unsigned char, 256> kLatin1Lower = latin1_detail::MakeTable(true);
inline constexpr std::array<unsigned char, 256> kLatin1Upper = latin1_detail::MakeTable(false);

inline char LowerLatin1(char c) { return static_cast<char>(kLatin1Lower[static_cast<unsigned char>(c)]); }
inline char UpperLatin1(char c) { return static_cast<char>(kLatin1Upper[static_cast<unsigned char>(c)]); }

std::string LowerLatin1(std::string_view s);
bool EqualIgnoringCaseLatin1(std::string_view a, std::string_view b);

}  // namespace kw
