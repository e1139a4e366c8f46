// The options line of params.txt, in tidy's command-line syntax, read and
// changed option by option: "--name value" pairs of options tidy lists are
// read as tidy reads them, and everything else stays exactly as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options/tidy_option_table.h"

namespace kw {

class TidyOptionsLine {
 public:
  // known must outlive the line.
  TidyOptionsLine(std::string line, const std::vector<TidyOption>& known);

  // The value the line gives the option (of several, the last, which tidy
  // keeps); nullopt when it gives none.
  std::optional<std::string> Value(const TidyOption& option) const;
  // The last "--name value" of the option gets the value (its text stays
  // when the value is the same), or the pair goes at the end of the line.
  // An empty value takes every pair of the option out, so that tidy's
  // default applies.
  void Set(const TidyOption& option, std::string_view value);

  const std::string& Text() const { return line_; }

 private:
  struct Pair {
    size_t nameBegin;
    size_t valueBegin;
    size_t valueEnd;
    std::string value;
  };
  std::vector<Pair> PairsOf(const TidyOption& option) const;

  std::string line_;
  const std::vector<TidyOption>& known_;
};

}  // namespace kw
