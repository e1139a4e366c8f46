#include "changes/line_diff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace kw {

namespace {

using LineId = uint32_t;

// dtl's search stops and starts again from part of its way when its record of
// the way grows past this many points, and with two such restarts its
// places come out wrong. (m + 1)(n + 1) points are the most that comparing
// m and n lines can take, so only pieces within that go to dtl.
constexpr uint64_t kDtlPoints = dtl::MAX_CORDINATES_SIZE;
// The side of the pieces that a part with no line of its own is cut into.
constexpr size_t kChunkLines = 500;
// How deep parts are cut at lines that each side holds once.
constexpr int kMaxDepth = 64;

using Pairs = std::vector<std::pair<size_t, size_t>>;

// The pairs (before, after) of lines left in place, in order. Each part of
// the texts goes through the steps that keep a shortest edit shortest: the
// unchanged start and end are taken as they are, and the lines that the
// other side lacks are set aside, as every shortest edit removes or inserts
// them. What is left goes to dtl when it is small enough for it; a larger
// part is cut at the lines that each side holds once, taken in the longest
// order they share (as patience diff does), and each piece between them
// goes through the same steps; a part without such lines is cut into pieces
// along its diagonal.
class Matcher {
 public:
  Matcher(const std::vector<LineId>& before, const std::vector<LineId>& after, size_t distinct)
      : a_(before), b_(after), inA_(distinct, 0), inB_(distinct, 0), whereB_(distinct, 0) {}

  void Match(size_t a0, size_t a1, size_t b0, size_t b1, int depth) {
    while (a0 < a1 && b0 < b1 && a_[a0] == b_[b0]) pairs.emplace_back(a0++, b0++);
    size_t tail = 0;
    while (a0 < a1 - tail && b0 < b1 - tail && a_[a1 - 1 - tail] == b_[b1 - 1 - tail]) ++tail;
    if (a0 < a1 - tail && b0 < b1 - tail) MatchMiddle(a0, a1 - tail, b0, b1 - tail, depth);
    for (size_t k = tail; k > 0; --k) pairs.emplace_back(a1 - k, b1 - k);
  }

  Pairs pairs;

 private:
  void MatchMiddle(size_t a0, size_t a1, size_t b0, size_t b1, int depth) {
    for (size_t i = a0; i < a1; ++i) ++inA_[a_[i]];
    for (size_t j = b0; j < b1; ++j) {
      ++inB_[b_[j]];
      whereB_[b_[j]] = uint32_t(j);
    }
    std::vector<LineId> a, b;
    std::vector<size_t> aAt, bAt;
    for (size_t i = a0; i < a1; ++i)
      if (inB_[a_[i]] != 0) {
        a.push_back(a_[i]);
        aAt.push_back(i);
      }
    for (size_t j = b0; j < b1; ++j)
      if (inA_[b_[j]] != 0) {
        b.push_back(b_[j]);
        bAt.push_back(j);
      }
    Pairs anchors;
    const bool small = uint64_t(a.size() + 1) * uint64_t(b.size() + 1) <= kDtlPoints;
    if (!a.empty() && !small && depth < kMaxDepth) anchors = Anchors(aAt);
    for (size_t i = a0; i < a1; ++i) inA_[a_[i]] = 0;
    for (size_t j = b0; j < b1; ++j) inB_[b_[j]] = 0;
    if (a.empty()) return;
    if (small) {
      Dtl(a, aAt, b, bAt);
    } else if (!anchors.empty()) {
      for (const auto& [i, j] : anchors) {
        Match(a0, i, b0, j, depth + 1);
        pairs.emplace_back(i, j);
        a0 = i + 1;
        b0 = j + 1;
      }
      Match(a0, a1, b0, b1, depth + 1);
    } else {
      Chunks(a, aAt, b, bAt);
    }
  }

  // The lines that each side holds once, paired, in the longest order both
  // sides share.
  Pairs Anchors(const std::vector<size_t>& aAt) const {
    Pairs unique;
    for (size_t i : aAt)
      if (inA_[a_[i]] == 1 && inB_[a_[i]] == 1) unique.emplace_back(i, whereB_[a_[i]]);
    // Patience sorting: the longest run increasing on the other side too.
    std::vector<size_t> tops, previous(unique.size());
    for (size_t k = 0; k < unique.size(); ++k) {
      const auto pile = std::lower_bound(tops.begin(), tops.end(), unique[k].second,
                                         [&](size_t top, size_t j) { return unique[top].second < j; });
      previous[k] = pile == tops.begin() ? SIZE_MAX : *(pile - 1);
      if (pile == tops.end()) tops.push_back(k);
      else *pile = k;
    }
    Pairs chain;
    for (size_t k = tops.empty() ? SIZE_MAX : tops.back(); k != SIZE_MAX; k = previous[k]) chain.push_back(unique[k]);
    std::reverse(chain.begin(), chain.end());
    return chain;
  }

