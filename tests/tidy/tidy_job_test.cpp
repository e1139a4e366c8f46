// The tidy run without a window: options, command lines, both runs against
// the stand-in tidy and the real one, the working files and the lock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "common/error.h"
#include "common/paths.h"
#include "support/fake_tidy.h"
#include "support/thrown.h"
#include "common/command_line.h"
#include "tidy/headless_tidy.h"
#include "tidy/run_lock.h"
#include "tidy/tidy_job.h"

namespace kw {
namespace {

using test::FakeTidy;
using test::ScopedEnv;
using test::TempFolder;

std::string Listed(const std::vector<TTreeData>& rows) {
  std::string text;
  for (const TTreeData& row : rows) text += row.Line + "|" + row.Message + "\n";
  return text;
}

TEST(TidyCommandLines, EveryDocumentNameReachesTidyAsOneLiteralArgument) {
  EXPECT_EQ(FirstTidyCommandLine("/Tools/Cleaner", "--wrap no", DocumentArgument("/My Pages/index.htm")),
            R"(tidy -f "/Tools/Cleaner/errs.txt" --wrap no -o "/Tools/Cleaner/~tidied.htm" "/My Pages/index.htm")");
  EXPECT_EQ(SecondTidyCommandLine("/Tools/Cleaner", "--wrap no"),
            R"(tidy -f "/Tools/Cleaner/errs.txt" --wrap no "/Tools/Cleaner/~tidied.htm")");
  const std::string name = "/a \"quoted\";$(id) `x`&amp \t\nname\xe9\\";
  EXPECT_EQ(SplitCommandLine(DocumentArgument(name)), std::vector<std::string>{name});
  // A relative name is made absolute, so it cannot begin with '-'.
  EXPECT_EQ(DocumentArgument("-o.htm"), JoinPath(CurrentDirectory(), "-o.htm"));
}

// Runs restore the working directory they change, so that tests stay independent.
class TidyJobTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_EQ(::chdir(startDir_.c_str()), 0); }

  struct Outcome {
    std::string rows, firstRows, status, failure;
    std::optional<std::string> cleaned;
    TidyOutcome result = TidyOutcome::Stopped;
  };
  Outcome Run(const std::string& document, const std::function<void(TidyJob&)>& prepare = {}) {
    TidyJob job(tidy_.ProgramDir(), document);
    Outcome outcome;
    job.OnCleaned = [&](const std::string& file) { outcome.cleaned = TempFolder::Read(file); };
    if (prepare) prepare(job);
    std::vector<std::string> options;
    DiagRows rows;
    job.Execute(options, rows);
    for (const char* name : {"errs.txt", "~tidied.htm", "~unsaved.htm"})
      EXPECT_FALSE(PathExists(tidy_.ProgramFolder().File(name))) << name << " left behind";
    return {Listed(rows.Rows()), Listed(job.FirstRunRows.Rows()), job.Status, job.Failure, outcome.cleaned,
            job.Outcome};
  }

  std::string startDir_ = CurrentDirectory();
  FakeTidy tidy_;
  TempFolder docs_;
};

