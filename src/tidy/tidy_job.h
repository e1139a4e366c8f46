// One Run tidy without its window: the options, the two tidy runs on the
// document (or on the text being edited), the checks of tidy's result, the
// error report and the working files.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/text_encoding.h"
#include "document/text_format.h"
#include "tidy/diag_rows.h"
#include "tidy/error_report.h"

namespace kw {

class TRedirectedConsole;

// The built-in options, for ISO-8859-1 documents; UTF-8 documents get the
// same with "--char-encoding utf8" (DefaultTidyOptionsFor).
inline constexpr char DefaultTidyOptions[] =
    "--char-encoding latin1 --doctype strict --wrap 0 --clean yes --tidy-mark no "
    "--word-2000 yes --output-xhtml yes --add-xml-decl yes --add-xml-space yes --show-warnings yes "
    "--literal-attributes yes";

std::string DefaultTidyOptionsFor(TextEncoding encoding);

// The lines of params.txt in programDir, as they stand, or the built-in
// options for the document's encoding alone when there is no such file.
// Throws EKempwellError when params.txt has no line.
std::vector<std::string> LoadTidyOptions(const std::string& programDir, TextEncoding encoding);

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

// How a run ended.
enum class TidyOutcome {
  Cleaned,     // the cleaned document was handed to OnCleaned; the rows are about it
  NotCleaned,  // tidy gave no cleaned document that can be trusted; the rows are about the text before
  Stopped,     // Cancel (or nothing to run): no rows, nothing handed on
  NotStarted,  // tidy could not be started
};

class TidyJob {
 public:
  TidyJob(std::string programDir, std::string document);
  ~TidyJob();

  // Tidy the text being edited instead of the document's file: the text is
  // written, in the given break style, to a working file that tidy reads.
  // The text must stay unchanged until Execute returns.
  void SetUnsavedText(std::string_view text, BreakStyle breaks);
  // The encoding the user reads the document in, in place of the one the
  // document rule finds in its bytes.
  void SetEncoding(TextEncoding encoding) { encodingChosen_ = encoding; }
  // Keeps the working files in folder, which no other run uses while this
  // one lasts, in place of the program directory (params.txt and tidy are
  // still looked for there): the run then neither waits for the program
  // directory's lock nor changes the working directory, so runs can go on
  // side by side, and tidy runs in folder.
  void SetWorkingFolder(std::string folder);

  // Checks that the input can be read and learns its encoding, loads the
  // options, waits for any other run in the program directory, makes that
  // directory the working directory and runs tidy on the input. Only when
  // tidy ended normally with a status that promises a cleaned document and
  // wrote it whole does the second run check the cleaned document, whose
  // report becomes the rows, and is the document handed to OnCleaned;
  // otherwise the first run's report becomes the rows. Either way the first
  // run's report is also left in FirstRunRows. The working files
  // are removed however the run ends. Errors before tidy starts (an
  // unreadable input or params.txt, a working file that cannot be written)
  // and errors of OnCleaned or of reading a report go on.
  void Execute(std::vector<std::string>& optionsList, DiagRows& rows);
  // Stops tidy without waiting for it; the run then skips everything but the clean-up.
  void Cancel();
  bool Cancelled() const { return cancelled_; }

  // Once per watch cycle while tidy runs or another run holds the directory.
  std::function<void()> OnIdle;
  // After both runs, with the cleaned document's path, when tidy's result was taken.
  std::function<void(const std::string& cleanedFile)> OnCleaned;
  ErrorReportHooks Report;

  // After Execute:
  TidyOutcome Outcome = TidyOutcome::Stopped;
  // The encoding the input was read in (and handed to the built-in options).
  TextEncoding Encoding = TextEncoding::Latin1;
  // The rows of the first run's report, about the text before cleaning (read
  // as the list reads a report, without its status and trace), whenever
  // tidy ran: in a cleaned run the rows handed back are the second run's.
  DiagRows FirstRunRows;
  // The status text for the user: the report's ("N Warnings"), with what
  // kept tidy's result out of the editor when it was not taken.
  std::string Status;
  // What the user must be told beyond the status: tidy could not be
  // started, or ended in a way that leaves its work in doubt. Empty otherwise.
  std::string Failure;

 private:
  struct RunEnd;
  RunEnd RunTidy(const std::string& commandLine);
  std::string Input(TextEncoding& encoding) const;
  bool CleanedDocumentIsWhole(const RunEnd& end, std::string& reason) const;
  void ReadReport(DiagRows& rows);
  void ReadFirstReport();
  void WriteWorkingFile(const std::string& path) const;
  void RemoveWorkingFiles() const;

  std::string programDir_;
  // Where the working files are: the program directory unless SetWorkingFolder chose another.
  std::string workDir_;
  bool ownFolder_ = false;
  std::string document_;
  bool unsaved_ = false;
  std::optional<TextEncoding> encodingChosen_;
  std::string_view unsavedText_;
  BreakStyle unsavedBreaks_ = BreakStyle::CRLF;
  std::unique_ptr<TRedirectedConsole> Runner;
  bool cancelled_ = false;
};

}  // namespace kw
