#include "tidy/tidy_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/error.h"
#include "common/paths.h"
#include "document/file_io.h"
#include "document/string_list.h"
#include "common/command_line.h"
#include "tidy/console_runner.h"
#include "tidy/run_lock.h"

namespace kw {

namespace {

constexpr char kErrorFile[] = "errs.txt";
constexpr char kCleanedFile[] = "~tidied.htm";
constexpr char kUnsavedFile[] = "~unsaved.htm";
constexpr char kOptionsFile[] = "params.txt";
constexpr size_t kInputPiece = size_t{1} << 20;
// What is kept of tidy's own output streams: its cleaned copy on the second
// run and whatever a faulty tidy floods them with are read and dropped.
constexpr size_t kKeptOutput = 64 << 10;
// A write that failed for want of room leaves tidy's file short while tidy
// still reports success; such a write leaves next to nothing free behind it.
constexpr uint64_t kRoomNeeded = uint64_t{1} << 20;
// tidy's exit status: 0 clean, 1 warnings, 2 errors (and then no cleaned document).
constexpr int kTidyFoundErrors = 2;

std::string QuotedWorkingFile(const std::string& programDir, const char* name) {
  return QuoteArgument(JoinPath(programDir, name), true);
}

bool NoRoomLeft(const std::string& folder) {
  struct statvfs fs;
  if (::statvfs(folder.c_str(), &fs) != 0) return false;
  const uint64_t blocks = ::geteuid() == 0 ? fs.f_bfree : fs.f_bavail;
  return blocks * fs.f_frsize < kRoomNeeded;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return a == b || (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
                    sa.st_ino == sb.st_ino);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

struct TidyJob::RunEnd {
  bool started = false;
  int exitStatus = -1;  // -1 unless tidy exited normally
  int signal = 0;       // the signal that ended tidy
};

std::string DefaultTidyOptionsFor(TextEncoding encoding) {
  std::string options = DefaultTidyOptions;
  if (encoding == TextEncoding::Utf8) {
    const std::string_view latin1 = "--char-encoding latin1";
    options.replace(options.find(latin1), latin1.size(), "--char-encoding utf8");
  }
  return options;
}

std::vector<std::string> LoadTidyOptions(const std::string& programDir, TextEncoding encoding) {
  const std::string file = JoinPath(programDir, kOptionsFile);
  if (!PathExists(file)) return {DefaultTidyOptionsFor(encoding)};
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
    : programDir_(std::move(programDir)), workDir_(programDir_), document_(std::move(document)) {}

TidyJob::~TidyJob() = default;

void TidyJob::SetWorkingFolder(std::string folder) {
  workDir_ = std::move(folder);
  ownFolder_ = true;
}

void TidyJob::SetUnsavedText(std::string_view text, BreakStyle breaks) {
  unsaved_ = true;
  unsavedText_ = text;
  unsavedBreaks_ = breaks;
}

// A file tidy could not read (gone, a folder, a FIFO) is told before tidy is
// asked to; its bytes are read only when its encoding is not known yet.
std::string TidyJob::Input(TextEncoding& encoding) const {
  if (unsaved_) {
    encoding = encodingChosen_.value_or(DetectEncoding(unsavedText_));
    return JoinPath(workDir_, kUnsavedFile);
  }
  if (encodingChosen_) {
    CheckReadableFile(document_);
    encoding = *encodingChosen_;
  } else {
    EncodingDetector detector;
    ReadFilePieces(document_, kInputPiece, nullptr, [&detector](std::string_view piece) { detector.Feed(piece); });
    encoding = detector.Result();
  }
  return document_;
}

void TidyJob::Execute(std::vector<std::string>& optionsList, DiagRows& rows) {
  Outcome = TidyOutcome::Stopped;
  FirstRunRows.Clear();
  Status.clear();
  Failure.clear();
  // The run writes and removes these: a document by one of their names would go with them.
  for (const char* name : {kErrorFile, kCleanedFile, kUnsavedFile}) {
    if (SameFile(AbsolutePath(document_), JoinPath(workDir_, name)))
      throw EKempwellError("\"" + document_ + "\" is one of the files tidy's run works with in \"" + workDir_ +
                           "\". Save the document under another name to tidy it.");
  }
  const std::string input = Input(Encoding);
  optionsList = LoadTidyOptions(programDir_, Encoding);
  const std::string& options = optionsList.front();
  const std::string documentArgument = DocumentArgument(input);

  TidyRunLock lock(programDir_);
  while (!ownFolder_ && !lock.TryLock()) {
    if (cancelled_) return;
    if (OnIdle) OnIdle();
  }
  // A run that ended in an error may have left its files; they are not this run's.
  RemoveWorkingFiles();
  struct CleanUp {
    const TidyJob& job;
    ~CleanUp() { job.RemoveWorkingFiles(); }
  } cleanUp{*this};

  if (unsaved_) WriteWorkingFile(input);
  if (!ownFolder_ && ::chdir(programDir_.c_str()) != 0)
    throw std::system_error(errno, std::generic_category(), "Cannot change to \"" + programDir_ + "\"");

  const RunEnd first = RunTidy(FirstTidyCommandLine(workDir_, options, documentArgument));
  if (cancelled_) return;
  if (!first.started) {
    Outcome = TidyOutcome::NotStarted;
    return;
  }
  std::string reason;
  if (!CleanedDocumentIsWhole(first, reason)) {
    Outcome = TidyOutcome::NotCleaned;
    ReadReport(rows);
    FirstRunRows = rows;
    Status = (Status.empty() ? std::string("Not cleaned: ") : Status + " - not cleaned: ") + reason;
    if (first.exitStatus != kTidyFoundErrors) Failure = "Tidy's result was not taken: " + reason + ". The document was not changed.";
    return;
  }

  ReadFirstReport();
  const RunEnd second = RunTidy(SecondTidyCommandLine(workDir_, options));
  if (cancelled_) return;
  ReadReport(rows);
  if (!second.started || second.signal != 0 || second.exitStatus < 0 || second.exitStatus > kTidyFoundErrors)
    Failure = "tidy did not finish checking the cleaned document, so its messages may be incomplete.";
  Outcome = TidyOutcome::Cleaned;
  if (OnCleaned) OnCleaned(JoinPath(workDir_, kCleanedFile));
}

// Only a tidy that ended by itself with a status that promises a cleaned
// document, and left that document in a regular file with room to spare,
// has written it whole.
bool TidyJob::CleanedDocumentIsWhole(const RunEnd& end, std::string& reason) const {
  if (end.signal != 0) {
    reason = std::string("tidy ended abnormally (") + ::strsignal(end.signal) + ")";
  } else if (end.exitStatus == kTidyFoundErrors) {
    reason = "tidy found errors";
  } else if (end.exitStatus != 0 && end.exitStatus != 1) {
    reason = "tidy ended with exit status " + std::to_string(end.exitStatus);
  } else if (!IsRegularFile(JoinPath(workDir_, kCleanedFile))) {
    reason = "tidy wrote no cleaned document";
  } else if (NoRoomLeft(workDir_)) {
    reason = "the disk of \"" + workDir_ + "\" is full";
  } else {
    return true;
  }
  return false;
}

void TidyJob::ReadReport(DiagRows& rows) {
  ErrorReportHooks hooks = Report;
  hooks.OnStatus = [this](const std::string& status) {
    Status = status;
    if (Report.OnStatus) Report.OnStatus(status);
  };
  ShowTidyErrors(JoinPath(workDir_, kErrorFile), rows, hooks);
}

// The second run writes its own report; this one is read and removed first.
void TidyJob::ReadFirstReport() {
  ErrorReportHooks hooks;
  hooks.OnMessageLine = Report.OnMessageLine;
  ShowTidyErrors(JoinPath(workDir_, kErrorFile), FirstRunRows, hooks);
}

TidyJob::RunEnd TidyJob::RunTidy(const std::string& commandLine) {
  Runner = std::make_unique<TRedirectedConsole>(commandLine);
  Runner->SearchDir = programDir_;
  Runner->WorkingDir = workDir_;
  Runner->CollectLimit = kKeptOutput;
  // tidy reports in the user's language; the report is read in English.
  Runner->EnvironmentOverrides = {"LC_ALL=C"};
  if (OnIdle) Runner->OnIdle = [this](TRedirectedConsole&) { OnIdle(); };
  Runner->Run();
  RunEnd end;
  end.started = Runner->StartError == 0;
  end.exitStatus = Runner->ExitStatus();
  end.signal = Runner->EndSignal();
  if (!end.started) Failure = CannotStartTidyMessage(Runner->StartError);
  Runner.reset();
  return end;
}

// Only the run reads it again: written whole or not at all, with no need to reach the disk.
void TidyJob::WriteWorkingFile(const std::string& path) const {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) throw EKempwellError(CannotCreateFileMessage(path, errno));
  WriteTextAndClose(fd, path, unsavedText_, unsavedBreaks_);
}

void TidyJob::Cancel() {
  cancelled_ = true;
  if (Runner) Runner->RequestStop();
}

void TidyJob::RemoveWorkingFiles() const {
  for (const char* name : {kErrorFile, kCleanedFile, kUnsavedFile}) ::unlink(JoinPath(workDir_, name).c_str());
}

}  // namespace kw
