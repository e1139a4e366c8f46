// The rows of the diagnostics list in display order, kept as the list keeps
// them when it re-sorts itself after every added row: ascending by line
// number, rows of equal number in the order they were added.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "tidy/tree_data.h"

namespace kw {

// The number a row sorts and jumps by: "--" counts as 0, and so does a Line
// that is not a whole decimal number (empty, other text, out of range).
int LineNumber(std::string_view line);

class DiagRows {
 public:
  // Adds a row as AddListEntry inside an update of the list does. The list's
  // comparison turns a Line of "0" into "--" whenever it compares that row,
  // and with two rows or more every row is compared: so a lone "0" row shows
  // "0", and every "0" row of a longer list shows "--".
  void Add(TTreeData row);
  // True when a row with exactly this Message and this (displayed) Line exists.
  bool EntryExists(std::string_view message, std::string_view line) const;
  // The rows in display order.
  const std::vector<TTreeData>& Rows() const;
  size_t Count() const { return rows_.size(); }
  void Clear();

 private:
  // In the order added until Rows() sorts them: a stable sort of that order
  // is the order the list reaches by re-sorting after every row.
  mutable std::vector<TTreeData> rows_;
  mutable bool sorted_ = true;
  // Line and Message of every row, for EntryExists without a walk.
  std::unordered_set<std::string> keys_;
};

}  // namespace kw
