#include "options/tidy_option_table.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "common/error.h"
#include "common/latin1.h"
#include "tidy/tidy_job.h"
#include "tidy/tidy_query.h"

namespace kw {

namespace {

constexpr std::chrono::seconds kListingTimeout{5};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

struct Column {
  size_t start;
  size_t width;
};

// "====  ===== ==": the runs of '=' mark the columns; empty for any other line.
std::vector<Column> RuleColumns(std::string_view line) {
  std::vector<Column> columns;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ') {
      ++i;
    } else if (line[i] == '=') {
      const size_t start = i;
      while (i < line.size() && line[i] == '=') ++i;
      columns.push_back({start, i - start});
    } else {
      return {};
    }
  }
  return columns;
}

// A table's titles and rows, each row one cell per column, wrapped cells joined.
struct Table {
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> rows;
};

std::string_view Cell(std::string_view line, const std::vector<Column>& columns, size_t k) {
  const size_t start = columns[k].start;
  if (start >= line.size()) return {};
  const size_t end = k + 1 < columns.size() ? columns[k + 1].start : std::string_view::npos;
  return line.substr(start, end == std::string_view::npos ? end : end - start);
}

// tidy wraps a cell at a blank, or in mid-word when the word is longer than
// the column: a piece that fills its column to the last place without ending
// a list item goes on without a blank.
void JoinWrapped(std::string& cell, std::string_view previousPiece, size_t width, std::string_view piece) {
  const bool midWord = previousPiece.size() >= width && previousPiece.substr(0, width).back() != ' ' &&
                       Trim(previousPiece).back() != ',';
  if (!midWord) cell += ' ';
  cell += piece;
}

Table ReadTable(std::string_view text) {
  Table table;
  const std::vector<std::string_view> lines = Lines(text);
  size_t rule = 0;
  std::vector<Column> columns;
  while (rule < lines.size() && (columns = RuleColumns(lines[rule])).size() < 2) ++rule;
  if (columns.size() < 2) return table;
  // The titles stand on the line above the rule.
  for (size_t k = 0; k < columns.size(); ++k)
    table.titles.emplace_back(rule > 0 ? Trim(Cell(lines[rule - 1], columns, k)) : std::string_view());
  std::string_view previous;
  for (size_t i = rule + 1; i < lines.size() && !Trim(lines[i]).empty(); ++i) {
    const std::string_view line = lines[i];
    if (line.front() != ' ') {
      auto& row = table.rows.emplace_back();
      for (size_t k = 0; k < columns.size(); ++k) row.emplace_back(Trim(Cell(line, columns, k)));
    } else if (!table.rows.empty()) {
      for (size_t k = 1; k < columns.size(); ++k) {
        const std::string_view piece = Trim(Cell(line, columns, k));
        std::string& cell = table.rows.back()[k];
        if (piece.empty()) continue;
        if (cell.empty()) cell = piece;
        else JoinWrapped(cell, Cell(previous, columns, k), columns[k].width, piece);
      }
    }
    previous = line;
  }
  return table;
}

// The column whose title begins with (or, with anywhere, holds) word; npos when none.
size_t ColumnTitled(const Table& table, std::string_view word, bool anywhere) {
  for (size_t k = 0; k < table.titles.size(); ++k) {
    const size_t at = LowerLatin1(table.titles[k]).find(word);
    if (at == 0 || (anywhere && at != std::string::npos)) return k;
  }
  return std::string::npos;
}

struct TableColumns {
  size_t name = 0;
  size_t type = std::string::npos;
  size_t value = std::string::npos;
};

TableColumns ColumnsOf(const Table& table) {
  TableColumns columns;
  if (const size_t name = ColumnTitled(table, "name", false); name != std::string::npos) columns.name = name;
  columns.type = ColumnTitled(table, "type", true);
  const size_t last = table.titles.size() - 1;
  if (last != columns.name && last != columns.type) columns.value = last;
  return columns;
}

