// What tidy changed in a large document, after one real Run tidy in the
// window: the line comparison alone under both blank rules, and the Changes
// window from its command until it has painted; GNU diff on the same two
// texts is the baseline. Usage and the meaning of each figure: bench/README.md.
#include <QAction>
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "bench_support.h"
#include "bench_window.h"
#include "changes/changes_view.h"
#include "changes/line_diff.h"
#include "changes/tidy_changes.h"
#include "common/command_line.h"
#include "controls/source_editor.h"

using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Require;
using kwbench::Summarize;

namespace {

void WriteWhole(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(out.good(), "cannot write the cleaned text");
}

double Compare(const std::string& before, const std::string& after, kw::BlankRule rule, size_t& blocks) {
  const int64_t t0 = NowNs();
  const kw::LineDiff diff = kw::DiffTexts(before, after, rule);
  const int64_t t1 = NowNs();
  blocks = diff.blocks.size();
  return Ms(t1 - t0);
}

// From the command until the window's texts have painted, on a fresh copy of
// the run's record, so that every round loads, compares and marks anew.
double ShowChanges(kw::TForm1& form, const kw::TidyChanges& run, const kwbench::PaintCounter& painted) {
  kw::TChangesView* view = form.ChangesView();
  view->hide();
  form.KeepRunChanges(std::make_unique<kw::TidyChanges>(run));
  kwbench::Drain();
  const int64_t t0 = NowNs();
  form.actShowChanges->trigger();
  kwbench::WaitForPaint(painted);
  return Ms(NowNs() - t0);
}

double GnuDiff(const std::string& before, const std::string& after) {
  const int64_t t0 = NowNs();
  kwbench::Child child = kwbench::SpawnChild({"/usr/bin/diff", before, after});
  std::string output;
  kwbench::FinishChild(child, &output);  // diff ends with 1 when the files differ
  return Ms(NowNs() - t0);
}

int Run(int argc, char** argv) {
  int rounds = 7, sizeMib = 5;
  if (!kwbench::ParseIntOptions(argc, argv, {{"--rounds", &rounds}, {"--size-mib", &sizeMib}})) {
    std::cerr << "usage: bench_changes [--rounds N] [--size-mib M]\n";
    return 2;
  }
  kwbench::TempDir scratch("kempwell-bench-changes");
  kwbench::PrepareQtEnvironment(scratch);
  QApplication app(argc, argv);
  Require(!kw::FindProgram("tidy", "").empty(), "tidy is not installed");
  const std::string document = scratch.Path() + "/document.htm";
  const kwbench::GeneratedDocument generated = kwbench::WriteHtmlDocument(document, uint64_t(sizeMib) << 20);

  auto form = kwbench::ShownWindow();
  form->OpenDocument(document);
  kwbench::Drain();
  const int64_t runStart = NowNs();
  form->Suorita1->trigger();
  const double runMs = Ms(NowNs() - runStart);
  Require(form->RunChanges() != nullptr && !kwbench::WindowReportedError(), "the run cleaned nothing");
  const kw::TidyChanges run = *form->RunChanges();
  const QByteArray packed = run.Before();
  const std::string before(packed.constData(), static_cast<size_t>(packed.size()));
  const std::string after(form->Editor->Text());
  const std::string cleaned = scratch.Path() + "/cleaned.htm";
  WriteWhole(cleaned, after);

  const int64_t firstStart = NowNs();
  form->actShowChanges->trigger();
  kw::TChangesView* view = form->ChangesView();
  kwbench::PaintCounter painted(view->AfterText->viewport());
  kwbench::WaitForPaint(painted);
  const double firstMs = Ms(NowNs() - firstStart);
  Require(view->AfterText->Text() == after, "the window shows another text");

  size_t ignoringBlanks = 0, exact = 0;
  std::vector<kwbench::Case> cases = {
      {"GNU diff (a process) on the two files",
       [&] { return GnuDiff(document, cleaned); }, {}},
      {"compare, blanks at line ends ignored",
       [&] { return Compare(before, after, kw::BlankRule::IgnoreEdgeBlanks, ignoringBlanks); }, {}},
      {"compare, lines exact", [&] { return Compare(before, after, kw::BlankRule::Exact, exact); }, {}},
      {"Changes by tidy until painted", [&] { return ShowChanges(*form, run, painted); }, {}},
  };
  kwbench::RunRounds(cases, rounds);

  std::cout << "Changes of Run tidy on " << FormatNumber(double(generated.bytes) / (1 << 20), 1) << " MiB ("
            << generated.lines << " lines; cleaned: " << kw::SplitLines(after).size() << " lines), " << rounds
            << " rounds\n"
            << "  the run itself (not compared):  " << FormatNumber(runMs / 1000, 1) << " s\n"
            << "  changes, blanks ignored / exact: " << ignoringBlanks << " / " << exact << "\n"
            << "  first Changes by tidy (window built), until painted: " << FormatNumber(firstMs, 1) << " ms\n";
  for (const kwbench::Case& c : cases) std::cout << "  " << c.label << ": " << FormatMs(Summarize(c.samples)) << "\n";
  std::cout << "  ratio window/GNU diff: " << FormatNumber(kwbench::Median(cases[3]) / kwbench::Median(cases[0]), 2)
            << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, Run); }
