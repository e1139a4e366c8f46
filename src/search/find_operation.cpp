#include "search/find_operation.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "search/edit_search.h"

namespace kw {

namespace {

// Lines searched as one block before they are searched one by one.
constexpr int kBlockLines = 512;

bool IsBreak(char c) { return c == '\n' || c == '\r'; }

#ifdef __SSE2__
// Bit i set when p[i] is CR or LF, for 32 bytes.
inline uint32_t BreakMask(const char* p) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const auto mask = [&](__m128i v) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
  };
  return mask(low) | mask(high) << 16;
}
#endif

// The first CR or LF in [from, to), else to. This runs once for every line
// a find visits, so it takes 32 bytes at a time where the processor can.
size_t FirstBreak(const char* s, size_t from, size_t to) {
#ifdef __SSE2__
  for (; to - from >= 32; from += 32)
    if (const uint32_t mask = BreakMask(s + from)) return from + static_cast<size_t>(std::countr_zero(mask));
#endif
  while (from < to && !IsBreak(s[from])) ++from;
  return from;
}

// Just past the last CR or LF in [from, to), else from.
size_t AfterLastBreak(const char* s, size_t from, size_t to) {
#ifdef __SSE2__
  for (; to - from >= 32; to -= 32)
    if (const uint32_t mask = BreakMask(s + to - 32)) return to - 32 + static_cast<size_t>(std::bit_width(mask));
#endif
  while (to > from && !IsBreak(s[to - 1])) --to;
  return to;
}

}  // namespace

TextLines::TextLines(std::string_view text) : text_(text) {}

inline std::string_view TextLines::Remember(int index, size_t start, size_t end) {
  index_ = index;
  start_ = start;
  end_ = end;
  return text_.substr(start, end - start);
}

std::string_view TextLines::LineAt(int index, size_t start) {
  return Remember(index, start, FirstBreak(text_.data(), start, text_.size()));
}

std::optional<std::string_view> TextLines::Adjacent(int index) {
  if (index_ < 0) return std::nullopt;
  if (index == index_ + 1 && end_ < text_.size()) {
    const bool crlf = text_[end_] == '\r' && end_ + 1 < text_.size() && text_[end_ + 1] == '\n';
    const size_t start = end_ + (crlf ? 2 : 1);
    return Remember(index, start, FirstBreak(text_.data(), start, text_.size()));
  }
  if (index == index_ - 1 && start_ > 0) {
    const bool crlf = text_[start_ - 1] == '\n' && start_ >= 2 && text_[start_ - 2] == '\r';
    const size_t end = start_ - (crlf ? 2 : 1);
    return Remember(index, AfterLastBreak(text_.data(), 0, end), end);
  }
  return std::nullopt;
}

std::optional<std::string_view> FindView::Lines(int, int) { return std::nullopt; }

int FindInView(FindView& view, TEditSearch& engine, std::string_view searchText, unsigned options) {
  if (searchText.empty()) return 0;
  if ((options & soSelectedOnly) && !view.SelAvail()) options &= ~soSelectedOnly;
  engine.SetOptions(options);
  engine.SetPattern(searchText);
  const int lineCount = view.LineCount();
  if (lineCount == 0) return 0;
  const bool backwards = (options & soBackwards) != 0;

  TextPos areaStart;
  TextPos areaEnd;
  if (options & soSelectedOnly) {
    areaStart = view.SelStart();
    areaEnd = view.SelEnd();
  } else {
    const bool fromCaret = !(options & soEntireScope);
    if (fromCaret && !backwards) areaStart = view.CaretPos();
    if (fromCaret && backwards) areaEnd = view.CaretPos();
    else areaEnd = {lineCount, static_cast<int>(view.Line(lineCount - 1).size()) + 1};
  }
  // A position outside the text must not walk the lines off it.
  areaStart.line = std::max(areaStart.line, 1);
  areaEnd.line = std::min(areaEnd.line, lineCount);
  if (areaStart.line > areaEnd.line) return 0;

  const int step = backwards ? -1 : 1;
  const int firstVisited = backwards ? areaEnd.line : areaStart.line;
  const int lastVisited = backwards ? areaStart.line : areaEnd.line;
  // A pattern without a break cannot reach across one, and a break is no
  // word character: a block of lines holds a match only where a line does.
  const bool inBlocks = searchText.find_first_of("\r\n") == std::string_view::npos;
  int blockEnd = firstVisited - step;
  for (int line = firstVisited; line != lastVisited + step; line += step) {
    if (inBlocks && line == blockEnd + step) {
      blockEnd = backwards ? std::max(line - kBlockLines + 1, lastVisited) : std::min(line + kBlockLines - 1, lastVisited);
      const std::optional<std::string_view> block =
          blockEnd == line ? std::nullopt : view.Lines(std::min(line, blockEnd) - 1, std::max(line, blockEnd) - 1);
      if (block && engine.FindAll(*block) == 0) {
        line = blockEnd;
        continue;
      }
    }
    const int count = engine.FindAll(view.Line(line - 1));
    for (int k = 0; k < count; ++k) {
      const int i = backwards ? count - 1 - k : k;
      const int column = engine.Results(i);
      const int after = column + engine.Lengths(i);
      if (line == areaStart.line && column < areaStart.column) continue;
      if (line == areaEnd.line && after > areaEnd.column) continue;
      const TextPos start{line, column};
      const TextPos end{line, after};
      if (backwards) view.Select(end, start);
      else view.Select(start, end);
      return 1;
    }
  }
  return 0;
}

}  // namespace kw
