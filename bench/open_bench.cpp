// Opening a large document: the program's load against QScintilla's own bulk
// insert, peak memory per document byte, and the cost of one typed key in a
// large document. Usage and the meaning of each figure: bench/README.md.
#include <Qsci/qsciscintilla.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "bench_window.h"
#include "controls/source_editor.h"
#include "document/file_io.h"
#include "document/text_format.h"

using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Summarize;
using kwbench::Summary;
using kwbench::Drain;
using kwbench::PaintCounter;
using kwbench::PlaceCaretInMiddle;
using kwbench::Require;
using kwbench::ShownWindow;
using kwbench::TypeKeys;
using kwbench::WaitForPaint;

namespace {

long Send(QsciScintillaBase* editor, unsigned int msg, unsigned long wParam = 0, long lParam = 0) {
  return editor->SendScintilla(msg, wParam, lParam);
}

void Append(QsciScintillaBase* editor, const std::string& text) {
  editor->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
}

// ---- Open: one sample of each case -------------------------------------

using kwbench::Case;

// One insert of the whole buffer into a fresh editor of the given kind;
// SourceEditor shows what the piecewise load from the file costs on top of it.
template <typename Editor>
double BulkInsert(const std::string& text, bool notifications) {
  auto editor = std::make_unique<Editor>();
  Send(editor.get(), QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
  if (!notifications) Send(editor.get(), QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
  const int64_t t0 = NowNs();
  Append(editor.get(), text);
  const int64_t t1 = NowNs();
  Require(Send(editor.get(), QsciScintillaBase::SCI_GETLENGTH) == static_cast<long>(text.size()), "insert length");
  editor.reset();
  Drain();
  return Ms(t1 - t0);
}

double ReadOnly(const std::string& path, uint64_t size) {
  uint64_t seen = 0;
  unsigned sum = 0;
  const int64_t t0 = NowNs();
  kw::ReadFilePieces(path, size_t{1} << 20, nullptr, [&](std::string_view piece) {
    seen += piece.size();
    sum += static_cast<unsigned char>(piece[0]);
  });
  const int64_t t1 = NowNs();
  Require(seen == size && sum != 0, "read length");
  return Ms(t1 - t0);
}

double BreakDetection(const std::string& text) {
  const int64_t t0 = NowNs();
  kw::BreakStyleDetector detector;
  for (size_t at = 0; at < text.size(); at += size_t{1} << 20)
    detector.Feed(std::string_view(text).substr(at, size_t{1} << 20));
  const kw::BreakStyle style = detector.Result();
  const int64_t t1 = NowNs();
  Require(style == kw::BreakStyle::LF, "break style");
  return Ms(t1 - t0);
}

double SourceEditorLoad(const std::string& path, uint64_t size) {
  auto editor = std::make_unique<kw::SourceEditor>();
  const int64_t t0 = NowNs();
  editor->LoadFromFile(path);
  const int64_t t1 = NowNs();
  Require(Send(editor.get(), QsciScintillaBase::SCI_GETLENGTH) == static_cast<long>(size), "editor load length");
  editor.reset();
  Drain();
  return Ms(t1 - t0);
}

// Returns the time of OpenDocument; *painted gets the time until the
// document's first screen has been painted.
double WindowOpen(const std::string& path, uint64_t size, double* painted) {
  std::unique_ptr<kw::TForm1> form = ShownWindow();
  PaintCounter counter(form->Editor->viewport());
  const int64_t t0 = NowNs();
  form->Guarded([&] { form->OpenDocument(path); });
  const int64_t t1 = NowNs();
  WaitForPaint(counter);
  const int64_t t2 = NowNs();
  Require(!kwbench::WindowReportedError(), "the window reported an error");
  Require(Send(form->Editor, QsciScintillaBase::SCI_GETLENGTH) == static_cast<long>(size), "window load length");
  form.reset();
  Drain();
  *painted = Ms(t2 - t0);
  return Ms(t1 - t0);
}

// ---- Memory: fresh child processes ------------------------------------

// Runs in the child: builds what `mode` names, prints its peak and current
// resident memory.
int MemoryChild(int argc, char** argv, const std::string& mode, const std::string& path) {
  QApplication app(argc, argv);
  std::unique_ptr<kw::TForm1> form;
  std::unique_ptr<QsciScintilla> plain;
  if (mode == "window-empty" || mode == "window-open") {
    form = ShownWindow();
    if (mode == "window-open") {
      PaintCounter counter(form->Editor->viewport());
      form->Guarded([&] { form->OpenDocument(path); });
      WaitForPaint(counter);
      Require(!kwbench::WindowReportedError(), "the window reported an error");
    }
  } else if (mode == "plain-empty" || mode == "plain-open") {
    plain = std::make_unique<QsciScintilla>();
    plain->resize(600, 400);
    plain->show();
    Require(QTest::qWaitForWindowExposed(plain.get()), "editor not exposed");
    Drain();
    if (mode == "plain-open") {
      PaintCounter counter(plain->viewport());
      {
        // The bulk-insert way: the whole file in memory, then one insert.
        const std::string text = kw::ReadWholeFile(path);
        Send(plain.get(), QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
        Append(plain.get(), text);
        Send(plain.get(), QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        Send(plain.get(), QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
      }
      WaitForPaint(counter);
    }
  } else {
    std::cerr << "unknown memory mode " << mode << "\n";
    return 2;
  }
  Drain();
  std::printf("VmHWM=%ld VmRSS=%ld\n", kwbench::StatusKb("VmHWM"), kwbench::StatusKb("VmRSS"));
  std::fflush(stdout);
  return 0;
}

struct MemoryFigures {
  Summary peakKb;
  Summary rssKb;
};

// ---- Typing --------------------------------------------------------------

// A plain editor with a document of the toolkit's bulk-insert load, shown.
std::unique_ptr<QsciScintilla> PlainEditorWith(const std::string& text, bool notifications, QSize size) {
  auto editor = std::make_unique<QsciScintilla>();
  if (!notifications) Send(editor.get(), QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
  editor->resize(size);
  editor->show();
  Require(QTest::qWaitForWindowExposed(editor.get()), "editor not exposed");
  Send(editor.get(), QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
  Append(editor.get(), text);
  Send(editor.get(), QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  Send(editor.get(), QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
  Drain();
  return editor;
}

void PrintTyping(const char* label, const std::vector<double>& samples) {
  std::printf("  %-56s %s, first key %s ms, %zu keys\n", label, FormatMs(Summarize(samples)).c_str(),
              FormatNumber(samples.front(), 2).c_str(), samples.size());
}

struct Options {
  int rounds = 7;
  int sizeMiB = 50;
  int keys = 20;
  int memoryRuns = 3;
};

void Usage() {
  std::fprintf(stderr,
               "usage: bench_open [--rounds N] [--size-mib M] [--keys K] [--memory-runs R]\n"
               "  --rounds N       timed rounds of the open cases (default 7)\n"
               "  --size-mib M     size of the generated document (default 50)\n"
               "  --keys K         timed keystrokes in the window (default 20)\n"
               "  --memory-runs R  fresh processes per memory mode (default 3)\n"
               "       bench_open --write-document PATH   writes the 50 MiB document and exits\n");
}


std::string MiB(double kb) { return FormatNumber(kb / 1024, 1) + " MiB"; }

int RunBenchmark(int argc, char** argv) {
  // Internal: a fresh process that reports its memory.
  if (argc == 4 && std::strcmp(argv[1], "--child-memory") == 0) {
    int childArgc = 1;
    return MemoryChild(childArgc, argv, argv[2], argv[3]);
  }

  // For a look at what is measured.
  if (argc == 3 && std::strcmp(argv[1], "--write-document") == 0) {
    kwbench::WriteHtmlDocument(argv[2], uint64_t{50} << 20);
    return 0;
  }

  Options options;
  if (!kwbench::ParseIntOptions(argc, argv,
                                {{"--rounds", &options.rounds},
                                 {"--size-mib", &options.sizeMiB},
                                 {"--keys", &options.keys},
                                 {"--memory-runs", &options.memoryRuns}})) {
    Usage();
    return 2;
  }

  kwbench::TempDir scratch("kempwell-bench-open-");
  kwbench::PrepareQtEnvironment(scratch);

  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  const std::string path = scratch.Path() + "/large.html";
  const kwbench::GeneratedDocument doc = kwbench::WriteHtmlDocument(path, uint64_t(options.sizeMiB) << 20);
  const std::string text = kw::ReadWholeFile(path);
  // The same document as UTF-8 of the same size: every "er" becomes "é".
  const std::string utf8Path = scratch.Path() + "/large-utf8.html";
  {
    std::string utf8 = text;
    for (size_t at = utf8.find("er"); at != std::string::npos; at = utf8.find("er", at + 2)) utf8.replace(at, 2, "\xC3\xA9");
    std::FILE* f = std::fopen(utf8Path.c_str(), "wb");
    Require(f && std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size() && std::fclose(f) == 0, "UTF-8 copy");
  }
  std::printf("document: %s, %llu bytes, %llu lines, %.1f bytes per line, LF breaks\n", path.c_str(),
              static_cast<unsigned long long>(doc.bytes), static_cast<unsigned long long>(doc.lines),
              double(doc.bytes) / double(doc.lines));
  std::printf("platform: %s\n\n", qgetenv("QT_QPA_PLATFORM").constData());
  std::fflush(stdout);

  // ---- Open
  double lastPainted = 0;
  std::vector<double> painted;
  std::vector<Case> cases = {
      {"baseline A: QScintilla bulk insert, notifications on", [&] { return BulkInsert<QsciScintilla>(text, true); }, {}},
      {"baseline B: QScintilla bulk insert, notifications off", [&] { return BulkInsert<QsciScintilla>(text, false); }, {}},
      {"ours: SourceEditor::LoadFromFile", [&] { return SourceEditorLoad(path, doc.bytes); }, {}},
      {"window: TForm1::OpenDocument", [&] { return WindowOpen(path, doc.bytes, &lastPainted); }, {}},
      {"reference: reading the file alone (1 MiB pieces)", [&] { return ReadOnly(path, doc.bytes); }, {}},
      {"reference: SourceEditor, one insert of the buffer", [&] { return BulkInsert<kw::SourceEditor>(text, false); }, {}},
      {"reference: break-style detection alone", [&] { return BreakDetection(text); }, {}},
      {"UTF-8: SourceEditor::LoadFromFile", [&] { return SourceEditorLoad(utf8Path, doc.bytes); }, {}},
      {"UTF-8: TForm1::OpenDocument", [&] { return WindowOpen(utf8Path, doc.bytes, &lastPainted); }, {}},
  };
  const size_t kWindowCase = 3;
  // Round 0 warms caches and is not counted; each later round starts at a
  // different case so that no case always follows the same one.
  for (int round = 0; round <= options.rounds; ++round) {
    for (size_t k = 0; k < cases.size(); ++k) {
      const size_t i = (k + static_cast<size_t>(round)) % cases.size();
      const double ms = cases[i].run();
      if (round == 0) continue;
      cases[i].samples.push_back(ms);
      if (i == kWindowCase) painted.push_back(lastPainted);
    }
  }
  std::printf("open %d MiB: medians of %d rounds, cases alternating, (min .. max)\n", options.sizeMiB, options.rounds);
  for (const Case& c : cases) std::printf("  %-56s %s\n", c.label.c_str(), FormatMs(Summarize(c.samples)).c_str());
  std::printf("  %-56s %s\n", "window: OpenDocument until its first paint", FormatMs(Summarize(painted)).c_str());
  const double a = Summarize(cases[0].samples).median;
  const double b = Summarize(cases[1].samples).median;
  const double ours = Summarize(cases[2].samples).median;
  const double window = Summarize(cases[3].samples).median;
  std::printf("  ratios of medians: ours/A %s, ours/B %s, window/A %s, window/B %s, window/ours %s\n",
              FormatNumber(ours / a, 2).c_str(), FormatNumber(ours / b, 2).c_str(), FormatNumber(window / a, 2).c_str(),
              FormatNumber(window / b, 2).c_str(), FormatNumber(window / ours, 2).c_str());
  std::printf("  UTF-8 against ASCII of the same size: editor load %s, window open %s\n\n",
              FormatNumber(Summarize(cases[7].samples).median / ours, 2).c_str(),
              FormatNumber(Summarize(cases[8].samples).median / window, 2).c_str());
  std::fflush(stdout);

  // ---- Memory
  const std::vector<std::string> modes = {"window-empty", "window-open", "plain-empty", "plain-open"};
  std::vector<std::vector<double>> peaks(modes.size()), rss(modes.size());
  const std::string self = kwbench::SelfExecutable();
  for (int run = 0; run < options.memoryRuns; ++run) {
    for (size_t m = 0; m < modes.size(); ++m) {
      kwbench::Child child = kwbench::SpawnChild({self, "--child-memory", modes[m], path});
      std::string out;
      Require(kwbench::FinishChild(child, &out), "memory child failed");
      peaks[m].push_back(std::atof(kwbench::Field(out, "VmHWM").c_str()));
      rss[m].push_back(std::atof(kwbench::Field(out, "VmRSS").c_str()));
    }
  }
  auto perByte = [&](size_t open, size_t empty, const std::vector<std::vector<double>>& kb) {
    return (Summarize(kb[open]).median - Summarize(kb[empty]).median) * 1024 / double(doc.bytes);
  };
  std::printf("memory: medians of %d fresh processes per mode (VmHWM = peak resident, VmRSS = resident at the end)\n",
              options.memoryRuns);
  for (size_t m = 0; m < modes.size(); ++m)
    std::printf("  %-14s VmHWM %s, VmRSS %s\n", modes[m].c_str(), MiB(Summarize(peaks[m]).median).c_str(),
                MiB(Summarize(rss[m]).median).c_str());
  std::printf("  window: %s bytes of peak memory per document byte, %s resident after the load\n",
              FormatNumber(perByte(1, 0, peaks), 2).c_str(), FormatNumber(perByte(1, 0, rss), 2).c_str());
  std::printf("  baseline A plain editor: %s bytes of peak memory per document byte, %s resident after the load\n\n",
              FormatNumber(perByte(3, 2, peaks), 2).c_str(), FormatNumber(perByte(3, 2, rss), 2).c_str());
  std::fflush(stdout);

  // ---- Typing
  std::printf("typing 'x' with the caret in the middle of the %d MiB document, until painted, median (min .. max)\n",
              options.sizeMiB);
  QSize editorSize;
  {
    std::unique_ptr<kw::TForm1> form = ShownWindow();
    PaintCounter counter(form->Editor->viewport());
    form->Guarded([&] { form->OpenDocument(path); });
    WaitForPaint(counter);
    Require(!kwbench::WindowReportedError(), "the window reported an error");
    editorSize = form->Editor->size();
    PlaceCaretInMiddle(form->Editor, form.get());
    PrintTyping("window: SourceEditor in TForm1", TypeKeys(form->Editor, form->Editor, options.keys));
  }
  Drain();
  {
    auto plain = PlainEditorWith(text, true, editorSize);
    PlaceCaretInMiddle(plain.get(), plain.get());
    PrintTyping("baseline A: plain QScintilla, notifications on", TypeKeys(plain.get(), plain.get(), options.keys, 50, 5));
  }
  Drain();
  {
    auto plain = PlainEditorWith(text, false, editorSize);
    PlaceCaretInMiddle(plain.get(), plain.get());
    PrintTyping("baseline B: plain QScintilla, notifications off", TypeKeys(plain.get(), plain.get(), options.keys));
  }
  Drain();
  return 0;
}
}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, RunBenchmark); }
