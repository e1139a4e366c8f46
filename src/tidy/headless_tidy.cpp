#include "tidy/headless_tidy.h"

#include <chrono>
#include <optional>
#include <thread>

#include "common/program_dir.h"
#include "common/paths.h"
#include "common/stop_signals.h"
#include "document/file_io.h"
#include "document/text_format.h"
#include "tidy/tidy_job.h"

namespace kw {

namespace {

constexpr char kUsage[] = "usage: kempwell --tidy FILE [--output PATH] [--timeout SECONDS]\n";

struct Arguments {
  std::string file;
  std::optional<std::string> output;
  std::optional<std::chrono::seconds> timeout;
};

std::optional<std::chrono::seconds> Seconds(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const long seconds = std::stol(text);
  if (seconds == 0) return std::nullopt;
  return std::chrono::seconds(seconds);
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args) {
  Arguments parsed;
  bool haveFile = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--output" && hasValue && !parsed.output) {
      parsed.output = args[++i];
    } else if (args[i] == "--timeout" && hasValue && !parsed.timeout) {
      parsed.timeout = Seconds(args[++i]);
      if (!parsed.timeout) return std::nullopt;
    } else if (!haveFile && args[i].rfind("--", 0) != 0) {
      parsed.file = args[i];
      haveFile = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveFile) return std::nullopt;
  return parsed;
}

}  // namespace

int RunHeadlessTidy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::optional<Arguments> arguments = ParseArguments(args);
  if (!arguments) {
    err << kUsage;
    return kHeadlessUsage;
  }
  // Resolved before the run changes the working directory.
  const std::string document = AbsolutePath(arguments->file);
  const std::optional<std::string> output =
      arguments->output ? std::optional(AbsolutePath(*arguments->output)) : std::nullopt;
  try {
    TidyJob job(ResolveProgramDir(), document);
    const auto deadline = std::chrono::steady_clock::now() + arguments->timeout.value_or(std::chrono::seconds(0));
    bool timedOut = false;
    job.OnIdle = [&] {
      if (arguments->timeout && std::chrono::steady_clock::now() >= deadline) {
        timedOut = true;
        job.Cancel();
      }
      if (CaughtStopSignal() != 0) job.Cancel();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    std::optional<std::string> cleaned;
    job.OnCleaned = [&](const std::string& file) { cleaned = ReadWholeFile(file); };
    std::vector<std::string> options;
    DiagRows rows;
    job.Execute(options, rows);
    if (timedOut) {
      err << "tidy did not finish within " << arguments->timeout->count() << " seconds and was stopped.\n";
      return kHeadlessFailed;
    }
    if (job.Outcome == TidyOutcome::Stopped || job.Outcome == TidyOutcome::NotStarted) {
      if (!job.Failure.empty()) err << job.Failure << '\n';
      return kHeadlessFailed;
    }
    for (const TTreeData& row : rows.Rows()) out << row.Line << '\t' << row.Message << '\n';
    out << job.Status << '\n';
    if (!job.Failure.empty()) err << job.Failure << '\n';
    if (job.Outcome == TidyOutcome::NotCleaned) {
      if (output) err << "tidy cleaned nothing; \"" << *output << "\" was not written.\n";
      return job.Failure.empty() ? kHeadlessNotCleaned : kHeadlessFailed;
    }
    if (output) SaveTextFile(*output, *cleaned, DetectBreakStyle(*cleaned));
    return kHeadlessCleaned;
  } catch (const std::exception& e) {
    err << e.what() << '\n';
    return kHeadlessFailed;
  }
}

}  // namespace kw
