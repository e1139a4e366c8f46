// kempwell-tidy over a few hundred small pages against a shell loop running
// tidy's two command lines by hand, one page after another; on one page
// against the two command lines alone; and the start of each program.
// Usage and the meaning of each figure: bench/README.md.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "common/paths.h"
#include "common/command_line.h"
#include "tidy/headless_arguments.h"
#include "tidy/tidy_job.h"

using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Require;
using kwbench::Summarize;

namespace {

struct Options {
  int rounds = 5;
  int documents = 300;
};

// A child run to its end, its output read and dropped.
double Timed(const std::vector<std::string>& argv, bool quietErrors = false) {
  const int64_t t0 = NowNs();
  kwbench::Child child = kwbench::SpawnChild(argv, quietErrors);
  std::string output;
  kwbench::FinishChild(child, &output);
  return Ms(NowNs() - t0);
}

// The loop a user would write: both command lines (the built-in options,
// the working files in the program directory) for each page in turn.
std::string WriteShellLoop(const std::string& path, const std::string& programDir) {
  std::ofstream script(path);
  script << "for f in \"$@\"; do\n  "
         << kw::FirstTidyCommandLine(programDir, kw::DefaultTidyOptions, "\"$f\"") << "\n  "
         << kw::SecondTidyCommandLine(programDir, kw::DefaultTidyOptions) << "\ndone >/dev/null 2>&1\n";
  Require(script.good(), "cannot write the shell loop");
  return path;
}

// Both command lines for one page, each child started without a shell.
double TwoCommandLines(const std::string& programDir, const std::string& page) {
  const int64_t t0 = NowNs();
  for (const std::string& command :
       {kw::FirstTidyCommandLine(programDir, kw::DefaultTidyOptions, kw::DocumentArgument(page)),
        kw::SecondTidyCommandLine(programDir, kw::DefaultTidyOptions)}) {
    std::vector<std::string> argv = kw::SplitCommandLine(command);
    argv.front() = kw::FindProgram("tidy", "");
    kwbench::Child child = kwbench::SpawnChild(argv, true);
    std::string output;
    kwbench::FinishChild(child, &output);
  }
  return Ms(NowNs() - t0);
}

void Print(const std::vector<kwbench::Case>& cases, size_t baseline) {
  const double base = kwbench::Median(cases[baseline]);
  for (const kwbench::Case& c : cases)
    std::cout << "  " << c.label << ": " << FormatMs(Summarize(c.samples))
              << (&c == &cases[baseline] ? std::string() : "   ratio " + FormatNumber(kwbench::Median(c) / base, 3))
              << "\n";
}

int Run(int argc, char** argv) {
  Options options;
  if (!kwbench::ParseIntOptions(argc, argv, {{"--rounds", &options.rounds}, {"--documents", &options.documents}})) {
    std::cerr << "usage: bench_batch [--rounds N] [--documents D]\n";
    return 2;
  }
  kwbench::TempDir scratch("kempwell-bench-batch");
  kwbench::PrepareQtEnvironment(scratch);
  ::setenv("LC_ALL", "C", 1);  // as the program gives tidy
  const std::string tidy = kw::FindProgram("tidy", "");
  Require(!tidy.empty(), "tidy is not installed");
  const std::string programDir = kw::JoinPath(scratch.Path(), "program");
  const std::string binDir = kw::FolderPart(kwbench::SelfExecutable()) + "/..";
  const std::string batch = kw::AbsolutePath(binDir + "/kempwell-tidy");
  const std::string window = kw::AbsolutePath(binDir + "/kempwell");
  Require(kw::PathExists(batch) && kw::PathExists(window), "build kempwell and kempwell-tidy first");

  const std::string pages = kw::JoinPath(scratch.Path(), "pages");
  ::mkdir(pages.c_str(), 0700);
  std::vector<std::string> files;
  uint64_t bytes = 0;
  for (int i = 0; i < options.documents; ++i) {
    files.push_back(pages + "/page " + std::to_string(i) + ".htm");
    bytes += kwbench::WriteSmallPage(files.back(), i).bytes;
  }
  const std::string loop = WriteShellLoop(scratch.Path() + "/loop.sh", programDir);

  std::vector<std::string> loopArgv = {"/bin/sh", loop};
  loopArgv.insert(loopArgv.end(), files.begin(), files.end());
  std::vector<std::string> batchArgv = {batch};
  batchArgv.insert(batchArgv.end(), files.begin(), files.end());
  std::cout << options.documents << " small pages (" << FormatNumber(double(bytes) / options.documents / 1024, 1)
            << " KiB on average, one in five with errors), " << options.rounds << " rounds, "
            << kw::UsableProcessors() << " processors\n";
  std::vector<kwbench::Case> many = {
      {"shell loop, two command lines per page", [&] { return Timed(loopArgv); }, {}},
      {"kempwell-tidy on all pages          ", [&] { return Timed(batchArgv, true); }, {}}};
  kwbench::RunRounds(many, options.rounds);
  Print(many, 0);

  // Each case takes one page of each kind in turn: the same pages, as often.
  size_t next[3] = {0, 0, 0};
  auto page = [&](size_t c) { return files[next[c]++ % 5]; };
  std::cout << "One small page, " << options.rounds * 5 << " rounds\n";
  std::vector<kwbench::Case> one = {
      {"the two command lines     ", [&] { return TwoCommandLines(programDir, page(0)); }, {}},
      {"kempwell-tidy PAGE        ", [&] { return Timed({batch, page(1)}, true); }, {}},
      {"kempwell --tidy PAGE      ", [&] { return Timed({window, "--tidy", page(2)}, true); }, {}}};
  kwbench::RunRounds(one, options.rounds * 5);
  Print(one, 0);

  std::cout << "Start and end without a run (a wrong command line), " << options.rounds * 5 << " rounds\n";
  std::vector<kwbench::Case> start = {
      {"/bin/true                 ", [&] { return Timed({"/bin/true"}); }, {}},
      {"kempwell-tidy --bad       ", [&] { return Timed({batch, "--bad"}, true); }, {}},
      {"kempwell --tidy --bad     ", [&] { return Timed({window, "--tidy", "--bad"}, true); }, {}}};
  kwbench::RunRounds(start, options.rounds * 5);
  Print(start, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, Run); }
