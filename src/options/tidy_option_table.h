// Tidy's options as the installed tidy lists them: the tables that
// "tidy -help-config" (type and allowed values) and "tidy -show-config"
// (the values it uses when an option is not given) print, and what each
// option takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// One value of a closed list: what goes on the command line ("0") and how
// tidy lists it ("0 (Tidy Classic)").
struct TidyChoice {
  std::string Value;
  std::string Text;
};

struct TidyOption {
  std::string Name;
  // As tidy names it: "Boolean", "Integer", "Enum", "Encoding", "String" ...
  std::string Type;
  // tidy's own text of the allowed values, joined from its wrapped lines;
  // "-" or empty when it lists none.
  std::string Allowed;
  // The only values it takes, when tidy lists a closed set.
  std::vector<TidyChoice> Choices;
  // Only whole numbers.
  bool Numeric = false;
  // What tidy uses when the option is not given, as -show-config shows it.
  std::string Default;
};

// The options of a -help-config listing with the defaults of a -show-config
// listing, in the listing's order. The tables are read by their "=====" rule,
// whose runs mark the columns; the columns are found by their titles (Name,
// Type, the last one holding the values), so a listing with more or fewer
// columns or other widths still reads. Wrapped cells are joined. Text that
// is no table gives no options.
std::vector<TidyOption> ParseTidyOptions(std::string_view helpConfig, std::string_view showConfig);

// Empty when option takes value (a listed choice in any letter case, as tidy
// reads it; only digits for a number; any one-line text otherwise);
// otherwise why not, with tidy's allowed values.
std::string RefusalOf(const TidyOption& option, std::string_view value);

// The options of the tidy that a run would use (see AskTidy). Throws
// EKempwellError when that tidy cannot be asked or lists no options.
std::vector<TidyOption> LoadInstalledTidyOptions(const std::string& programDir);

}  // namespace kw
