// Shared pieces of the benchmarks: clocks, medians, child processes, the
// generated document and the environment an offscreen Qt needs.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kwbench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in parent and child, so a
// child can report when it reached a step and the parent can subtract.
int64_t NowNs();
inline double Ms(int64_t ns) { return static_cast<double>(ns) / 1e6; }

struct Summary {
  double median = 0;
  double min = 0;
  double max = 0;
  size_t count = 0;
};
Summary Summarize(std::vector<double> values);
// "131.2 ms (128.0 .. 140.9)"
std::string FormatMs(const Summary& s);
std::string FormatNumber(double value, int decimals);

// One measured case: run gives one sample in milliseconds.
struct Case {
  std::string label;
  std::function<double()> run;
  std::vector<double> samples;
};
// Round 0 warms the caches and is not counted; each later round starts at a
// different case so that no case always follows the same one.
void RunRounds(std::vector<Case>& cases, int rounds);
double Median(const Case& c);

// "--name N" pairs into the given ints; false for an unknown name, a missing
// value or a value below the option's minimum.
struct IntOption {
  const char* name;
  int* value;
  int minimum = 1;  // 0 where zero means "skip this case"
};
bool ParseIntOptions(int argc, char** argv, const std::vector<IntOption>& options);

// A folder under $TMPDIR (or /tmp) removed with its contents on destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix);
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// QT_QPA_PLATFORM=offscreen unless already chosen, a private XDG_RUNTIME_DIR
// when none is set, and a fresh KEMPWELL_PROGRAM_DIR and XDG_CONFIG_HOME in
// the scratch folder. Children inherit them all.
void PrepareQtEnvironment(const TempDir& scratch);

// Drops the offscreen platform's warnings that it cannot propagate size
// hints (printed for every main window) or raise a window; other messages pass.
void QuietOffscreenWarnings();

// Runs a benchmark's body with the warnings quietened; an error escaping it
// is printed and gives exit status 2.
int BenchmarkMain(int argc, char** argv, int (*run)(int, char**));

std::string SelfExecutable();

// A child started without a shell, its stdout on a pipe.
struct Child {
  pid_t pid = -1;
  int out = -1;
};
// quietErrors sends the child's standard error to /dev/null.
Child SpawnChild(const std::vector<std::string>& argv, bool quietErrors = false);
// Reads up to and including the first line break; empty at end of output.
std::string ReadLine(int fd);
// Reads what is left, closes the pipe and reaps the child; false when the
// child failed.
bool FinishChild(Child& child, std::string* rest = nullptr);

// Fields of /proc/self/status such as "VmHWM", in KiB; -1 when missing.
long StatusKb(const char* field);

// Sets VmHWM back to the current VmRSS, so that it holds the peak of what
// follows; false when the kernel refused (VmHWM then counts from the start).
bool ResetPeakResident();

// "key=value" out of a line of such pairs separated by blanks.
std::string Field(const std::string& line, const std::string& key);

struct GeneratedDocument {
  uint64_t bytes = 0;
  uint64_t lines = 0;
};
// A deterministic HTML document of about `bytes` bytes with LF breaks:
// nested markup with attributes, text with entities, comments, tables and
// links, lines of about 70 bytes on average.
GeneratedDocument WriteHtmlDocument(const std::string& path, uint64_t bytes);

// A small page (about 0.5 to 16 KiB), deterministic for its variant, of one
// of five kinds by variant % 5: a clean page; one tidy warns about (no
// title, unclosed paragraphs, tables without a summary); one with an
// unknown element, which tidy refuses to clean; UTF-8 text declared as such;
// ISO-8859-1 bytes on lines, some of which end in CR LF.
GeneratedDocument WriteSmallPage(const std::string& path, int variant);

}  // namespace kwbench