// Tidy reads the text being edited from a working file, with the options of
// the first line of params.txt; the document's file is not touched. Stale
// files of an earlier failed run are not taken for this run's.
TEST_F(TidyJobTest, ARunCleansTheUnsavedTextAndListsTheSecondReport) {
  EXPECT_EQ(LoadTidyOptions(tidy_.ProgramDir(), TextEncoding::Latin1),
            std::vector<std::string>{DefaultTidyOptions});
  tidy_.ProgramFolder().Write("params.txt", "--indent auto\r\n--ignored yes\r\n");
  tidy_.ProgramFolder().Write("~tidied.htm", "stale");
  tidy_.SetReport("line 12 column 5 - Warning: b\nline 3 column 1 - Warning: a\nline 12 column 9 - Warning: b\n");
  const std::string doc = docs_.Write("p.htm", "<p>on disk");
  const Outcome outcome = Run(doc, [](TidyJob& job) { job.SetUnsavedText("<p>edited\n<p>x", BreakStyle::CRLF); });
  EXPECT_EQ(outcome.cleaned, "<!-- tidied -->\n<p>edited\r\n<p>x");
  EXPECT_EQ(TempFolder::Read(doc), "<p>on disk");
  EXPECT_EQ(outcome.rows, "3| Warning: a\n12| Warning: b\n");
  EXPECT_EQ(outcome.status, "2 Warnings");
  const std::string errs = tidy_.ProgramFolder().File("errs.txt");
  const std::string cleaned = tidy_.ProgramFolder().File("~tidied.htm");
  const std::string unsaved = tidy_.ProgramFolder().File("~unsaved.htm");
  EXPECT_EQ(tidy_.Runs(), (std::vector<std::vector<std::string>>{
                              {"-f", errs, "--indent", "auto", "-o", cleaned, unsaved},
                              {"-f", errs, "--indent", "auto", cleaned}}));
  // English reports, whatever the user's language.
  EXPECT_EQ(tidy_.LocaleLog(), "C\nC\n");
  EXPECT_EQ(CurrentDirectory(), tidy_.ProgramDir());
}

// The run writes and removes its working files: a document by one of those
// names (or a link to one) is refused before anything is touched.
TEST_F(TidyJobTest, ADocumentThatIsAWorkingFileIsRefused) {
  for (const std::string name : {"errs.txt", "~tidied.htm", "~unsaved.htm"}) {
    const std::string document = tidy_.ProgramFolder().Write(name, "mine");
    const std::string link = docs_.File("link to " + name);
    ASSERT_EQ(::symlink(document.c_str(), link.c_str()), 0);
    for (const std::string& path : {document, link}) {
      const std::string message = test::ThrownText<EKempwellError>([&] { Run(path); });
      EXPECT_NE(message.find("Save the document under another name"), std::string::npos) << message;
    }
    EXPECT_EQ(TempFolder::Read(document), "mine");
    ::unlink(document.c_str());
  }
  EXPECT_TRUE(tidy_.Runs().empty());
}

// Only a tidy that ended normally with 0 or 1 and wrote its document has
// cleaned it; otherwise the second run is not made and the rows are the first run's.
TEST_F(TidyJobTest, ACleanedDocumentIsTakenOnlyWhenTidyPromisesIt) {
  tidy_.SetReport("Config: unknown option: drop-font-tags\nline 5 column 1 - Error: <xyz> is not recognized!\n");
  const struct {
    std::vector<std::pair<const char*, const char*>> env;
    std::string status;
    bool failure;
  } cases[] = {
      {{{"FAKE_TIDY_NO_OUTPUT", "1"}}, "2 Warnings - not cleaned: tidy found errors", false},
      {{{"FAKE_TIDY_CRASH", "1"}}, "2 Warnings - not cleaned: tidy ended abnormally (Segmentation fault)", true},
      {{{"FAKE_TIDY_NO_OUTPUT", "1"}, {"FAKE_TIDY_EXIT", "1"}},
       "2 Warnings - not cleaned: tidy wrote no cleaned document", true},
      {{{"FAKE_TIDY_EXIT", "7"}}, "2 Warnings - not cleaned: tidy ended with exit status 7", true},
  };
  const std::string doc = docs_.Write("p.htm", "<p>hello\n<xyz>unknown</xyz>\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    std::vector<std::unique_ptr<ScopedEnv>> env;
    for (const auto& [name, value] : c.env) env.push_back(std::make_unique<ScopedEnv>(name, value));
    const size_t runsBefore = tidy_.Runs().size();
    const Outcome outcome = Run(doc);
    EXPECT_EQ(tidy_.Runs().size(), runsBefore + 1);
    EXPECT_EQ(outcome.result, TidyOutcome::NotCleaned);
    EXPECT_FALSE(outcome.cleaned);
    EXPECT_EQ(outcome.rows, "--| Config: unknown option: drop-font-tags\n5| Error: <xyz> is not recognized!\n");
    EXPECT_EQ(outcome.firstRows, outcome.rows);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(!outcome.failure.empty(), c.failure) << outcome.failure;
  }
}

