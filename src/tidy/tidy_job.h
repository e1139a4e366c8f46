// One Run tidy without its window: the options, the two tidy runs on the
// document as stored on disk, the error report and the working files.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tidy/diag_rows.h"
#include "tidy/error_report.h"

namespace kw {

class TRedirectedConsole;

inline constexpr char DefaultTidyOptions[] =
    "--char-encoding latin1 --doctype strict --wrap no --clean yes --tidy-mark no --drop-font-tags yes "
    "--word-2000 yes --output-xhtml yes --add-xml-decl yes --add-xml-space yes --show-warnings yes "
    "--literal-attributes yes";

// The lines of params.txt in programDir, or DefaultTidyOptions alone when
// there is no such file. Throws EKempwellError when params.txt has no line.
std::vector<std::string> LoadTidyOptions(const std::string& programDir);

// The document as tidy's last argument: an absolute path, quoted when it
// holds a blank, escaped where the split would otherwise change it.
std::string DocumentArgument(const std::string& document);
// tidy -f "D/errs.txt" O -o "D/~tidied.htm" F
std::string FirstTidyCommandLine(const std::string& programDir, const std::string& options,
                                 const std::string& documentArgument);
// tidy -f "D/errs.txt" O "D/~tidied.htm"
std::string SecondTidyCommandLine(const std::string& programDir, const std::string& options);

// "Cannot start "tidy". <system's reason>"
std::string CannotStartTidyMessage(int error);

class TidyJob {
 public:
  TidyJob(std::string programDir, std::string document);
  ~TidyJob();

  // Loads the options, waits for any other run in the program directory,
  // makes that directory the working directory, runs tidy on the document
  // and on its cleaned copy, reads the report into rows and removes the
  // working files. Errors (an unreadable params.txt or report, a failing
  // OnCleaned) end the run there and go on; the working files are removed
  // all the same.
  void Execute(std::vector<std::string>& optionsList, DiagRows& rows);
  // Stops tidy; the run then skips everything but the clean-up.
  void Cancel();
  bool Cancelled() const { return cancelled_; }

  // Once per watch cycle while tidy runs or another run holds the directory.
  std::function<void()> OnIdle;
  // After the first run, with the cleaned document's path, when tidy wrote one.
  std::function<void(const std::string& cleanedFile)> OnCleaned;
  ErrorReportHooks Report;
  // Why tidy could not be started; empty when both runs started.
  std::string StartFailure;

 private:
  void RunTidy(const std::string& commandLine, bool first);
  void RemoveWorkingFiles() const;

  std::string programDir_;
  std::string document_;
  std::unique_ptr<TRedirectedConsole> Runner;
  bool cancelled_ = false;
};

}  // namespace kw
