#include "tidy/diag_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>

namespace kw {
namespace {

// "Line|Message" per row, in display order.
std::vector<std::string> Shown(const DiagRows& rows) {
  std::vector<std::string> out;
  for (const TTreeData& r : rows.Rows()) out.push_back(r.Line + "|" + r.Message);
  return out;
}

using Strings = std::vector<std::string>;

// The random cross-check below sorts by LineNumber itself, so its rules are checked here.
TEST(DiagRows, LineNumberTable) {
  const std::pair<const char*, int> rows[] = {
      {"12", 12}, {"+7", 7}, {"-3", -3}, {"--", 0}, {"", 0}, {" 12", 0}, {"12 ", 0}, {"12a", 0}, {"+", 0},
      {"+-1", 0}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", 0}, {"-2147483649", 0},
      {"99999999999999999999", 0},
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(LineNumber(text), value) << '"' << text << '"';
}

// The list as the window keeps it: a linear lookup, and a stable sort after
// every add whose comparison rewrites "0" to "--" in every row it touches.
class NaiveList {
 public:
  bool EntryExists(const std::string& message, const std::string& line) const {
    for (const auto& r : rows_)
      if (r->Line == line && r->Message == message) return true;
    return false;
  }
  void Add(const TTreeData& row) {
    rows_.push_back(std::make_unique<TTreeData>(row));
    std::stable_sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) {
      for (TTreeData* r : {a.get(), b.get()})
        if (r->Line == "--") r->Line = "0";
      const bool less = LineNumber(a->Line) < LineNumber(b->Line);
      for (TTreeData* r : {a.get(), b.get()})
        if (r->Line == "0") r->Line = "--";
      return less;
    });
  }
  Strings Shown() const {
    Strings out;
    for (const auto& r : rows_) out.push_back(r->Line + "|" + r->Message);
    return out;
  }
  void Clear() { rows_.clear(); }

 private:
  std::vector<std::unique_ptr<TTreeData>> rows_;
};

TEST(DiagRows, AgreesWithNaiveListOnRandomSequences) {
  std::mt19937 rng(1234);
  const char* lines[] = {"0", "--", "1", "2", "12", "-1", "", "x", "00"};
  for (int sequence = 0; sequence < 300; ++sequence) {
    DiagRows fast;
    NaiveList naive;
    for (int step = rng() % 200; step > 0; --step) {
      // Few messages make many duplicates; many make the lookup table grow.
      const TTreeData row{std::to_string(rng() % (sequence % 2 ? 3 : 60)) + " m", lines[rng() % 9]};
      const unsigned op = rng() % 20;
      const bool exists = fast.EntryExists(row.Message, row.Line);
      ASSERT_EQ(exists, naive.EntryExists(row.Message, row.Line)) << sequence;
      if (op == 0) {
        fast.Clear();
        naive.Clear();
      } else if (op < 3) {
        ASSERT_EQ(Shown(fast), naive.Shown()) << sequence;
      } else if (op < 5 || !exists) {  // mostly added as the report parser does, sometimes regardless
        fast.Add(row);
        naive.Add(row);
      }
    }
    ASSERT_EQ(Shown(fast), naive.Shown()) << sequence;
    ASSERT_EQ(fast.Count(), naive.Shown().size());
  }
}

}  // namespace
}  // namespace kw