TEST_F(TidyJobTest, ARunWaitsWhileAnotherInstanceHoldsTheProgramFolder) {
  auto other = std::make_unique<TidyRunLock>(tidy_.ProgramDir());
  ASSERT_TRUE(other->TryLock());
  int waits = 0;
  Run(docs_.Write("p.htm", "x"), [&](TidyJob& job) {
    job.OnIdle = [&] {
      if (!other) return;
      EXPECT_TRUE(tidy_.Runs().empty()) << "tidy ran while the folder was held";
      if (++waits == 3) other.reset();
    };
  });
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(tidy_.Runs().size(), 2u);
}

// The real tidy: a cleaned run hands on the first run's messages about the
// text before beside the second run's about the cleaned text.
TEST_F(TidyJobTest, TheFirstRunsRowsAreHandedOnWithTheRealTidy) {
  ScopedEnv realTidy("PATH", "/usr/local/bin:/usr/bin:/bin");
  const Outcome cleaned = Run(docs_.Write("p.htm", "<title>t</title>\n<p>one\n<center>two</center>\n"));
  EXPECT_EQ(cleaned.result, TidyOutcome::Cleaned);
  EXPECT_EQ(cleaned.firstRows,
            "1| Warning: missing <!DOCTYPE> declaration\n2| Warning: inserting implicit <body>\n");
  EXPECT_EQ(cleaned.rows, "0|No warnings or errors were found\n");
  EXPECT_EQ(cleaned.status, "0 Warnings");
}

// Runs keep their working files in private folders under TMPDIR, which must hold no file after each.
class HeadlessTidyTest : public TidyJobTest {
 protected:
  int Headless(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    const int status = RunHeadlessTidy("kempwell --tidy", args, out_, err_);
    ExpectNoWorkingFiles();
    return status;
  }
  void ExpectNoWorkingFiles() const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp_.Path()))
      EXPECT_TRUE(entry.is_directory()) << entry.path() << " left behind";
  }
  std::ostringstream out_;
  std::ostringstream err_;
  TempFolder temp_;
  ScopedEnv tempEnv_{"TMPDIR", temp_.Path()};
};

// The rows, then the status; the cleaned document saved as the editor would
// save it, one break style throughout. In the gnu format each row is written
// as compilers write their messages, and the no-messages entry gives no line.
TEST_F(HeadlessTidyTest, PrintsTheRowsInEitherFormatAndWritesTheCleanedDocument) {
  tidy_.SetReport("line 7 column 1 - Warning: late\nline 2 column 1 - Error: early\n");
  const std::string doc = docs_.Write("in.htm", "<p>a\r\n<p>b");
  EXPECT_EQ(Headless({doc, "--output", docs_.File("out.htm")}), kHeadlessCleaned) << err_.str();
  EXPECT_EQ(out_.str(), "2\t Error: early\n7\t Warning: late\n2 Warnings\n");
  EXPECT_EQ(TempFolder::Read(docs_.File("out.htm")), "<!-- tidied -->\r\n<p>a\r\n<p>b");
  const std::pair<std::string, std::string> gnu[] = {
      {"line 12 column 5 - Warning: <p> lacks \"summary\"\nline 3 column 1 - Error: <xyz> is not recognized!\n"
       "Info: Doctype given\nline 4 column 2 - Access: [1.1.1.1]: <img> missing 'alt' text.\n"
       "Config: unknown option: x\nDocument: \"no\" is not a file!\nPanic: p\nline 9 column 0 - Odd: thing\n",
       doc + ": config: unknown option: x\n" + doc + ": error: Document: \"no\" is not a file!\n" + doc +
           ": error: Panic: p\n" + doc + ":3:1: error: <xyz> is not recognized!\n" + doc +
           ":4:2: access: [1.1.1.1]: <img> missing 'alt' text.\n" + doc + ":9: Odd: thing\n" + doc +
           ":12:5: warning: <p> lacks \"summary\"\n"},
      {"No warnings or errors were found.\n", ""},
  };
  for (const auto& [report, out] : gnu) {
    tidy_.SetReport(report);
    EXPECT_EQ(Headless({"--format", "gnu", doc}), kHeadlessCleaned) << err_.str();
    EXPECT_EQ(out_.str(), out);
  }
}

