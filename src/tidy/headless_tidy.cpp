#include "tidy/headless_tidy.h"

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

#include "app/program_dir.h"
#include "common/paths.h"
#include "document/file_io.h"
#include "document/text_format.h"
#include "tidy/tidy_job.h"

namespace kw {

namespace {

constexpr char kUsage[] = "usage: kempwell --tidy FILE [--output PATH]\n";

struct Arguments {
  std::string file;
  std::optional<std::string> output;
};

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 4) return std::nullopt;
  if (args.size() == 4 && args[2] != "--output") return std::nullopt;
  Arguments parsed{args[1], std::nullopt};
  if (args.size() == 4) parsed.output = args[3];
  return parsed;
}

}  // namespace

int RunHeadlessTidy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::optional<Arguments> arguments = ParseArguments(args);
  if (!arguments) {
    err << kUsage;
    return 2;
  }
  // Resolved before the run changes the working directory.
  const std::string document = ExpandLongPath(arguments->file);
  const std::optional<std::string> output =
      arguments->output ? std::optional(AbsolutePath(*arguments->output)) : std::nullopt;
  try {
    if (document.empty()) {
      err << CannotOpenFileMessage(arguments->file, ENOENT) << '\n';
      return 1;
    }
    TidyJob job(ResolveProgramDir(), document);
    job.OnIdle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); };
    std::optional<std::string> cleaned;
    job.OnCleaned = [&](const std::string& file) { cleaned = ReadWholeFile(file); };
    std::string status;
    job.Report.OnStatus = [&](const std::string& text) { status = text; };
    std::vector<std::string> options;
    DiagRows rows;
    job.Execute(options, rows);
    if (!job.StartFailure.empty()) {
      err << job.StartFailure << '\n';
      return 1;
    }
    for (const TTreeData& row : rows.Rows()) out << row.Line << '\t' << row.Message << '\n';
    out << status << '\n';
    if (output) {
      if (!cleaned) {
        err << "tidy wrote no cleaned document; \"" << *output << "\" was not written.\n";
        return 1;
      }
      SaveTextFile(*output, *cleaned, DetectBreakStyle(*cleaned));
    }
    return 0;
  } catch (const std::exception& e) {
    err << e.what() << '\n';
    return 1;
  }
}

}  // namespace kw
