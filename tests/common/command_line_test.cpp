#include "common/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "support/scoped_env.h"
#include "support/temp_files.h"

namespace kw {
namespace {

using Args = std::vector<std::string>;

// What quoting never produces; the round trip below covers the rest.
TEST(CommandLineSplit, FollowsTheCRuntimeRules) {
  const struct {
    const char* name;
    std::string line;
    Args args;
  } cases[] = {
      {"blanks and tabs around, runs of them once", " a \t b\t", {"a", "b"}},
      {"a blank line has no arguments", " \t ", {}},
      {"quotes inside a word only group", "a\"b c\"d e", {"ab cd", "e"}},
      {"backslashes not before a quote are literal", "a\\b\\\\ c\\", {"a\\b\\\\", "c\\"}},
      {"a pair of quotes in a quoted part is one quote", "\"a\"\"b c\" d", {"a\"b c", "d"}},
      {"a pair of quotes outside is an empty group", "a\"\"b", {"ab"}},
      {"an unclosed quote runs to the end", "a \"b c", {"a", "b c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.name;
}

TEST(CommandLineQuote, QuotesOnlyWhenNeeded) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/u/My Pages/index.htm", "\"/home/u/My Pages/index.htm\""},
      {"tab\there", "\"tab\there\""},
      {"C:\\A&B;$(x)\\index.htm", "C:\\A&B;$(x)\\index.htm"},
      {"", "\"\""},
  };
  for (const auto& [argument, quoted] : cases) EXPECT_EQ(QuoteArgument(argument), quoted);
  EXPECT_EQ(QuoteArgument("bare", true), "\"bare\"");
}

TEST(CommandLineQuote, AnyBytesSurviveTheSplit) {
  // Biased towards the bytes the rules are about.
  static const char kSpecial[] = " \t\"\\\n\r\0a\xE9\xFF&;'`$";
  const std::string special(kSpecial, sizeof kSpecial - 1);
  std::mt19937 random(20240611);
  for (int round = 0; round < 5000; ++round) {
    Args args(1 + random() % 4);
    std::string line;
    for (std::string& arg : args) {
      arg.resize(random() % 12);
      for (char& c : arg) {
        c = random() % 2 ? special[random() % special.size()] : static_cast<char>(random());
      }
      line += (line.empty() ? "" : std::string(1 + random() % 2, random() % 2 ? ' ' : '\t')) +
              QuoteArgument(arg, random() % 4 == 0);
    }
    ASSERT_EQ(SplitCommandLine(line), args) << "line: " << line;
  }
}

// A file that may not be executed is passed over, as a shell does, and named
// (EACCES) only when no executable one follows.
TEST(CommandLineFind, SearchDirBeforePathAndOnlyExecutableFiles) {
  const test::TempFolder first, onPath;
  const auto make = [](const test::TempFolder& dir, const std::string& name, mode_t mode) {
    ::chmod(dir.Write(name, "#!/bin/sh\n").c_str(), mode);
    return dir.File(name);
  };
  const std::string inBoth = make(first, "in-both", 0755);
  make(onPath, "in-both", 0755);
  make(first, "plain-file", 0644);
  const std::string executableOnPath = make(onPath, "plain-file", 0755);
  make(first, "plain-everywhere", 0644);
  make(onPath, "plain-everywhere", 0600);
  ::mkdir(first.File("a-dir").c_str(), 0755);
  const std::string onlyOnPath = make(onPath, "only-on-path", 0755);
  const test::ScopedEnv path("PATH", "/nonexistent:" + onPath.Path());

  const struct {
    const char* program;
    std::string searchDir, want;
    int error;
  } cases[] = {
      {"in-both", first.Path(), inBoth, 0}, {"in-both", "", onPath.File("in-both"), 0},
      {"plain-file", first.Path(), executableOnPath, 0}, {"only-on-path", first.Path(), onlyOnPath, 0},
      {"plain-everywhere", first.Path(), "", EACCES},
      {"a-dir", first.Path(), "", ENOENT}, {"missing", first.Path(), "", ENOENT}, {"", first.Path(), "", ENOENT},
      {"./missing", first.Path(), "./missing", 0},
  };
  for (const auto& c : cases) {
    int error = -1;
    EXPECT_EQ(FindProgram(c.program, c.searchDir, &error), c.want) << c.program;
    EXPECT_EQ(error, c.error) << c.program;
  }
}

}  // namespace
}  // namespace kw