// Failures go to standard error with an exit status of their own; a wrong
// command line runs nothing. A working folder of the usual name that others
// may enter could hold their links: a fresh folder is used instead.
TEST_F(HeadlessTidyTest, FailuresAndUsageErrorsHaveExitStatusesOfTheirOwn) {
  const std::string shared = temp_.File("kempwell-tidy-" + std::to_string(::geteuid()));
  ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  const std::string doc = docs_.Write("in.htm", "x"), missing = docs_.File("missing.htm");
  const struct {
    std::vector<std::string> args;
    const char* env;
    int status;
    std::string err;
  } cases[] = {
      {{missing}, "", kHeadlessFailed, "Cannot open file \"" + missing + "\". No such file or directory\n"},
      {{doc, "--output", docs_.File("out.htm")}, "FAKE_TIDY_NO_OUTPUT", kHeadlessNotCleaned,
       "tidy cleaned nothing; \"" + docs_.File("out.htm") + "\" was not written.\n"},
      {{doc, "--timeout", "1"}, "FAKE_TIDY_SLEEP", kHeadlessFailed,
       "tidy did not finish within 1 seconds and was stopped.\n"},
      {{doc}, "PATH", kHeadlessFailed, "Cannot start \"tidy\". No such file or directory\n"},
      {{"--", "--output"}, "", kHeadlessFailed, "Cannot open file \""},
      {{}, "", kHeadlessUsage, "kempwell --tidy: no FILE given\n"},
      {{"--output", doc, doc, doc}, "", kHeadlessUsage, "kempwell --tidy: --output takes one FILE only\n"},
      {{doc, "--format", "xml"}, "", kHeadlessUsage, "kempwell --tidy: --format is list or gnu\n"},
      {{"--jobs", "0", doc}, "", kHeadlessUsage, "kempwell --tidy: --jobs takes a number from 1 to 256\n"},
      {{"--timeout", "1", "--timeout", "1", doc}, "", kHeadlessUsage, "kempwell --tidy: --timeout given twice\n"},
      {{"--bogus", doc}, "", kHeadlessUsage, "kempwell --tidy: unknown option --bogus\n"},
  };
  tidy_.SetReport("line 2 column 1 - Error: bad\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::optional<ScopedEnv> env;
    if (*c.env) env.emplace(c.env, std::string(c.env) == "PATH" ? "/nonexistent" : "30");
    EXPECT_EQ(Headless(c.args), c.status);
    EXPECT_EQ(err_.str().substr(0, c.err.size()), c.err);
    EXPECT_TRUE(c.status != kHeadlessUsage || out_.str().empty()) << out_.str();
  }
  EXPECT_FALSE(PathExists(docs_.File("out.htm")));
  const auto runs = tidy_.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0][1].rfind(temp_.Path() + "/kempwell-tidy-", 0), 0u) << runs[0][1];
  EXPECT_NE(runs[0][1].rfind(shared + "/", 0), 0u) << runs[0][1];
  EXPECT_TRUE(std::filesystem::is_empty(shared));
}

