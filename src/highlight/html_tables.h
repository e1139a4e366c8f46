// The HTML highlighter's fixed tables: the tag-name hash with its slot table
// of known tags, and the named character entities.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "highlight/html_highlighter.h"

namespace kw {

// Letters count 1-26 without regard to case, '!' 123, '/' 122, everything
// else (digits too) 0.
using TagCharHashTable = std::array<uint8_t, 256>;

constexpr TagCharHashTable MakeTagCharHash() {
  TagCharHashTable t{};
  for (unsigned c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<uint8_t>(c - 'A' + 1);
  for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - 'a' + 1);
  t['!'] = 123;
  t['/'] = 122;
  return t;
}

inline constexpr TagCharHashTable kTagCharHash = MakeTagCharHash();

// Hashes at or above this are never looked up.
inline constexpr int kTagSlotCount = 251;
inline constexpr int kEntityCount = 249;

struct KeyHashResult {
  int hash = 0;
  int length = 0;  // bytes of the name; may be 0
};

// The name at the start of text: letters, '!' and '/', then digits, which add
// their numeric value. In UTF-8 text every byte 0x80-0xFF is a letter that
// adds nothing, so that a name never ends inside a character; a name holding
// one is never a known tag. Reads nothing past text's end.
constexpr KeyHashResult KeyHash(std::string_view text, bool utf8 = false) {
  KeyHashResult r;
  const int size = static_cast<int>(text.size());
  auto byte = [&](int i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
  auto letter = [&](unsigned char c) { return kTagCharHash[c] != 0 || (utf8 && c >= 0x80); };
  while (r.length < size && letter(byte(r.length))) r.hash += kTagCharHash[byte(r.length++)];
  while (r.length < size && byte(r.length) >= '0' && byte(r.length) <= '9') r.hash += byte(r.length++) - '0';
  return r;
}

// tkKey for a known tag or closing form, tkUndefKey for an unknown name
// (including the empty one), tkIdentifier when the hash is out of the table.
// length receives the name's extent.
TtkTokenKind ClassifyTagName(std::string_view text, int& length, bool utf8 = false);

// Index of the entity that text starts with, or -1. Entries carry their '&'
// and ';' and are compared with case.
int FindEntity(std::string_view text);
std::string_view EntityName(int index);

}  // namespace kw
