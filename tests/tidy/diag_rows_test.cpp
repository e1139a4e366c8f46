#include "tidy/diag_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

namespace kw {
namespace {

using Strings = std::vector<std::string>;

// "Line|Message" per row, in display order.
Strings Shown(const std::vector<TTreeData>& rows) {
  Strings out;
  for (const TTreeData& r : rows) out.push_back(r.Line + "|" + r.Message);
  return out;
}

// The random cross-check below sorts by LineNumber itself, so its rules are checked here.
TEST(DiagRows, LineNumberTable) {
  const std::pair<const char*, int> rows[] = {
      {"12", 12}, {"+7", 7}, {"-3", -3}, {"--", 0}, {"", 0}, {" 12", 0}, {"12a", 0}, {"+", 0}, {"+-1", 0},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", 0}, {"99999999999999999999", 0},
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(LineNumber(text), value) << '"' << text << '"';
}

// Against the list as the window keeps it: a linear lookup, and a stable sort
// after every add whose comparison rewrites "0" to "--" in every row it touches.
TEST(DiagRows, AgreesWithANaiveListOnRandomSequences) {
  const auto naiveAdd = [](std::vector<TTreeData>& rows, const TTreeData& row) {
    rows.push_back(row);
    std::stable_sort(rows.begin(), rows.end(), [](const TTreeData& a, const TTreeData& b) {
      const std::initializer_list<TTreeData*> both = {const_cast<TTreeData*>(&a), const_cast<TTreeData*>(&b)};
      for (TTreeData* r : both) r->Line = r->Line == "--" ? "0" : r->Line;
      const bool less = LineNumber(a.Line) < LineNumber(b.Line);
      for (TTreeData* r : both) r->Line = r->Line == "0" ? "--" : r->Line;
      return less;
    });
  };
  std::mt19937 rng(1234);
  const char* lines[] = {"0", "--", "1", "2", "12", "-1", "", "x", "00"};
  for (int sequence = 0; sequence < 300; ++sequence) {
    DiagRows fast;
    std::vector<TTreeData> naive;
    for (int step = rng() % 200; step > 0; --step) {
      // Few messages make many duplicates; many make the lookup table grow.
      const TTreeData row{std::to_string(rng() % (sequence % 2 ? 3 : 60)) + " m", lines[rng() % 9]};
      const unsigned op = rng() % 20;
      const bool exists = fast.EntryExists(row.Message, row.Line);
      ASSERT_EQ(exists, std::count_if(naive.begin(), naive.end(), [&](const TTreeData& r) {
                          return r.Line == row.Line && r.Message == row.Message;
                        }) > 0) << sequence;
      if (op == 0) {
        fast.Clear();
        naive.clear();
      } else if (op < 3) {
        ASSERT_EQ(Shown(fast.Rows()), Shown(naive)) << sequence;
      } else if (op < 5 || !exists) {  // mostly added as the report parser does, sometimes regardless
        fast.Add(row);
        naiveAdd(naive, row);
      }
    }
    ASSERT_EQ(Shown(fast.Rows()), Shown(naive)) << sequence;
  }
}

}  // namespace
}  // namespace kw
