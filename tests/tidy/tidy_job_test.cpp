// The tidy run without a window: options, command lines, both runs against
// the stand-in tidy and the real one, the working files and the lock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "common/error.h"
#include "common/paths.h"
#include "support/fake_tidy.h"
#include "support/thrown.h"
#include "tidy/command_line.h"
#include "tidy/headless_tidy.h"
#include "tidy/run_lock.h"
#include "tidy/tidy_job.h"

namespace kw {
namespace {

using test::FakeTidy;
using test::TempFolder;

// Runs restore the working directory they change, so that tests stay independent.
class TidyJobTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_EQ(::chdir(startDir_.c_str()), 0); }

  struct Outcome {
    std::vector<TTreeData> rows;
    std::string status;
    std::optional<std::string> cleaned;
    std::string startFailure;
  };
  Outcome Run(const std::string& document, const std::function<void(TidyJob&)>& prepare = {}) {
    TidyJob job(tidy_.ProgramDir(), document);
    Outcome outcome;
    job.OnCleaned = [&](const std::string& file) { outcome.cleaned = TempFolder::Read(file); };
    job.Report.OnStatus = [&](const std::string& text) { outcome.status = text; };
    if (prepare) prepare(job);
    std::vector<std::string> options;
    DiagRows rows;
    job.Execute(options, rows);
    outcome.rows = rows.Rows();
    outcome.startFailure = job.StartFailure;
    return outcome;
  }

  std::string startDir_ = CurrentDirectory();
  FakeTidy tidy_;
  TempFolder docs_;
};

TEST(TidyCommandLines, FollowTheDesignedFormWithWorkingFilesAlwaysQuoted) {
  const std::string document = DocumentArgument("/My Pages/index.htm");
  EXPECT_EQ(FirstTidyCommandLine("/Tools/Cleaner", "--wrap no", document),
            R"(tidy -f "/Tools/Cleaner/errs.txt" --wrap no -o "/Tools/Cleaner/~tidied.htm" "/My Pages/index.htm")");
  EXPECT_EQ(SecondTidyCommandLine("/Tools/Cleaner", "--wrap no"),
            R"(tidy -f "/Tools/Cleaner/errs.txt" --wrap no "/Tools/Cleaner/~tidied.htm")");
  EXPECT_EQ(DocumentArgument("/pages/a&b.htm"), "/pages/a&b.htm");
}

TEST(TidyCommandLines, EveryDocumentNameReachesTidyAsOneLiteralArgument) {
  for (const std::string name : {"/a \"quoted\" name.htm", "/x/ends with\\", "/tab\there", "/new\nline",
                                 "/semi;colon&amp $(rm -rf x) `id`.htm", "/latin\xe9\xff.htm"}) {
    const std::vector<std::string> argv =
        SplitCommandLine(FirstTidyCommandLine("/p d", "--wrap no", DocumentArgument(name)));
    ASSERT_EQ(argv.size(), 8u) << name;
    EXPECT_EQ(argv.back(), name);
    EXPECT_EQ(argv[2], "/p d/errs.txt");
  }
  // A relative name is made absolute, so it cannot begin with '-'.
  EXPECT_EQ(DocumentArgument("-o.htm"), JoinPath(CurrentDirectory(), "-o.htm"));
}

TEST_F(TidyJobTest, OptionsComeFromTheFirstLineOfParamsOrTheDefault) {
  EXPECT_EQ(LoadTidyOptions(tidy_.ProgramDir()), std::vector<std::string>{DefaultTidyOptions});
  tidy_.ProgramFolder().Write("params.txt", "--indent auto\r\n--ignored yes\r\n");
  const std::string doc = docs_.Write("page.htm", "<p>x");
  Run(doc);
  const auto runs = tidy_.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0], (std::vector<std::string>{"-f", JoinPath(tidy_.ProgramDir(), "errs.txt"), "--indent", "auto",
                                               "-o", JoinPath(tidy_.ProgramDir(), "~tidied.htm"), doc}));
  EXPECT_EQ(runs[1], (std::vector<std::string>{"-f", JoinPath(tidy_.ProgramDir(), "errs.txt"), "--indent", "auto",
                                               JoinPath(tidy_.ProgramDir(), "~tidied.htm")}));
  // English reports, whatever the user's language.
  EXPECT_EQ(tidy_.LocaleLog(), "C\nC\n");
}

TEST_F(TidyJobTest, AnEmptyParamsFileStopsTheRunBeforeTidyAndNamesTheFile) {
  tidy_.ProgramFolder().Write("params.txt", "");
  const std::string message = test::ThrownText<EKempwellError>([&] { Run(docs_.Write("p.htm", "x")); });
  EXPECT_NE(message.find(JoinPath(tidy_.ProgramDir(), "params.txt")), std::string::npos) << message;
  EXPECT_TRUE(tidy_.Runs().empty());
}

TEST_F(TidyJobTest, ARunLoadsTheCleanedDocumentListsTheSecondReportAndLeavesNoWorkingFiles) {
  tidy_.SetReport("line 12 column 5 - Warning: b\nline 3 column 1 - Warning: a\nline 12 column 9 - Warning: b\n");
  // Stale files of an earlier failed run are not taken for this run's.
  tidy_.ProgramFolder().Write("~tidied.htm", "stale");
  const Outcome outcome = Run(docs_.Write("my page.htm", "<p>x\r\n"));
  EXPECT_EQ(outcome.cleaned, "<!-- tidied -->\n<p>x\r\n");
  ASSERT_EQ(outcome.rows.size(), 2u);
  EXPECT_EQ(outcome.rows[0].Line, "3");
  EXPECT_EQ(outcome.rows[1].Message, " Warning: b");
  EXPECT_EQ(outcome.status, "2 Warnings");
  for (const char* name : {"errs.txt", "~tidied.htm"}) EXPECT_FALSE(PathExists(tidy_.ProgramFolder().File(name)));
  EXPECT_EQ(CurrentDirectory(), tidy_.ProgramDir());
}

