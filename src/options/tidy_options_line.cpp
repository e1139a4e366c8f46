#include "options/tidy_options_line.h"

#include "common/command_line.h"
#include "common/latin1.h"

namespace kw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TidyOptionsLine::TidyOptionsLine(std::string line, const std::vector<TidyOption>& known)
    : line_(std::move(line)), known_(known) {}

// As tidy reads its command line: "--name" takes the next argument as its
// value when the value is one the option takes; otherwise that argument is
// read on its own.
std::vector<TidyOptionsLine::Pair> TidyOptionsLine::PairsOf(const TidyOption& option) const {
  const std::vector<SplitArgument> args = SplitCommandLineAt(line_);
  std::vector<Pair> pairs;
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    const std::string_view arg = args[i].Text;
    if (arg.substr(0, 2) != "--") continue;
    const std::string_view name = arg.substr(2);
    for (const TidyOption& candidate : known_) {
      if (!EqualIgnoringCaseLatin1(name, candidate.Name) || !RefusalOf(candidate, args[i + 1].Text).empty()) continue;
      if (&candidate == &option) pairs.push_back({args[i].Begin, args[i + 1].Begin, args[i + 1].End, args[i + 1].Text});
      ++i;
      break;
    }
  }
  return pairs;
}

std::optional<std::string> TidyOptionsLine::Value(const TidyOption& option) const {
  const std::vector<Pair> pairs = PairsOf(option);
  if (pairs.empty()) return std::nullopt;
  return pairs.back().value;
}

void TidyOptionsLine::Set(const TidyOption& option, std::string_view value) {
  const std::vector<Pair> pairs = PairsOf(option);
  if (value.empty()) {
    for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair) {
      // The pair goes with the blanks before it (after it, at the start).
      size_t begin = pair->nameBegin;
      size_t end = pair->valueEnd;
      while (begin > 0 && IsBlank(line_[begin - 1])) --begin;
      if (begin == 0)
        while (end < line_.size() && IsBlank(line_[end])) ++end;
      line_.erase(begin, end - begin);
    }
  } else if (pairs.empty()) {
    // A line that ends inside quotes has them closed first, which leaves its
    // last argument as it was.
    if (SplitCommandLine(line_ + " x").size() == SplitCommandLine(line_).size()) line_ += '"';
    if (!line_.empty() && !IsBlank(line_.back())) line_ += ' ';
    line_ += "--" + option.Name + " " + QuoteArgument(value);
  } else if (pairs.back().value != value) {
    line_.replace(pairs.back().valueBegin, pairs.back().valueEnd - pairs.back().valueBegin, QuoteArgument(value));
  }
}

}  // namespace kw
