// Run tidy through the window against the same two tidy command lines run
// back to back, the window's peak memory during one run on a large
// document, the error report of 50,000 lines parsed and listed (alone, and
// in the window with kinds, marks and counts), and the list's filter.
// Usage and the meaning of each figure: bench/README.md.
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "common/paths.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "common/command_line.h"
#include "tidy/diag_list_model.h"
#include "tidy/error_report.h"
#include "tidy/tidy_job.h"

using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Require;
using kwbench::StatusKb;
using kwbench::Summarize;

namespace {

struct Options {
  int rounds = 5;
  int sizeMib = 5;
  int reportLines = 50000;
  int memoryMib = 50;
};

// The two command lines the window builds, each run to its end with its
// output read by a plain reader, in the program directory.
double TwoTidyRuns(const std::string& programDir, const std::string& document) {
  const std::vector<std::string> commands = {
      kw::FirstTidyCommandLine(programDir, kw::DefaultTidyOptions, kw::DocumentArgument(document)),
      kw::SecondTidyCommandLine(programDir, kw::DefaultTidyOptions)};
  const int64_t t0 = NowNs();
  for (const std::string& command : commands) {
    std::vector<std::string> argv = kw::SplitCommandLine(command);
    argv.front() = kw::FindProgram("tidy", "");
    kwbench::Child child = kwbench::SpawnChild(argv);
    std::string output;
    kwbench::FinishChild(child, &output);
  }
  const int64_t t1 = NowNs();
  for (const char* name : {"errs.txt", "~tidied.htm"}) ::unlink(kw::JoinPath(programDir, name).c_str());
  return Ms(t1 - t0);
}

// Run tidy in the window, from the command until the list is filled.
double WindowRun(kw::TForm1& form, const std::string& document) {
  form.OpenDocument(document);
  kwbench::Drain();
  const int64_t t0 = NowNs();
  form.Suorita1->trigger();
  const int64_t t1 = NowNs();
  Require(form.DiagModel->rowCount() > 0, "the list stayed empty");
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  return Ms(t1 - t0);
}

// A /proc figure in KiB, above a base, in bytes per document byte.
std::string PerByte(long kb, long baseKb, uint64_t bytes) {
  return FormatNumber(double(kb - baseKb) * 1024 / double(bytes), 2);
}

// The window's own resident memory around one Run tidy; tidy runs in child
// processes, so its memory is not in these figures. This runs before the
// timed cases, so that the heap holds nothing left over from them.
void PeakMemoryOfRunTidy(const std::string& folder, int mib) {
  const std::string document = folder + "/memory.htm";
  const kwbench::GeneratedDocument generated = kwbench::WriteHtmlDocument(document, uint64_t(mib) << 20);
  auto form = kwbench::ShownWindow();
  kwbench::Drain();
  const long baseKb = StatusKb("VmRSS");
  form->OpenDocument(document);
  kwbench::Drain();
  const long loadedKb = StatusKb("VmRSS");
  const bool reset = kwbench::ResetPeakResident();
  const int64_t t0 = NowNs();
  form->Suorita1->trigger();
  const int64_t t1 = NowNs();
  const long peakKb = StatusKb("VmHWM");
  Require(form->DiagModel->rowCount() > 0, "the list stayed empty");
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  kwbench::Drain();
  const long afterKb = StatusKb("VmRSS");

  std::cout << "Peak memory of Run tidy on " << FormatNumber(double(generated.bytes) / (1 << 20), 1) << " MiB ("
            << generated.lines << " lines), one round\n"
            << "  empty window, resident (base):    " << FormatNumber(double(baseKb) / 1024, 1) << " MiB\n"
            << "  document open, above base:        " << PerByte(loadedKb, baseKb, generated.bytes)
            << " bytes per document byte\n"
            << "  peak during Run tidy, above base: " << PerByte(peakKb, baseKb, generated.bytes)
            << " bytes per document byte (target: at most 4)\n"
            << "  after the run, above base:        " << PerByte(afterKb, baseKb, generated.bytes)
            << " bytes per document byte\n"
            << "  Run tidy took:                    " << FormatNumber(Ms(t1 - t0) / 1000, 1) << " s\n";
  if (!reset)
    std::cout << "  (/proc/self/clear_refs refused the peak reset: the peak is VmHWM since the start)\n";
  const std::string programDir = form->ProgramDir;
  form.reset();
  kwbench::Drain();
  for (const char* name : {"errs.txt", "~tidied.htm"}) ::unlink(kw::JoinPath(programDir, name).c_str());
  ::unlink(document.c_str());
}

// A report as tidy writes it, every message ten times over on the same line;
// or, when distinct, every message once, of every kind.
std::string WriteReport(const std::string& path, int lines, bool distinct = false) {
  static const char* const kLevels[] = {"Warning", "Error", "Warning", "Info", "Warning", "Access", "Config"};
  std::string text = "Info: Doctype given is \"-//W3C//DTD HTML 4.01//EN\"\n";
  for (int i = 0; i < lines; ++i) {
    const int message = distinct ? i : i / 10;
    const char* level = distinct ? kLevels[i % 7] : "Warning";
    text += "line " + std::to_string((message * 7919) % 20000 + 1) + " column " + std::to_string(i % 80 + 1) +
            " - " + level + ": <td> attribute \"width" + std::to_string(message) + "\" has invalid value\n";
  }
  text += "Tidy found " + std::to_string(lines) + " warnings and 0 errors!\n";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "cannot write the report");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

// The report read and cut as a run reads it.
kw::DiagRows ReadReport(const std::string& path) {
  kw::DiagRows rows;
  kw::ErrorReportHooks hooks;
  hooks.OnMessageLine = [] {};
  kw::ShowTidyErrors(path, rows, hooks);
  return rows;
}

// The report read, cut, put in the list and the list painted.
double ListReport(const std::string& path, int lines, kw::TDiagListModel& model, kw::TDiagListView& view) {
  WriteReport(path, lines);
  model.Clear();
  kwbench::Drain();
  const int64_t t0 = NowNs();
  model.Assign(ReadReport(path));
  view.viewport()->repaint();
  const int64_t t1 = NowNs();
  Require(model.rowCount() == lines / 10, "unexpected row count");
  return Ms(t1 - t0);
}

// The same, listed by the window: kinds, icons, counts by kind and margin marks.
double ListReportInWindow(const std::string& path, int lines, kw::TForm1& form) {
  WriteReport(path, lines);
  form.DiagModel->Clear();
  kwbench::Drain();
  const int64_t t0 = NowNs();
  form.ListMessages(ReadReport(path));
  form.DiagList->viewport()->repaint();
  form.StatusPanel->repaint();
  const int64_t t1 = NowNs();
  Require(form.DiagModel->rowCount() == lines / 10, "unexpected row count");
  return Ms(t1 - t0);
}

// Hiding or showing one kind of the listed rows, until the list has painted.
double ChangeFilter(kw::TForm1& form, kw::DiagKind kind, bool shown) {
  const int64_t t0 = NowNs();
  form.ShowKindInList(kind, shown);
  form.DiagList->viewport()->repaint();
  return Ms(NowNs() - t0);
}

int Run(int argc, char** argv) {
  Options options;
  if (!kwbench::ParseIntOptions(argc, argv,
                                {{"--rounds", &options.rounds},
                                 {"--size-mib", &options.sizeMib},
                                 {"--report-lines", &options.reportLines},
                                 {"--memory-mib", &options.memoryMib, 0}})) {
    std::cerr << "usage: bench_tidy [--rounds N] [--size-mib M] [--report-lines L] [--memory-mib M (0 skips)]\n";
    return 2;
  }
  kwbench::TempDir scratch("kempwell-bench-tidy");
  kwbench::PrepareQtEnvironment(scratch);
  ::setenv("LC_ALL", "C", 1);  // as the window gives tidy
  QApplication app(argc, argv);
  Require(!kw::FindProgram("tidy", "").empty(), "tidy is not installed");
  if (options.memoryMib > 0) PeakMemoryOfRunTidy(scratch.Path(), options.memoryMib);

  const std::string document = scratch.Path() + "/document.htm";
  const kwbench::GeneratedDocument generated =
      kwbench::WriteHtmlDocument(document, uint64_t(options.sizeMib) << 20);
  auto form = kwbench::ShownWindow();
  const std::string programDir = form->ProgramDir;

  std::cout << "Run tidy on " << FormatNumber(double(generated.bytes) / (1 << 20), 1) << " MiB ("
            << generated.lines << " lines), " << options.rounds << " rounds\n";
  std::vector<kwbench::Case> cases = {
      {"two tidy runs back to back", [&] { return TwoTidyRuns(programDir, document); }, {}},
      {"Run tidy in the window", [&] { return WindowRun(*form, document); }, {}}};
  kwbench::RunRounds(cases, options.rounds);
  const auto b = Summarize(cases[0].samples);
  const auto o = Summarize(cases[1].samples);
  std::cout << "  two tidy runs back to back: " << FormatMs(b) << "\n"
            << "  Run tidy in the window:     " << FormatMs(o) << "\n"
            << "  ratio ours/baseline:        " << FormatNumber(o.median / b.median, 3) << "\n";

  // Keys typed in the middle of the cleaned text against keys typed in the
  // same text before any run: what the run keeps must cost the keys nothing.
  const auto typeKeys = [&](bool afterRun) {
    form->OpenDocument(document);
    kwbench::Drain();
    if (afterRun) {
      form->Suorita1->trigger();
      kwbench::Drain();
    }
    kwbench::PlaceCaretInMiddle(form->Editor, form.get());
    return kwbench::TypeKeys(form->Editor, form->Editor, 20);
  };
  const auto before = Summarize(typeKeys(false));
  const auto after = Summarize(typeKeys(true));
  std::cout << "Typing in the middle, 20 keys until painted:\n"
            << "  before any run:                       " << FormatMs(before) << "\n"
            << "  after Run tidy:                       " << FormatMs(after) << "\n"
            << "  ratio after/before:                   " << FormatNumber(after.median / before.median, 3) << "\n";

  kw::TDiagListModel model;
  kw::TDiagListView view;
  view.setModel(&model);
  view.resize(600, 200);
  view.show();
  // The window's list needs lines to mark: a document of 20,000 lines or more.
  const std::string marked = scratch.Path() + "/marked.htm";
  kwbench::WriteHtmlDocument(marked, uint64_t(2) << 20);
  form->OpenDocument(marked);
  kwbench::Drain();
  std::vector<double> listing, windowListing;
  const std::string report = scratch.Path() + "/errs.txt";
  for (int round = 0; round < options.rounds; ++round) {
    listing.push_back(ListReport(report, options.reportLines, model, view));
    windowListing.push_back(ListReportInWindow(report, options.reportLines, *form));
  }
  const auto alone = Summarize(listing);
  const auto inWindow = Summarize(windowListing);
  std::cout << "Report of " << options.reportLines << " message lines (" << options.reportLines / 10
            << " rows after duplicates), read, cut, listed and painted:\n"
            << "  the list alone:                       " << FormatMs(alone) << "\n"
            << "  the window's (kinds, marks, counts):  " << FormatMs(inWindow) << "\n"
            << "  ratio window/alone:                   " << FormatNumber(inWindow.median / alone.median, 3) << "\n";

  // The filter on as many distinct rows as message lines, of every kind.
  WriteReport(report, options.reportLines, true);
  form->ListMessages(ReadReport(report));
  form->DiagList->setCurrentIndex(form->DiagModel->index(form->DiagModel->rowCount() / 2, 0));
  kwbench::Drain();
  std::vector<double> hiding, showing;
  for (int round = 0; round < options.rounds; ++round) {
    hiding.push_back(ChangeFilter(*form, kw::DiagKind::Warning, false));
    showing.push_back(ChangeFilter(*form, kw::DiagKind::Warning, true));
  }
  std::cout << "Filter on " << form->DiagModel->Rows().Count() << " rows of every kind, until painted:\n"
            << "  hiding the warnings:                  " << FormatMs(Summarize(hiding)) << "\n"
            << "  showing them again:                   " << FormatMs(Summarize(showing)) << "\n";
  form->DiagModel->Clear();
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, Run); }
