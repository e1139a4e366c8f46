// Search speed: the engine line by line against the C library's memmem, and
// a find through a loaded editor, ISO-8859-1 and UTF-8, against the engine
// alone over the same lines. Usage and the meaning of each figure: bench/README.md.
#include <string.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "controls/source_editor.h"
#include "document/file_io.h"
#include "search/edit_search.h"
#include "search/editor_find.h"

using kwbench::Drain;
using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Require;
using kwbench::Summarize;

namespace {

using kwbench::Case;
using kwbench::Median;
using kwbench::RunRounds;

// ---- The engine against memmem ---------------------------------------------

constexpr size_t kLineBytes = 80;
constexpr std::string_view kRare8 = "quixotic";
constexpr std::string_view kRare20 = "thermodynamic lizard";

// Lines of exactly kLineBytes bytes of English-like words, each line
// capitalised, each followed by LF; the two rare patterns are planted every
// few thousand lines so that both searches have something to count.
std::string WordLines(uint64_t bytes, std::vector<std::string_view>* lines) {
  static const char* const kWords[] = {
      "the",     "of",      "and",     "to",       "in",      "is",     "that",   "for",     "it",
      "as",      "was",     "with",    "be",       "by",      "on",     "not",    "he",      "this",
      "are",     "or",      "his",     "from",     "at",      "which",  "but",    "have",    "an",
      "had",     "they",    "you",     "were",     "their",   "one",    "all",    "we",      "can",
      "her",     "has",     "there",   "been",     "if",      "more",   "when",   "will",    "would",
      "who",     "so",      "no",      "document", "element", "search", "window", "editor",  "table",
      "between", "through", "because", "another",  "without", "number", "people", "morning", "question",
      "river",   "garden",  "station", "picture",  "letter",  "market", "summer", "kitchen", "distance"};
  std::mt19937_64 rng(20240607);
  std::string text;
  text.reserve(bytes + kLineBytes + 1);
  for (uint64_t n = 0; text.size() + kLineBytes + 1 <= bytes; ++n) {
    std::string line;
    while (line.size() < kLineBytes) {
      line += kWords[rng() % (sizeof kWords / sizeof *kWords)];
      line += ' ';
    }
    line.resize(kLineBytes);
    line[0] = static_cast<char>(line[0] - 'a' + 'A');
    if (n % 5003 == 17) line.replace(n % 61, kRare8.size(), kRare8);
    if (n % 4001 == 3) line.replace(n % 53, kRare20.size(), kRare20);
    text += line;
    text += '\n';
  }
  for (size_t at = 0; at < text.size(); at += kLineBytes + 1) lines->push_back({text.data() + at, kLineBytes});
  return text;
}

double EngineOverLines(const std::vector<std::string_view>& lines, std::string_view pattern, unsigned options,
                       uint64_t* matches) {
  kw::TEditSearch engine;
  engine.SetOptions(options);
  engine.SetPattern(pattern);
  uint64_t count = 0;
  const int64_t t0 = NowNs();
  for (std::string_view line : lines) count += static_cast<uint64_t>(engine.FindAll(line));
  const int64_t t1 = NowNs();
  *matches = count;
  return Ms(t1 - t0);
}

// Every non-overlapping match of each line, as FindAll reports them.
double MemmemOverLines(const std::vector<std::string_view>& lines, std::string_view pattern, uint64_t* matches) {
  uint64_t count = 0;
  const int64_t t0 = NowNs();
  for (std::string_view line : lines) {
    const char* at = line.data();
    const char* const end = line.data() + line.size();
    while (const void* hit = memmem(at, static_cast<size_t>(end - at), pattern.data(), pattern.size())) {
      ++count;
      at = static_cast<const char*>(hit) + pattern.size();
    }
  }
  const int64_t t1 = NowNs();
  *matches = count;
  return Ms(t1 - t0);
}

void EngineAgainstMemmem(int rounds, int mib) {
  std::vector<std::string_view> lines;
  const std::string text = WordLines(uint64_t(mib) << 20, &lines);
  std::printf("(1) engine against memmem: %zu lines of %zu bytes (+ LF), %s MiB, one call per line\n", lines.size(),
              kLineBytes, FormatNumber(double(text.size()) / (1 << 20), 1).c_str());
  for (std::string_view pattern : {kRare8, kRare20}) {
    uint64_t expected = 0;
    uint64_t sensitive = 0;
    uint64_t insensitive = 0;
    std::vector<Case> cases = {
        {"memmem", [&] { return MemmemOverLines(lines, pattern, &expected); }, {}},
        {"FindAll, case-sensitive", [&] { return EngineOverLines(lines, pattern, kw::soMatchCase, &sensitive); }, {}},
        {"FindAll, ignoring case", [&] { return EngineOverLines(lines, pattern, 0, &insensitive); }, {}},
    };
    RunRounds(cases, rounds);
    Require(expected > 0 && sensitive == expected && insensitive == expected, "match counts differ");
    std::printf("  pattern \"%.*s\" (%zu bytes), %llu matches: medians of %d rounds, (min .. max)\n",
                static_cast<int>(pattern.size()), pattern.data(), pattern.size(),
                static_cast<unsigned long long>(expected), rounds);
    for (const Case& c : cases) {
      std::printf("    %-26s %s", c.label.c_str(), FormatMs(Summarize(c.samples)).c_str());
      if (&c != &cases[0])
        std::printf(", ratio memmem/FindAll %sx", FormatNumber(Median(cases[0]) / Median(c), 2).c_str());
      std::printf("\n");
    }
  }
  std::printf("  (a ratio above 1 means FindAll is faster than memmem)\n\n");
  std::fflush(stdout);
}

// ---- A find through the editor ---------------------------------------------

constexpr std::string_view kMarkerLine = "<!-- the end: Last-Line-Marker -->";
// The same, with letters whose case the UTF-8 search folds.
constexpr std::string_view kUtf8MarkerLine = "<!-- the end: Last-Line-Marker \xC3\x89t\xC3\xA9 -->";
constexpr std::string_view kUtf8Paragraph =
    "  <p>\xC3\x89t\xC3\xA9 \xC3\xA0 K\xC3\xB6ln, na\xC3\xAFve fa\xC3\xA7" "ade: 5 \xE2\x82\xAC \xE2\x80\x94 "
    "\xC4\x89 \xC4\xA9</p>\n";

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0;;) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (last) return lines;
    start = end + 1;
  }
}