std::string CellOf(const std::vector<std::string>& row, size_t column) {
  return column < row.size() ? row[column] : std::string();
}

// "0 (Tidy Classic), 1 (Priority 1 Checks)": items at commas outside parentheses.
std::vector<std::string> ListItems(std::string_view list) {
  std::vector<std::string> items(1);
  int depth = 0;
  for (const char c : list) {
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (c == ',' && depth == 0) items.emplace_back();
    else items.back() += c;
  }
  for (std::string& item : items) item = Trim(item);
  return items;
}

// The closed list of values tidy gives, or nothing when it gives an example
// ("tagX, tagY, ...") or none ("-").
std::vector<TidyChoice> ClosedChoices(std::string_view allowed) {
  std::vector<TidyChoice> choices;
  if (Trim(allowed).empty() || Trim(allowed) == "-") return choices;
  for (const std::string& item : ListItems(allowed)) {
    if (item.empty() || item.find("...") != std::string::npos) return {};
    const size_t note = item.find(" (");
    choices.push_back({std::string(Trim(item.substr(0, note))), item});
  }
  return choices;
}

void Classify(TidyOption& option) {
  const std::string type = LowerLatin1(option.Type);
  option.Numeric = type.find("integer") != std::string::npos;
  const bool closed = type.find("bool") != std::string::npos || type.find("enum") != std::string::npos ||
                      type.find("encoding") != std::string::npos;
  if (closed || type.empty()) option.Choices = ClosedChoices(option.Allowed);
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  return quoted.append(text).append(1, '"');
}

}  // namespace

std::vector<TidyOption> ParseTidyOptions(std::string_view helpConfig, std::string_view showConfig) {
  const Table help = ReadTable(helpConfig);
  const Table show = ReadTable(showConfig);
  std::map<std::string, std::string> defaults;
  if (!show.titles.empty()) {
    const TableColumns columns = ColumnsOf(show);
    for (const auto& row : show.rows) defaults[CellOf(row, columns.name)] = CellOf(row, columns.value);
  }
  std::vector<TidyOption> options;
  if (help.titles.empty()) return options;
  const TableColumns columns = ColumnsOf(help);
  for (const auto& row : help.rows) {
    TidyOption& option = options.emplace_back();
    option.Name = CellOf(row, columns.name);
    option.Type = CellOf(row, columns.type);
    option.Allowed = CellOf(row, columns.value);
    Classify(option);
    if (const auto it = defaults.find(option.Name); it != defaults.end()) option.Default = it->second;
  }
  return options;
}

std::string RefusalOf(const TidyOption& option, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return "A value of " + option.Name + " must be one line.";
  bool takes = true;
  if (option.Numeric) {
    takes = !value.empty() && std::all_of(value.begin(), value.end(),
                                          [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  } else if (!option.Choices.empty()) {
    takes = std::any_of(option.Choices.begin(), option.Choices.end(),
                        [&](const TidyChoice& choice) { return LowerLatin1(choice.Value) == LowerLatin1(value); });
  }
  if (takes) return {};
  return "tidy does not take " + Quoted(value) + " for " + option.Name + ". It takes " +
         (option.Numeric ? "a whole number: " : "one of: ") + option.Allowed;
}

std::vector<TidyOption> LoadInstalledTidyOptions(const std::string& programDir) {
  const TidyAnswer help = AskTidy(programDir, "-help-config", kListingTimeout);
  if (help.StartError != 0) throw EKempwellError(CannotStartTidyMessage(help.StartError));
  const TidyAnswer show = AskTidy(programDir, "-show-config", kListingTimeout);
  if (help.TimedOut || show.TimedOut) throw EKempwellError("tidy did not list its options within 5 seconds.");
  std::vector<TidyOption> options = ParseTidyOptions(help.Output, show.Output);
  if (options.empty()) throw EKempwellError("tidy did not list its options (tidy -help-config).");
  return options;
}

}  // namespace kw
