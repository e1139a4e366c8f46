// The command line of the tidy run without a window.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kw {

enum class ReportFormat {
  List,  // LINE<TAB>MESSAGE per row, then the status
  Gnu,   // FILE:LINE:COLUMN: kind: message
};

struct HeadlessArguments {
  std::vector<std::string> files;  // as given
  std::optional<std::string> output;
  std::optional<std::chrono::seconds> timeout;
  ReportFormat format = ReportFormat::List;
  size_t jobs = 0;  // 0: one per processor the program may use
};

// "[--format list|gnu] [--jobs N] [--timeout SECONDS] [--output PATH] [--] FILE..."
extern const char kHeadlessSynopsis[];

// Options go anywhere, each at most once; every other argument is a FILE,
// and so is everything after "--". --output takes exactly one FILE. Empty,
// with problem set to what is wrong, for a command line that is not right.
std::optional<HeadlessArguments> ParseHeadlessArguments(const std::vector<std::string>& args, std::string& problem);

// The processors this process may run on; at least 1.
size_t UsableProcessors();

}  // namespace kw
