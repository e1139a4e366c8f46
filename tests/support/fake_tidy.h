// A program folder and a PATH on which "tidy" is the stand-in script
// tests/tidy/fake_tidy, with its report, delays and logs under test control.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "document/string_list.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"

namespace kw::test {

class FakeTidy {
 public:
  FakeTidy()
      : link_(::symlink(KW_FAKE_TIDY, bin_.File("tidy").c_str())),
        programDirEnv_("KEMPWELL_PROGRAM_DIR", programDir_.Path()),
        pathEnv_("PATH", bin_.Path() + ":" + Env("PATH")),
        logEnv_("FAKE_TIDY_LOG", work_.File("args.log")) {}

  const TempFolder& ProgramFolder() const { return programDir_; }
  std::string ProgramDir() const { return programDir_.Path(); }

  // The report that tidy writes to its -f file.
  void SetReport(const std::string& errs) {
    ::setenv("FAKE_TIDY_ERRS", work_.Write("report.txt", errs).c_str(), 1);
  }
  // Each run's arguments after the program name.
  std::vector<std::vector<std::string>> Runs() const {
    std::vector<std::vector<std::string>> runs(1);
    std::string argument;
    for (char c : TempFolder::Read(work_.File("args.log"))) {
      if (c == '\0') {
        runs.back().push_back(argument);
        argument.clear();
      } else if (c == '\n' && argument.empty()) {
        runs.emplace_back();  // no argument begins with a line break: this ends a run
      } else {
        argument += c;
      }
    }
    runs.pop_back();
    return runs;
  }
  // The process id of each run.
  std::vector<pid_t> Pids() const {
    std::vector<pid_t> pids;
    for (const std::string& line : kw::SplitStringList(TempFolder::Read(work_.File("args.log.pid")))) pids.push_back(std::stoi(line));
    return pids;
  }
  // LC_ALL as each run saw it.
  std::string LocaleLog() const { return TempFolder::Read(work_.File("args.log.env")); }

  ~FakeTidy() {
    for (const char* name : {"FAKE_TIDY_ERRS", "FAKE_TIDY_SLEEP", "FAKE_TIDY_NO_OUTPUT", "FAKE_TIDY_CRASH",
                             "FAKE_TIDY_EXIT", "FAKE_TIDY_SAME", "FAKE_TIDY_ECHO"})
      ::unsetenv(name);
  }

 private:
  static std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }

  TempFolder bin_;
  TempFolder work_;
  TempFolder programDir_;
  int link_;
  ScopedEnv programDirEnv_;
  ScopedEnv pathEnv_;
  ScopedEnv logEnv_;
};

}  // namespace kw::test