  void Chunks(const std::vector<LineId>& a, const std::vector<size_t>& aAt, const std::vector<LineId>& b,
              const std::vector<size_t>& bAt) {
    const size_t pieces = (std::max(a.size(), b.size()) + kChunkLines - 1) / kChunkLines;
    for (size_t k = 0; k < pieces; ++k) {
      auto cut = [&](const std::vector<LineId>& v, const std::vector<size_t>& at, std::vector<LineId>& part,
                     std::vector<size_t>& partAt) {
        const size_t from = v.size() * k / pieces, to = v.size() * (k + 1) / pieces;
        part.assign(v.begin() + long(from), v.begin() + long(to));
        partAt.assign(at.begin() + long(from), at.begin() + long(to));
      };
      std::vector<LineId> pa, pb;
      std::vector<size_t> paAt, pbAt;
      cut(a, aAt, pa, paAt);
      cut(b, bAt, pb, pbAt);
      if (!pa.empty() && !pb.empty()) Dtl(pa, paAt, pb, pbAt);
    }
  }

  void Dtl(const std::vector<LineId>& a, const std::vector<size_t>& aAt, const std::vector<LineId>& b,
           const std::vector<size_t>& bAt) {
    dtl::Diff<LineId, std::vector<LineId>> diff(a, b);
    diff.compose();
    // dtl counts from 1 and names each common element's place on both
    // sides in the order given, also when it swapped them for its own work.
    for (const auto& [id, info] : diff.getSes().getSequence())
      if (info.type == dtl::SES_COMMON)
        pairs.emplace_back(aAt[size_t(info.beforeIdx - 1)], bAt[size_t(info.afterIdx - 1)]);
  }

  const std::vector<LineId>& a_;
  const std::vector<LineId>& b_;
  // Per distinct line, over the part at hand: how often each side holds it,
  // and where the after side last holds it. Zero again between parts.
  std::vector<uint32_t> inA_, inB_, whereB_;
};

// Each distinct line (as compared) as a number.
Pairs MatchLines(const std::vector<std::string_view>& before, const std::vector<std::string_view>& after) {
  std::unordered_map<std::string_view, LineId> ids;
  ids.reserve(before.size() + after.size());
  auto number = [&ids](const std::vector<std::string_view>& lines) {
    std::vector<LineId> numbers;
    numbers.reserve(lines.size());
    for (std::string_view line : lines) numbers.push_back(ids.try_emplace(line, LineId(ids.size())).first->second);
    return numbers;
  };
  const std::vector<LineId> a = number(before);
  const std::vector<LineId> b = number(after);
  Matcher matcher(a, b, ids.size());
  matcher.Match(0, a.size(), 0, b.size(), 0);
  return std::move(matcher.pairs);
}

int Clamp(int line, int lines) { return std::clamp(line, 0, std::max(lines - 1, 0)); }

// The last change that starts at or above `line` of `side`, or -1.
int LastStartingAtOrAbove(const LineDiff& diff, DiffSide side, int line) {
  const auto after = std::upper_bound(diff.blocks.begin(), diff.blocks.end(), line,
                                      [side](int l, const ChangeBlock& b) { return l < b.Start(side); });
  return int(after - diff.blocks.begin()) - 1;
}

}  // namespace

DiffSide Other(DiffSide side) { return side == DiffSide::Before ? DiffSide::After : DiffSide::Before; }

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::string_view ComparedPart(std::string_view line, BlankRule rule) {
  if (rule == BlankRule::Exact) return line;
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

LineDiff DiffLines(const std::vector<std::string_view>& before, const std::vector<std::string_view>& after,
                   BlankRule rule) {
  LineDiff result;
  result.beforeLines = int(before.size());
  result.afterLines = int(after.size());
  auto compared = [rule](const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> parts;
    parts.reserve(lines.size());
    for (std::string_view line : lines) parts.push_back(ComparedPart(line, rule));
    return parts;
  };
  // Every line outside the pairs is changed; the gaps between them are the blocks.
  size_t b = 0, a = 0;
  auto gapTo = [&](size_t bEnd, size_t aEnd) {
    if (bEnd > b || aEnd > a) result.blocks.push_back({int(b), int(bEnd - b), int(a), int(aEnd - a)});
    b = bEnd + 1;
    a = aEnd + 1;
  };
  for (const auto& [i, j] : MatchLines(compared(before), compared(after))) gapTo(i, j);
  gapTo(before.size(), after.size());
  return result;
}

LineDiff DiffTexts(std::string_view before, std::string_view after, BlankRule rule) {
  return DiffLines(SplitLines(before), SplitLines(after), rule);
}

int MatchingLine(const LineDiff& diff, DiffSide side, int line) {
  const DiffSide other = Other(side);
  const int k = LastStartingAtOrAbove(diff, side, line);
  int match = line;
  if (k >= 0) {
    const ChangeBlock& block = diff.blocks[size_t(k)];
    const int into = line - block.Start(side);
    if (into < block.Count(side)) match = block.Start(other) + std::min(into, std::max(block.Count(other) - 1, 0));
    else match = block.Start(other) + block.Count(other) + (into - block.Count(side));
  }
  return Clamp(match, diff.Lines(other));
}

int ChangeLine(const LineDiff& diff, DiffSide side, int block) {
  return Clamp(diff.blocks[size_t(block)].Start(side), diff.Lines(side));
}

int StepChange(const LineDiff& diff, DiffSide side, int line, int step, int current) {
  const int count = int(diff.blocks.size());
  if (count == 0) return -1;
  if (current >= 0 && current < count && ChangeLine(diff, side, current) == line)
    return ((current + step) % count + count) % count;
  if (step > 0) {
    const int k = LastStartingAtOrAbove(diff, side, line) + 1;
    return k < count ? k : 0;
  }
  const int k = LastStartingAtOrAbove(diff, side, line - 1);
  return k >= 0 ? k : count - 1;
}

}  // namespace kw