// SIGTERM to the program stops tidy and removes the working files before it ends.
TEST_F(HeadlessTidyTest, AStopSignalLeavesNoTidyAndNoWorkingFiles) {
  ScopedEnv slow("FAKE_TIDY_SLEEP", "30");
  const std::string doc = docs_.Write("in.htm", "x");
  const std::vector<std::vector<const char*>> commands = {{KW_KEMPWELL, "--tidy", doc.c_str(), doc.c_str()},
                                                          {KW_KEMPWELL_TIDY, doc.c_str(), doc.c_str()}};
  for (std::vector<const char*> command : commands) {
    SCOPED_TRACE(command.front());
    command.push_back(nullptr);
    const size_t runsBefore = tidy_.Pids().size();
    const pid_t program = ::fork();
    if (program == 0) {
      ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
      ::execv(command.front(), const_cast<char* const*>(command.data()));
      ::_exit(127);
    }
    int status = 0;
    while (tidy_.Pids().size() == runsBefore && ::waitpid(program, &status, WNOHANG) == 0) ::sched_yield();
    ASSERT_GT(tidy_.Pids().size(), runsBefore) << "the program ended before it ran tidy: " << status;
    ::kill(program, SIGTERM);
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    for (const pid_t tidy : tidy_.Pids()) EXPECT_EQ(::kill(tidy, 0), -1);
    ExpectNoWorkingFiles();
  }
}

// Several documents run side by side, each in a folder of its own: the fake
// tidy reports each document's own text, and the second checks of both are
// under way together (each waits to hear of the other), so a shared report
// would show in both. The first sleeps on to end last; its report still comes first.
TEST_F(HeadlessTidyTest, DocumentsAreReportedInTheGivenOrderEachFromItsOwnRun) {
  ScopedEnv echo("FAKE_TIDY_ECHO", "1");
  const std::string said = docs_.File("said ");
  const std::vector<std::string> docs = {
      docs_.Write("a.htm", "line 2 column 1 - Warning: from a\n<!-- fake tidy: say " + said + "a -->\n"
                           "<!-- fake tidy: hear " + said + "b -->\n<!-- fake tidy: sleep 0.3 -->\n"),
      docs_.Write("b; $(x) \xe9.htm", "line 2 column 1 - Error: from b\n<!-- fake tidy: say " + said + "b -->\n"
                                      "<!-- fake tidy: hear " + said + "a -->\n"),
      docs_.File("missing.htm")};
  EXPECT_EQ(Headless({"--jobs", "2", docs[0], docs[1], docs[2]}), kHeadlessFailed);
  EXPECT_EQ(out_.str(), docs[0] + ":\n2\t Warning: from a\n1 Warnings\n" + docs[1] +
                            ":\n2\t Error: from b\n1 Warnings\n" + docs[2] + ":\n");
  EXPECT_EQ(err_.str(), docs[2] + ": Cannot open file \"" + docs[2] + "\". No such file or directory\n");
}

// The real tidy: a UTF-8 page keeps its characters; the exit status is the
// worst of the documents', a failure over a document not cleaned.
TEST_F(HeadlessTidyTest, TheRealTidy) {
  ScopedEnv realTidy("PATH", "/usr/local/bin:/usr/bin:/bin");
  const std::string text =
      "<p>Voil\xC3\xA0 \xE2\x82\xAC caf\xC3\xA9 \xF0\x9F\x98\x80 \xE4\xB8\xAD\xE6\x96\x87</p>";
  const std::string page = docs_.Write("utf8.htm", "<title>t</title>\n" + text + "\n");
  EXPECT_EQ(Headless({page, "--output", docs_.File("clean.htm")}), kHeadlessCleaned) << err_.str();
  EXPECT_NE(TempFolder::Read(docs_.File("clean.htm")).find(text), std::string::npos);
  EXPECT_EQ(out_.str(), "0\tNo warnings or errors were found\n0 Warnings\n");

  const std::string broken = docs_.Write("broken.htm", "<title>t</title>\n<xyz>unknown</xyz>\n");
  const std::string missing = docs_.File("missing.htm");
  const std::pair<std::vector<std::string>, int> worst[] = {{{page, page}, kHeadlessCleaned},
                                                            {{page, broken}, kHeadlessNotCleaned},
                                                            {{broken, missing, page}, kHeadlessFailed},
                                                            {{missing, broken}, kHeadlessFailed}};
  for (const auto& [args, status] : worst) EXPECT_EQ(Headless(args), status) << ::testing::PrintToString(args);
}

}  // namespace
}  // namespace kw
