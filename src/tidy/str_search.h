// Byte-exact substring search (Boyer-Moore-Horspool) and the substring
// helpers that cut tidy's report lines.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kw {

// Every entry holds the pattern's length, then for k = 0 .. length-2 the
// entry of the pattern's k-th byte is length-1-k. Throws EKempwellError
// "BufferLen is 0" for an empty pattern.
using SkipTable = std::array<size_t, 256>;
SkipTable MakeSkipTable(std::string_view pattern);

// Position (from 1) of the first occurrence of the first patternLen bytes of
// pattern within bytes startPos .. sourceLen of source, or 0. 0 as well when
// patternLen < 1 or patternLen > sourceLen. Lengths beyond the views are cut
// to them and startPos below 1 counts as 1.
long SearchFrom(std::string_view source, std::string_view pattern, long sourceLen, long patternLen, long startPos);

// source with every occurrence of pattern (found left to right, without
// overlap) replaced; bytes compared through the ISO-8859-1 upper-case table
// when not caseSensitive. An empty source comes back unchanged, whatever the
// pattern; otherwise an empty pattern throws as MakeSkipTable does.
std::string ReplaceEvery(std::string_view source, std::string_view pattern, std::string_view replacement,
                         bool caseSensitive);

// The first / last n bytes of s; empty when n < 1 or n > the length of s.
std::string LeftPart(std::string_view s, long n);
std::string RightPart(std::string_view s, long n);

}  // namespace kw
