#include "tidy/headless_arguments.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace kw {

namespace {

constexpr size_t kMostJobs = 256;

// A whole decimal number from 1 to most.
std::optional<long> Count(const std::string& text, long most) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const long value = std::stol(text);
  if (value < 1 || value > most) return std::nullopt;
  return value;
}

}  // namespace

const char kHeadlessSynopsis[] = "[--format list|gnu] [--jobs N] [--timeout SECONDS] [--output PATH] [--] FILE...";

std::optional<HeadlessArguments> ParseHeadlessArguments(const std::vector<std::string>& args, std::string& problem) {
  HeadlessArguments parsed;
  bool haveFormat = false;
  bool filesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (filesOnly || arg.rfind("--", 0) != 0) {
      parsed.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    const bool known = arg == "--output" || arg == "--timeout" || arg == "--format" || arg == "--jobs";
    if (!known) {
      problem = "unknown option " + arg;
      return std::nullopt;
    }
    const bool given = (arg == "--output" && parsed.output) || (arg == "--timeout" && parsed.timeout) ||
                       (arg == "--format" && haveFormat) || (arg == "--jobs" && parsed.jobs != 0);
    if (given || i + 1 == args.size()) {
      problem = given ? arg + " given twice" : arg + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (arg == "--output") {
      parsed.output = value;
    } else if (arg == "--timeout") {
      const std::optional<long> seconds = Count(value, 999999999);
      if (!seconds) {
        problem = "--timeout takes a whole number of seconds";
        return std::nullopt;
      }
      parsed.timeout = std::chrono::seconds(*seconds);
    } else if (arg == "--format") {
      if (value != "list" && value != "gnu") {
        problem = "--format is list or gnu";
        return std::nullopt;
      }
      parsed.format = value == "gnu" ? ReportFormat::Gnu : ReportFormat::List;
      haveFormat = true;
    } else {
      const std::optional<long> jobs = Count(value, kMostJobs);
      if (!jobs) {
        problem = "--jobs takes a number from 1 to " + std::to_string(kMostJobs);
        return std::nullopt;
      }
      parsed.jobs = static_cast<size_t>(*jobs);
    }
  }
  if (parsed.files.empty()) {
    problem = "no FILE given";
    return std::nullopt;
  }
  if (parsed.output && parsed.files.size() > 1) {
    problem = "--output takes one FILE only";
    return std::nullopt;
  }
  return parsed;
}

size_t UsableProcessors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<size_t>(CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace kw