// bench_open's document declared UTF-8, with a paragraph of accented letters
// and other multi-byte characters after every eighth line.
void MakeUtf8(const std::string& path) {
  std::string text = kw::ReadWholeFile(path);
  const std::string_view declared = "charset=iso-8859-1";
  text.replace(text.find(declared), declared.size(), "charset=utf-8");
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  size_t lines = 0;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    out.append(text, start, end + 1 - start);
    if (++lines % 8 == 0) out += kUtf8Paragraph;
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << out;
}

// What the find does, without the editor: the lines from the top until one
// has a match.
double EngineUntilMatch(const std::vector<std::string_view>& lines, std::string_view pattern, unsigned options,
                        kw::TextEncoding encoding, size_t* line) {
  kw::TEditSearch engine;
  const int64_t t0 = NowNs();
  engine.SetEncoding(encoding);
  engine.SetOptions(options);
  engine.SetPattern(pattern);
  size_t i = 0;
  while (i < lines.size() && engine.FindAll(lines[i]) == 0) ++i;
  const int64_t t1 = NowNs();
  *line = i + 1;
  return Ms(t1 - t0);
}

double FindThroughEditor(kw::SourceEditor& editor, std::string_view pattern, unsigned options, int* line) {
  kw::TEditSearch engine;
  editor.SetCaretPos({1, 1});
  const int64_t t0 = NowNs();
  const int found = kw::FindInEditor(editor, engine, pattern, options);
  const int64_t t1 = NowNs();
  Require(found == 1, "the editor found nothing");
  *line = editor.CaretPos().line;
  Drain();
  return Ms(t1 - t0);
}

