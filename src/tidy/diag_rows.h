// The rows of the diagnostics list in display order, kept as the list keeps
// them when it re-sorts itself after every added row: ascending by line
// number, rows of equal number in the order they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tidy/tree_data.h"

namespace kw {

// The number a row sorts and jumps by: "--" counts as 0, and so does a Line
// that is not a whole decimal number (empty, other text, out of range).
int LineNumber(std::string_view line);

// The distinct (Line, Message) pairs of the rows, for EntryExists. The texts
// lie back to back in one buffer under an open-addressed table of spans, so a
// report of 50,000 rows costs no allocation per row and no node per key.
class DiagRowKeys {
 public:
  bool Contains(std::string_view line, std::string_view message) const;
  void Insert(std::string_view line, std::string_view message);
  void Clear();

 private:
  struct Span {
    size_t offset;
    size_t lineLength;
    size_t messageLength;
  };
  std::string_view StoredLine(const Span& span) const { return {text_.data() + span.offset, span.lineLength}; }
  std::string_view StoredMessage(const Span& span) const {
    return {text_.data() + span.offset + span.lineLength, span.messageLength};
  }
  // The slot holding the pair, or the empty slot where it would go.
  size_t Slot(std::string_view line, std::string_view message) const;
  void Grow();

  std::string text_;
  std::vector<Span> spans_;
  std::vector<uint32_t> slots_;  // index into spans_ + 1; 0 is empty
};

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
  // Display order up to sortedCount_, then the rows added since, in the
  // order added: Rows() merges them in.
  mutable std::vector<TTreeData> rows_;
  mutable std::vector<int> numbers_;  // LineNumber of each row, so sorting parses no text
  mutable size_t sortedCount_ = 0;
  DiagRowKeys keys_;
};

}  // namespace kw
