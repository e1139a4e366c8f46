#include "tidy/headless_tidy.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "common/parallel_in_order.h"
#include "common/paths.h"
#include "common/program_dir.h"
#include "common/stop_signals.h"
#include "document/file_io.h"
#include "document/text_format.h"
#include "tidy/headless_arguments.h"
#include "tidy/report_lines.h"
#include "tidy/run_folder.h"
#include "tidy/tidy_job.h"

namespace kw {

namespace {

struct DocumentReport {
  int status = kHeadlessFailed;
  std::string out;
  std::string reasons;  // lines for standard error
};

// The order of badness of the exit statuses of documents.
int Rank(int status) { return status == kHeadlessFailed ? 2 : status == kHeadlessNotCleaned ? 1 : 0; }

int TidyDocument(const std::string& programDir, const std::string& file, const HeadlessArguments& arguments,
                 DocumentReport& report) {
  const std::string document = AbsolutePath(file);
  const std::optional<std::string> output =
      arguments.output ? std::optional(AbsolutePath(*arguments.output)) : std::nullopt;
  // No other run reads or removes this run's working files, whoever else tidies.
  RunFolder folder;
  TidyJob job(programDir, document);
  job.SetWorkingFolder(folder.Path());
  const auto deadline = std::chrono::steady_clock::now() + arguments.timeout.value_or(std::chrono::seconds(0));
  bool timedOut = false;
  job.OnIdle = [&] {
    if (arguments.timeout && std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      job.Cancel();
    }
    if (CaughtStopSignal() != 0) job.Cancel();
  };
  std::optional<std::string> cleaned;
  if (output) job.OnCleaned = [&](const std::string& path) { cleaned = ReadWholeFile(path); };
  std::vector<std::string> options;
  DiagRows rows;
  job.Execute(options, rows);
  if (timedOut) {
    report.reasons = "tidy did not finish within " + std::to_string(arguments.timeout->count()) +
                     " seconds and was stopped.";
    return kHeadlessFailed;
  }
  if (job.Outcome == TidyOutcome::Stopped || job.Outcome == TidyOutcome::NotStarted) {
    report.reasons = job.Failure;
    return kHeadlessFailed;
  }
  report.out += arguments.format == ReportFormat::Gnu ? GnuLines(file, rows.Rows()) : ListLines(rows.Rows(), job.Status);
  report.reasons = job.Failure;
  if (job.Outcome == TidyOutcome::NotCleaned) {
    if (output) {
      if (!report.reasons.empty()) report.reasons += '\n';
      report.reasons += "tidy cleaned nothing; \"" + *output + "\" was not written.";
    }
    return job.Failure.empty() ? kHeadlessNotCleaned : kHeadlessFailed;
  }
  if (output) SaveTextFile(*output, *cleaned, DetectBreakStyle(*cleaned));
  return kHeadlessCleaned;
}

DocumentReport Tidied(const std::string& programDir, const HeadlessArguments& arguments, size_t index) {
  const std::string& file = arguments.files[index];
  DocumentReport report;
  if (arguments.format == ReportFormat::List && arguments.files.size() > 1) report.out = file + ":\n";
  try {
    report.status = TidyDocument(programDir, file, arguments, report);
  } catch (const std::exception& e) {
    report.status = kHeadlessFailed;
    report.reasons = e.what();
  }
  return report;
}

}  // namespace

int RunHeadlessTidy(const std::string& command, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
  std::string problem;
  const std::optional<HeadlessArguments> arguments = ParseHeadlessArguments(args, problem);
  if (!arguments) {
    err << command << ": " << problem << "\nusage: " << command << ' ' << kHeadlessSynopsis << '\n';
    return kHeadlessUsage;
  }
  const bool nameReasons = arguments->files.size() > 1 || arguments->format == ReportFormat::Gnu;
  int worst = kHeadlessCleaned;
  try {
    const std::string programDir = ResolveProgramDir();
    RunInOrder<DocumentReport>(
        arguments->files.size(), arguments->jobs ? arguments->jobs : UsableProcessors(),
        [&](size_t i) { return Tidied(programDir, *arguments, i); },
        [&](size_t i, DocumentReport& report) {
          out << report.out << std::flush;
          for (size_t at = 0; at < report.reasons.size();) {
            const size_t end = std::min(report.reasons.find('\n', at), report.reasons.size());
            if (nameReasons) err << arguments->files[i] << ": ";
            err.write(report.reasons.data() + at, static_cast<std::streamsize>(end - at)) << '\n';
            at = end + 1;
          }
          if (Rank(report.status) > Rank(worst)) worst = report.status;
        },
        [] { return CaughtStopSignal() != 0; });
  } catch (const std::exception& e) {
    err << e.what() << '\n';
    return kHeadlessFailed;
  }
  // Documents a stop signal kept from their run have no result.
  return CaughtStopSignal() != 0 ? kHeadlessFailed : worst;
}

}  // namespace kw