void FindInLoadedEditor(int rounds, int mib, const kwbench::TempDir& scratch, kw::TextEncoding encoding) {
  const bool utf8 = encoding == kw::TextEncoding::Utf8;
  const std::string path = scratch.Path() + (utf8 ? "/find-utf8.html" : "/find.html");
  kwbench::WriteHtmlDocument(path, uint64_t(mib) << 20);
  if (utf8) MakeUtf8(path);
  std::ofstream(path, std::ios::binary | std::ios::app) << (utf8 ? kUtf8MarkerLine : kMarkerLine);
  const std::string text = kw::ReadWholeFile(path);
  const std::vector<std::string_view> lines = SplitLines(text);

  kw::SourceEditor editor;
  editor.resize(800, 600);
  editor.show();
  editor.LoadFromFile(path);
  Drain();
  Require(editor.LineCount() == static_cast<int>(lines.size()), "line counts differ");
  Require(editor.Encoding() == encoding, "the editor took the document in another encoding");
  if (utf8)
    std::printf("(3) the same find in a UTF-8 document: %s MiB, %zu lines (the generated HTML declared UTF-8, "
                "a line of multi-byte characters after every eighth, + one line)\n",
                FormatNumber(double(text.size()) / (1 << 20), 1).c_str(), lines.size());
  else
    std::printf("(2) a find from the top to the last line: %s MiB document, %zu lines (generated HTML + one line)\n",
                FormatNumber(double(text.size()) / (1 << 20), 1).c_str(), lines.size());

  struct Mode {
    const char* name;
    std::string_view pattern;
    unsigned options;
  };
  const Mode latin1Modes[] = {{"ignoring case", "last-line-marker", kw::soEntireScope},
                              {"case-sensitive", "Last-Line-Marker", kw::soEntireScope | kw::soMatchCase}};
  const Mode utf8Modes[] = {
      {"ignoring case", "last-line-marker \xC3\xA9t\xC3\xA9", kw::soEntireScope},
      {"case-sensitive", "Last-Line-Marker \xC3\x89t\xC3\xA9", kw::soEntireScope | kw::soMatchCase}};
  for (const Mode& mode : utf8 ? utf8Modes : latin1Modes) {
    size_t engineLine = 0;
    int editorLine = 0;
    std::vector<Case> cases = {
        {"engine alone, lines in memory",
         [&] { return EngineUntilMatch(lines, mode.pattern, mode.options, encoding, &engineLine); }, {}},
        {"FindInEditor on the loaded editor",
         [&] { return FindThroughEditor(editor, mode.pattern, mode.options, &editorLine); }, {}},
    };
    RunRounds(cases, rounds);
    Require(engineLine == lines.size() && editorLine == static_cast<int>(lines.size()), "not found on the last line");
    std::printf("  \"%.*s\", %s: medians of %d rounds, (min .. max)\n", static_cast<int>(mode.pattern.size()),
                mode.pattern.data(), mode.name, rounds);
    for (const Case& c : cases) std::printf("    %-36s %s\n", c.label.c_str(), FormatMs(Summarize(c.samples)).c_str());
    std::printf("    editor/engine: %sx\n", FormatNumber(Median(cases[1]) / Median(cases[0]), 2).c_str());
  }
}

struct Options {
  int rounds = 7;
  int engineMiB = 100;
  int editorMiB = 50;
};

int RunBenchmark(int argc, char** argv) {
  Options options;
  if (!kwbench::ParseIntOptions(argc, argv,
                                {{"--rounds", &options.rounds},
                                 {"--engine-mib", &options.engineMiB},
                                 {"--editor-mib", &options.editorMiB}})) {
    std::fprintf(stderr,
                 "usage: bench_search [--rounds N] [--engine-mib M] [--editor-mib M]\n"
                 "  --rounds N       timed rounds of each case (default 7)\n"
                 "  --engine-mib M   text for the engine against memmem (default 100)\n"
                 "  --editor-mib M   documents for the finds through the editor (default 50)\n");
    return 2;
  }
  EngineAgainstMemmem(options.rounds, options.engineMiB);

  kwbench::TempDir scratch("kempwell-bench-search-");
  kwbench::PrepareQtEnvironment(scratch);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  FindInLoadedEditor(options.rounds, options.editorMiB, scratch, kw::TextEncoding::Latin1);
  FindInLoadedEditor(options.rounds, options.editorMiB, scratch, kw::TextEncoding::Utf8);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, RunBenchmark); }
