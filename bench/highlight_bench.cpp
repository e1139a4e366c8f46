// Highlighting speed: the HTML lexer alone and through the editor against
// QScintilla's own HTML lexer; opening, typing in and jumping to the end of a
// large document in the window with and without the highlighter; and the
// background styling: jumps before and after it, keys typed while it runs.
// Usage and the meaning of each figure: bench/README.md.
#include <Qsci/qscilexerhtml.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "controls/source_editor.h"
#include "document/file_io.h"
#include "highlight/html_highlighter.h"
#include "search/edit_search.h"
#include "search/editor_find.h"

using kwbench::Drain;
using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::PaintCounter;
using kwbench::Require;
using kwbench::Summarize;
using kwbench::WaitForPaint;
using Sci = QsciScintillaBase;

namespace {

long Send(const QsciScintillaBase* editor, unsigned int msg, unsigned long wParam = 0, long lParam = 0) {
  return editor->SendScintilla(msg, wParam, lParam);
}

using kwbench::Case;
using kwbench::Median;
using kwbench::RunRounds;

// ---- The lexer alone -----------------------------------------------------

// Every line through SetLine and Next to its end, the range carried.
double LexAlone(const std::string& text, uint64_t* tokens) {
  kw::THTMLHighlighter highlighter;
  uint64_t count = 0;
  const int64_t t0 = NowNs();
  highlighter.ResetRange();
  const std::string_view all(text);
  int line = 0;
  for (size_t start = 0; start < all.size(); ++line) {
    size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    for (highlighter.SetLine(all.substr(start, end - start), line); !highlighter.GetEol(); highlighter.Next()) ++count;
    start = end + 1;
  }
  const int64_t t1 = NowNs();
  *tokens = count;
  return Ms(t1 - t0);
}

// ---- Whole-document styling through an editor ---------------------------

// SCI_COLOURISE of everything in a fresh editor holding the text; the editor
// is built and filled before the clock starts.
double ColouriseAll(const std::string& text, bool ours) {
  kw::THTMLHighlighter highlighter;
  auto editor = std::make_unique<kw::SourceEditor>();
  if (ours) editor->SetHighlighter(&highlighter);
  else editor->setLexer(new QsciLexerHTML(editor.get()));
  Send(editor.get(), Sci::SCI_SETUNDOCOLLECTION, 0);
  editor->SendScintilla(Sci::SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
  Require(Send(editor.get(), Sci::SCI_GETENDSTYLED) == 0, "styled before the clock started");
  const int64_t t0 = NowNs();
  Send(editor.get(), Sci::SCI_COLOURISE, 0, -1);
  const int64_t t1 = NowNs();
  Require(Send(editor.get(), Sci::SCI_GETENDSTYLED) == static_cast<long>(text.size()), "not styled to the end");
  editor.reset();
  Drain();
  return Ms(t1 - t0);
}

// ---- The window ------------------------------------------------------------

std::unique_ptr<kw::TForm1> Window(bool highlighted) {
  std::unique_ptr<kw::TForm1> form = kwbench::ShownWindow();
  if (!highlighted) form->Editor->SetHighlighter(nullptr);
  return form;
}

// OpenDocument until the editor has painted; *jump gets the time of going to
// the end of the document from there until painted.
double OpenAndJump(const std::string& path, uint64_t size, bool highlighted, double* jump) {
  std::unique_ptr<kw::TForm1> form = Window(highlighted);
  PaintCounter counter(form->Editor->viewport());
  const int64_t t0 = NowNs();
  form->Guarded([&] { form->OpenDocument(path); });
  WaitForPaint(counter);
  const int64_t t1 = NowNs();
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  Require(Send(form->Editor, Sci::SCI_GETLENGTH) == static_cast<long>(size), "window load length");
  Require(!highlighted || Send(form->Editor, Sci::SCI_GETENDSTYLED) < static_cast<long>(size / 100),
          "the open styled more than the first screen");
  const int64_t t2 = NowNs();
  Send(form->Editor, Sci::SCI_DOCUMENTEND);
  WaitForPaint(counter);
  const int64_t t3 = NowNs();
  form.reset();
  Drain();
  *jump = Ms(t3 - t2);
  return Ms(t1 - t0);
}

std::vector<double> Typing(const std::string& path, bool highlighted, int keys) {
  std::unique_ptr<kw::TForm1> form = Window(highlighted);
  PaintCounter counter(form->Editor->viewport());
  form->Guarded([&] { form->OpenDocument(path); });
  WaitForPaint(counter);
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  kwbench::PlaceCaretInMiddle(form->Editor, form.get());
  std::vector<double> samples = kwbench::TypeKeys(form->Editor, form->Editor, keys);
  form.reset();
  Drain();
  return samples;
}

// ---- The background styling ------------------------------------------------

constexpr std::string_view kMarkerLine = "<!-- the end: Last-Line-Marker -->";

long EndStyled(const QsciScintillaBase* sci) { return Send(sci, Sci::SCI_GETENDSTYLED); }

int64_t ThreadCpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

// Passes of the event loop until the background styling has reached the end
// of the text; each pass that styled something is timed into *slices, and
// the processor time it took into *sliceCpu: how long a key that came
// meanwhile would have waited at most, on a busy and on an idle machine.
void WaitForIdleStyling(const QsciScintillaBase* sci, std::vector<double>* slices, std::vector<double>* sliceCpu) {
  const long length = Send(sci, Sci::SCI_GETLENGTH);
  const int64_t deadline = NowNs() + int64_t{120} * 1000000000;
  while (EndStyled(sci) < length) {
    const long before = EndStyled(sci);
    const int64_t t0 = NowNs();
    const int64_t c0 = ThreadCpuNs();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const int64_t c1 = ThreadCpuNs();
    const int64_t t1 = NowNs();
    if (EndStyled(sci) != before) {
      slices->push_back(Ms(t1 - t0));
      sliceCpu->push_back(Ms(c1 - c0));
    }
    Require(NowNs() < deadline, "the background styling did not finish within 2 minutes");
  }
}

enum class Jump { CtrlEnd, Find };
enum class Styling { Before, Finished, NoHighlighter };

// Opens the document in the window, waits for the background styling to
// finish when asked (its slices timed into *slices), then jumps to the last
// line: Ctrl+End, or a find of its marker from the top. The time is from the
// jump until painted.
double JumpToEnd(const std::string& path, uint64_t size, Jump how, Styling styling, std::vector<double>* cpu,
                 std::vector<double>* slices = nullptr, std::vector<double>* sliceCpu = nullptr) {
  std::unique_ptr<kw::TForm1> form = Window(styling != Styling::NoHighlighter);
  PaintCounter counter(form->Editor->viewport());
  form->Guarded([&] { form->OpenDocument(path); });
  WaitForPaint(counter);
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  Require(Send(form->Editor, Sci::SCI_GETLENGTH) == static_cast<long>(size), "window load length");
  if (styling == Styling::Finished) WaitForIdleStyling(form->Editor, slices, sliceCpu);
  else if (styling == Styling::Before)
    Require(EndStyled(form->Editor) < static_cast<long>(size / 100), "styled past the first screen already");
  kw::TEditSearch engine;
  const int64_t t0 = NowNs();
  const int64_t c0 = ThreadCpuNs();
  if (how == Jump::CtrlEnd) QTest::keyClick(form->Editor, Qt::Key_End, Qt::ControlModifier);
  else Require(kw::FindInEditor(*form->Editor, engine, "Last-Line-Marker", kw::soEntireScope) == 1, "not found");
  WaitForPaint(counter);
  const int64_t c1 = ThreadCpuNs();
  const int64_t t1 = NowNs();
  cpu->push_back(Ms(c1 - c0));
  Require(form->Editor->CaretPos().line == form->Editor->LineCount(), "not on the last line");
  form.reset();
  Drain();
  return Ms(t1 - t0);
}

// Keys typed in the middle while the background styling runs: before each,
// the loop waits until a slice has styled something; the key is posted as a
// window system delivers one, and timed until painted, in processor time too
// (*cpu). Stops early when the styling is done.
std::vector<double> TypingWhileIdleStyling(const std::string& path, int keys, std::vector<double>* cpu) {
  std::unique_ptr<kw::TForm1> form = Window(true);
  QsciScintillaBase* sci = form->Editor;
  PaintCounter counter(sci->viewport());
  form->Guarded([&] { form->OpenDocument(path); });
  WaitForPaint(counter);
  kwbench::PlaceCaretInMiddle(sci, form.get());
  std::vector<double> samples;
  const int64_t deadline = NowNs() + int64_t{120} * 1000000000;
  for (int i = 0; i < keys; ++i) {
    const long length = Send(sci, Sci::SCI_GETLENGTH);
    const long before = EndStyled(sci);
    while (EndStyled(sci) == before && before < length) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      Require(NowNs() < deadline, "the background styling did not go on");
    }
    if (EndStyled(sci) >= length) break;
    const int64_t t0 = NowNs();
    const int64_t c0 = ThreadCpuNs();
    QCoreApplication::postEvent(sci, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    QCoreApplication::postEvent(sci, new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x"));
    WaitForPaint(counter);
    const int64_t c1 = ThreadCpuNs();
    const int64_t t1 = NowNs();
    Require(Send(sci, Sci::SCI_GETLENGTH) == length + 1, "the key did not insert a character");
    samples.push_back(Ms(t1 - t0));
    cpu->push_back(Ms(c1 - c0));
  }
  form.reset();
  Drain();
  return samples;
}

struct Options {
  int rounds = 7;
  int lexMiB = 10;
  int openMiB = 50;
  int keys = 20;
};

std::string Throughput(double mib, double ms) { return FormatNumber(mib / (ms / 1000), 1) + " MiB/s"; }

int RunBenchmark(int argc, char** argv) {
  Options options;
  if (!kwbench::ParseIntOptions(argc, argv,
                                {{"--rounds", &options.rounds},
                                 {"--lex-mib", &options.lexMiB},
                                 {"--open-mib", &options.openMiB},
                                 {"--keys", &options.keys}})) {
    std::fprintf(stderr,
                 "usage: bench_highlight [--rounds N] [--lex-mib M] [--open-mib M] [--keys K]\n"
                 "  --rounds N     timed rounds of each case (default 7)\n"
                 "  --lex-mib M    document for the lexing cases (default 10)\n"
                 "  --open-mib M   document for opening, typing and jumping (default 50)\n"
                 "  --keys K       timed keystrokes per window (default 20)\n");
    return 2;
  }

  kwbench::TempDir scratch("kempwell-bench-highlight-");
  kwbench::PrepareQtEnvironment(scratch);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  const std::string lexPath = scratch.Path() + "/lex.html";
  const kwbench::GeneratedDocument lexDoc = kwbench::WriteHtmlDocument(lexPath, uint64_t(options.lexMiB) << 20);
  const std::string text = kw::ReadWholeFile(lexPath);
  const double lexMiB = double(lexDoc.bytes) / (1 << 20);
  std::printf("lexing document: %llu bytes, %llu lines, LF breaks\n", static_cast<unsigned long long>(lexDoc.bytes),
              static_cast<unsigned long long>(lexDoc.lines));
  std::fflush(stdout);

  uint64_t tokens = 0;
  std::vector<Case> lexing = {
      {"(a) THTMLHighlighter alone, line by line", [&] { return LexAlone(text, &tokens); }, {}},
      {"(b) our lexer in the editor, SCI_COLOURISE(0, -1)", [&] { return ColouriseAll(text, true); }, {}},
      {"    QsciLexerHTML in the editor, SCI_COLOURISE(0, -1)", [&] { return ColouriseAll(text, false); }, {}},
  };
  RunRounds(lexing, options.rounds);
  std::printf("styling %d MiB: medians of %d rounds, cases alternating, (min .. max)\n", options.lexMiB,
              options.rounds);
  for (const Case& c : lexing)
    std::printf("  %-54s %s, %s\n", c.label.c_str(), FormatMs(Summarize(c.samples)).c_str(),
                Throughput(lexMiB, Median(c)).c_str());
  std::printf("  tokens per pass: %llu\n", static_cast<unsigned long long>(tokens));
  std::printf("  ratios of medians against QsciLexerHTML: (a) %sx, (b) %sx\n\n",
              FormatNumber(Median(lexing[2]) / Median(lexing[0]), 2).c_str(),
              FormatNumber(Median(lexing[2]) / Median(lexing[1]), 2).c_str());
  std::fflush(stdout);

  const std::string openPath = scratch.Path() + "/open.html";
  const kwbench::GeneratedDocument openDoc = kwbench::WriteHtmlDocument(openPath, uint64_t(options.openMiB) << 20);
  double jump = 0;
  std::vector<double> jumpWith;
  std::vector<double> jumpWithout;
  std::vector<Case> opening = {
      {"(c) window with the highlighter: open until painted",
       [&] {
         const double ms = OpenAndJump(openPath, openDoc.bytes, true, &jump);
         jumpWith.push_back(jump);
         return ms;
       },
       {}},
      {"    window without it (the foundation): open until painted",
       [&] {
         const double ms = OpenAndJump(openPath, openDoc.bytes, false, &jump);
         jumpWithout.push_back(jump);
         return ms;
       },
       {}},
  };
  RunRounds(opening, options.rounds);
  // The warm-up round's jumps are not counted either.
  jumpWith.erase(jumpWith.begin());
  jumpWithout.erase(jumpWithout.begin());
  std::printf("window, %d MiB document (%llu lines): medians of %d rounds, (min .. max)\n", options.openMiB,
              static_cast<unsigned long long>(openDoc.lines), options.rounds);
  for (const Case& c : opening) std::printf("  %-62s %s\n", c.label.c_str(), FormatMs(Summarize(c.samples)).c_str());
  std::printf("  %-62s %s\n", "    with the highlighter: then to the end, until painted",
              FormatMs(Summarize(jumpWith)).c_str());
  std::printf("  %-62s %s\n", "    without it: then to the end, until painted",
              FormatMs(Summarize(jumpWithout)).c_str());
  std::printf("  open ratio with/without: %s\n", FormatNumber(Median(opening[0]) / Median(opening[1]), 2).c_str());
  std::fflush(stdout);

  const std::vector<double> typedWith = Typing(openPath, true, options.keys);
  const std::vector<double> typedWithout = Typing(openPath, false, options.keys);
  std::printf("  %-62s %s, %zu keys\n", "(c) one key in the middle, with the highlighter, until painted",
              FormatMs(Summarize(typedWith)).c_str(), typedWith.size());
  std::printf("  %-62s %s, %zu keys\n", "    the same without it", FormatMs(Summarize(typedWithout)).c_str(),
              typedWithout.size());
  std::printf("\n");
  std::fflush(stdout);

  // The same document with a marker on its last line, for the find.
  std::ofstream(openPath, std::ios::binary | std::ios::app) << kMarkerLine;
  const uint64_t markedBytes = openDoc.bytes + kMarkerLine.size();
  const std::string openText = kw::ReadWholeFile(openPath);
  std::vector<double> slices;
  std::vector<double> sliceCpu;
  // Processor time of each case, robust against a busy machine.
  std::vector<std::vector<double>> cpu(7);
  std::vector<Case> jumping = {
      {"Ctrl+End before the background styling",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::CtrlEnd, Styling::Before, &cpu[0]); }, {}},
      {"find of the last line before it",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::Find, Styling::Before, &cpu[1]); }, {}},
      {"Ctrl+End once it has finished",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::CtrlEnd, Styling::Finished, &cpu[2], &slices, &sliceCpu); },
       {}},
      {"find of the last line once it has finished",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::Find, Styling::Finished, &cpu[3], &slices, &sliceCpu); },
       {}},
      {"THTMLHighlighter alone over the same text",
       [&] {
         const int64_t c0 = ThreadCpuNs();
         const double ms = LexAlone(openText, &tokens);
         cpu[4].push_back(Ms(ThreadCpuNs() - c0));
         return ms;
       },
       {}},
      {"Ctrl+End without the highlighter",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::CtrlEnd, Styling::NoHighlighter, &cpu[5]); }, {}},
      {"find of the last line without the highlighter",
       [&] { return JumpToEnd(openPath, markedBytes, Jump::Find, Styling::NoHighlighter, &cpu[6]); }, {}},
  };
  RunRounds(jumping, options.rounds);
  for (std::vector<double>& warmUp : cpu) warmUp.erase(warmUp.begin());
  std::printf("(d) jump to the end of the %d MiB document in the window, until painted: medians of %d rounds\n",
              options.openMiB, options.rounds);
  for (size_t i = 0; i < jumping.size(); ++i)
    std::printf("  %-52s %s, processor %s\n", jumping[i].label.c_str(),
                FormatMs(Summarize(jumping[i].samples)).c_str(), FormatMs(Summarize(cpu[i])).c_str());
  const double lexer = Median(jumping[4]);
  const double lexerCpu = Summarize(cpu[4]).median;
  std::printf("  before the background styling, against the lexer alone: Ctrl+End %sx, find %sx;"
              " in processor time %sx, %sx\n",
              FormatNumber(Median(jumping[0]) / lexer, 2).c_str(), FormatNumber(Median(jumping[1]) / lexer, 2).c_str(),
              FormatNumber(Summarize(cpu[0]).median / lexerCpu, 2).c_str(),
              FormatNumber(Summarize(cpu[1]).median / lexerCpu, 2).c_str());
  std::printf("  %-62s %s, %zu slices\n", "a pass of the event loop that styled in the background",
              FormatMs(Summarize(slices)).c_str(), slices.size());
  std::printf("  %-62s %s\n", "    its processor time", FormatMs(Summarize(sliceCpu)).c_str());
  std::vector<double> typedIdleCpu;
  const std::vector<double> typedIdle = TypingWhileIdleStyling(openPath, options.keys, &typedIdleCpu);
  std::printf("  %-62s %s, %zu keys\n", "one key in the middle while it runs, until painted",
              FormatMs(Summarize(typedIdle)).c_str(), typedIdle.size());
  std::printf("  %-62s %s\n", "    its processor time", FormatMs(Summarize(typedIdleCpu)).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, RunBenchmark); }
