#include "tidy/str_search.h"

#include <algorithm>

#include "common/error.h"
#include "common/latin1.h"

namespace kw {

namespace {

using ByteMap = std::array<unsigned char, 256>;

constexpr ByteMap MakeIdentity() {
  ByteMap m{};
  for (unsigned c = 0; c < 256; ++c) m[c] = static_cast<unsigned char>(c);
  return m;
}
constexpr ByteMap kIdentity = MakeIdentity();

unsigned char Mapped(const ByteMap& map, char c) { return map[static_cast<unsigned char>(c)]; }

template <class Entry>
std::array<Entry, 256> MakeTable(std::string_view pattern, const ByteMap& map) {
  if (pattern.empty()) throw EKempwellError("BufferLen is 0");
  std::array<Entry, 256> table;
  table.fill(static_cast<Entry>(pattern.size()));
  for (size_t k = 0; k + 1 < pattern.size(); ++k)
    table[Mapped(map, pattern[k])] = static_cast<Entry>(pattern.size() - 1 - k);
  return table;
}

// Horspool over source[from, source.size()); npos when there is no match.
template <class Table>
size_t Find(std::string_view source, std::string_view pattern, size_t from, const Table& table, const ByteMap& map) {
  const size_t m = pattern.size();
  for (size_t i = from; m <= source.size() && i <= source.size() - m;) {
    size_t j = m;
    while (j > 0 && Mapped(map, source[i + j - 1]) == Mapped(map, pattern[j - 1])) --j;
    if (j == 0) return i;
    i += table[Mapped(map, source[i + m - 1])];
  }
  return std::string_view::npos;
}

// Every report line is searched three times, so short patterns get a table
// of bytes, which is cheaper to fill than one of size_t.
template <class Search>
size_t WithTable(std::string_view pattern, const ByteMap& map, Search&& search) {
  if (pattern.size() < 256) return search(MakeTable<unsigned char>(pattern, map));
  return search(MakeTable<size_t>(pattern, map));
}

}  // namespace

SkipTable MakeSkipTable(std::string_view pattern) { return MakeTable<size_t>(pattern, kIdentity); }

long SearchFrom(std::string_view source, std::string_view pattern, long sourceLen, long patternLen, long startPos) {
  sourceLen = std::min<long>(sourceLen, static_cast<long>(source.size()));
  patternLen = std::min<long>(patternLen, static_cast<long>(pattern.size()));
  if (patternLen < 1 || patternLen > sourceLen) return 0;
  const std::string_view p = pattern.substr(0, static_cast<size_t>(patternLen));
  const size_t from = static_cast<size_t>(std::max<long>(startPos, 1) - 1);
  const std::string_view searched = source.substr(0, static_cast<size_t>(sourceLen));
  const size_t at =
      WithTable(p, kIdentity, [&](const auto& table) { return Find(searched, p, from, table, kIdentity); });
  return at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
}

std::string ReplaceEvery(std::string_view source, std::string_view pattern, std::string_view replacement,
                         bool caseSensitive) {
  if (source.empty()) return std::string(source);
  const ByteMap& map = caseSensitive ? kIdentity : kLatin1Upper;
  std::string out;
  out.reserve(source.size());
  const size_t done = WithTable(pattern, map, [&](const auto& table) {
    size_t next = 0;
    for (size_t at; (at = Find(source, pattern, next, table, map)) != std::string_view::npos;) {
      out.append(source.substr(next, at - next)).append(replacement);
      next = at + pattern.size();
    }
    return next;
  });
  return out.append(source.substr(done));
}

std::string LeftPart(std::string_view s, long n) {
  if (n < 1 || n > static_cast<long>(s.size())) return {};
  return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string RightPart(std::string_view s, long n) {
  if (n < 1 || n > static_cast<long>(s.size())) return {};
  return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

}  // namespace kw
