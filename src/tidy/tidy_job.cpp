#include "tidy/tidy_job.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/error.h"
#include "common/paths.h"
#include "document/string_list.h"
#include "tidy/command_line.h"
#include "tidy/console_runner.h"
#include "tidy/run_lock.h"

namespace kw {

namespace {

constexpr char kErrorFile[] = "errs.txt";
constexpr char kCleanedFile[] = "~tidied.htm";
constexpr char kOptionsFile[] = "params.txt";

std::string QuotedWorkingFile(const std::string& programDir, const char* name) {
  return QuoteArgument(JoinPath(programDir, name), true);
}

}  // namespace

std::vector<std::string> LoadTidyOptions(const std::string& programDir) {
  const std::string file = JoinPath(programDir, kOptionsFile);
  if (!PathExists(file)) return {DefaultTidyOptions};
  std::vector<std::string> lines = LoadStringList(file);
  if (lines.empty())
    throw EKempwellError("The options file \"" + file + "\" is empty: its first line must hold the tidy options.");
  return lines;
}

std::string DocumentArgument(const std::string& document) {
  // An absolute path never begins with '-', so tidy cannot take it for an option.
  return QuoteArgument(AbsolutePath(document));
}

std::string FirstTidyCommandLine(const std::string& programDir, const std::string& options,
                                 const std::string& documentArgument) {
  return "tidy -f " + QuotedWorkingFile(programDir, kErrorFile) + " " + options + " -o " +
         QuotedWorkingFile(programDir, kCleanedFile) + " " + documentArgument;
}

std::string SecondTidyCommandLine(const std::string& programDir, const std::string& options) {
  return "tidy -f " + QuotedWorkingFile(programDir, kErrorFile) + " " + options + " " +
         QuotedWorkingFile(programDir, kCleanedFile);
}

std::string CannotStartTidyMessage(int error) {
  return "Cannot start \"tidy\". " + std::generic_category().message(error);
}

TidyJob::TidyJob(std::string programDir, std::string document)
    : programDir_(std::move(programDir)), document_(std::move(document)) {}

TidyJob::~TidyJob() = default;

void TidyJob::Execute(std::vector<std::string>& optionsList, DiagRows& rows) {
  optionsList = LoadTidyOptions(programDir_);
  const std::string& options = optionsList.front();
  const std::string documentArgument = DocumentArgument(document_);

  TidyRunLock lock(programDir_);
  while (!lock.TryLock()) {
    if (cancelled_) return;
    if (OnIdle) OnIdle();
  }
  // A run that ended in an error may have left its files; they are not this run's.
  RemoveWorkingFiles();
  struct CleanUp {
    const TidyJob& job;
    ~CleanUp() { job.RemoveWorkingFiles(); }
  } cleanUp{*this};

  if (::chdir(programDir_.c_str()) != 0)
    throw std::system_error(errno, std::generic_category(), "Cannot change to \"" + programDir_ + "\"");

  RunTidy(FirstTidyCommandLine(programDir_, options, documentArgument), true);
  if (cancelled_) return;
  RunTidy(SecondTidyCommandLine(programDir_, options), false);
  if (cancelled_) return;
  ShowTidyErrors(JoinPath(programDir_, kErrorFile), rows, Report);
}

void TidyJob::RunTidy(const std::string& commandLine, bool first) {
  Runner = std::make_unique<TRedirectedConsole>(commandLine);
  Runner->SearchDir = programDir_;
  // tidy reports in the user's language; the report is read in English.
  Runner->EnvironmentOverrides = {"LC_ALL=C"};
  if (OnIdle) Runner->OnIdle = [this](TRedirectedConsole&) { OnIdle(); };
  if (first) {
    Runner->OnTerminate = [this](TRedirectedConsole&) {
      const std::string cleaned = JoinPath(programDir_, kCleanedFile);
      if (!cancelled_ && OnCleaned && PathExists(cleaned)) OnCleaned(cleaned);
      Runner.reset();
    };
  }
  TRedirectedConsole* runner = Runner.get();
  runner->Run();
  // Run does not return into a runner that its OnTerminate released.
  if (Runner.get() == runner && runner->StartError != 0 && StartFailure.empty())
    StartFailure = CannotStartTidyMessage(runner->StartError);
}

void TidyJob::Cancel() {
  cancelled_ = true;
  if (Runner) Runner->Stop();
}

void TidyJob::RemoveWorkingFiles() const {
  for (const char* name : {kErrorFile, kCleanedFile}) ::unlink(JoinPath(programDir_, name).c_str());
}

}  // namespace kw