TEST_F(TidyJobTest, NoCleanedDocumentLeavesTheTextAloneAndTheSecondRunStillReports) {
  ::setenv("FAKE_TIDY_NO_OUTPUT", "1", 1);
  const Outcome outcome = Run(docs_.Write("p.htm", "x"));
  EXPECT_FALSE(outcome.cleaned);
  ASSERT_EQ(outcome.rows.size(), 1u);
  EXPECT_EQ(outcome.status, "0 Warnings");
}

TEST_F(TidyJobTest, TidyThatCannotBeStartedIsNamedWithTheReason) {
  test::ScopedEnv noTidy("PATH", "/nonexistent");
  const Outcome outcome = Run(docs_.Write("p.htm", "x"));
  EXPECT_EQ(outcome.startFailure, "Cannot start \"tidy\". No such file or directory");
  EXPECT_TRUE(outcome.rows.empty());
  EXPECT_FALSE(outcome.cleaned);
}

TEST_F(TidyJobTest, ARunWaitsWhileAnotherInstanceHoldsTheProgramFolder) {
  auto other = std::make_unique<TidyRunLock>(tidy_.ProgramDir());
  ASSERT_TRUE(other->TryLock());
  int waits = 0;
  Run(docs_.Write("p.htm", "x"), [&](TidyJob& job) {
    job.OnIdle = [&] {
      if (other) {
        EXPECT_TRUE(tidy_.Runs().empty()) << "tidy ran while the folder was held";
        if (++waits == 3) other.reset();
      }
    };
  });
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(tidy_.Runs().size(), 2u);
}

TEST_F(TidyJobTest, ACancelledRunStopsTidyKeepsTheTextAndCleansUp) {
  ::setenv("FAKE_TIDY_SLEEP", "30", 1);
  const Outcome outcome = Run(docs_.Write("p.htm", "x"), [](TidyJob& job) {
    job.OnIdle = [&job] { job.Cancel(); };
  });
  EXPECT_FALSE(outcome.cleaned);
  EXPECT_TRUE(outcome.rows.empty());
  EXPECT_EQ(tidy_.Runs().size(), 1u);
  for (const char* name : {"errs.txt", "~tidied.htm"}) EXPECT_FALSE(PathExists(tidy_.ProgramFolder().File(name)));
}

class HeadlessTidyTest : public TidyJobTest {
 protected:
  int Headless(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return RunHeadlessTidy(args, out_, err_);
  }
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(HeadlessTidyTest, PrintsTheRowsThenTheStatusAndWritesTheCleanedDocument) {
  tidy_.SetReport("line 7 column 1 - Warning: late\nline 2 column 1 - Error: early\n");
  const std::string doc = docs_.Write("in.htm", "<p>a\r\n<p>b");
  EXPECT_EQ(Headless({"--tidy", doc, "--output", docs_.File("out.htm")}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "2\t Error: early\n7\t Warning: late\n2 Warnings\n");
  // Saved as the editor would save it: one break style throughout.
  EXPECT_EQ(TempFolder::Read(docs_.File("out.htm")), "<!-- tidied -->\r\n<p>a\r\n<p>b");
}

TEST_F(HeadlessTidyTest, FailuresGoToStandardErrorWithANonZeroExit) {
  EXPECT_EQ(Headless({"--tidy"}), 2);
  EXPECT_EQ(Headless({"--tidy", docs_.File("missing.htm")}), 1);
  EXPECT_NE(err_.str().find("missing.htm"), std::string::npos);
  ::setenv("FAKE_TIDY_NO_OUTPUT", "1", 1);
  const std::string doc = docs_.Write("in.htm", "x");
  EXPECT_EQ(Headless({"--tidy", doc, "--output", docs_.File("out.htm")}), 1);
  EXPECT_FALSE(PathExists(docs_.File("out.htm")));
  test::ScopedEnv noTidy("PATH", "/nonexistent");
  EXPECT_EQ(Headless({"--tidy", doc}), 1);
  EXPECT_EQ(err_.str(), "Cannot start \"tidy\". No such file or directory\n");
  EXPECT_EQ(out_.str(), "");
}

TEST_F(HeadlessTidyTest, TheRealTidyCleansADocumentAndReportsItsLines) {
  test::ScopedEnv realTidy("PATH", "/usr/local/bin:/usr/bin:/bin");
  const std::string doc = docs_.Write("bad page.htm", "<html><body>\n<p>one\n<font>two\n</body>");
  EXPECT_EQ(Headless({"--tidy", doc, "--output", docs_.File("clean.htm")}), 0) << err_.str();
  const std::string cleaned = TempFolder::Read(docs_.File("clean.htm"));
  EXPECT_NE(cleaned.find("<?xml"), std::string::npos) << cleaned;
  EXPECT_EQ(cleaned.find("<font"), std::string::npos) << cleaned;
  // The second run reports on the cleaned document, which tidy finds clean.
  EXPECT_EQ(out_.str(), "0\tNo warnings or errors were found\n0 Warnings\n");
}

}  // namespace
}  // namespace kw
