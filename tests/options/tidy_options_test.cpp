// tidy's option listings as the installed tidy prints them and as another
// layout might, the values each option takes, and params.txt's options line
// edited option by option with everything else kept.
#include <gtest/gtest.h>

#include "common/error.h"
#include "options/params_file.h"
#include "options/tidy_option_table.h"
#include "options/tidy_options_line.h"
#include "support/temp_files.h"
#include "tidy/tidy_query.h"

namespace kw {
namespace {

// Another layout: CR LF breaks, other widths, a column more, a type wrapped
// in mid-word and values wrapped at a blank.
constexpr char kOtherHelp[] =
    "Name                 Type     Default  Allowable values\r\n"
    "==================== ======== ======== ====================\r\n"
    "clean                Boolean  no       no, yes\r\n"
    "accessibility-check  Enum     0        0 (Tidy Classic), 1\r\n"
    "                                       (Priority 1 Checks)\r\n"
    "new-pre-tags         Tag Name          tagX, tagY, ...\r\n"
    "                     s\r\n"
    "wrap                 Integer  68       0 (no wrapping), 1,\r\n"
    "                                       2, ...\r\n";
constexpr char kOtherShow[] =
    "Name                 Type     Current Value\r\n"
    "==================== ======== ====================\r\n"
    "clean                Boolean  yes\r\n"
    "accessibility-check  Enum     0 (Tidy Classic)\r\n"
    "wrap                 Integer  72\r\n";

std::string Listing(const char* arguments) { return AskTidy("", arguments, std::chrono::seconds(10)).Output; }

const TidyOption* Find(const std::vector<TidyOption>& options, const std::string& name) {
  for (const TidyOption& option : options)
    if (option.Name == name) return &option;
  return nullptr;
}

std::string Values(const TidyOption& option) {
  std::string values;
  for (const TidyChoice& choice : option.Choices) values += (values.empty() ? "" : "|") + choice.Value;
  return values;
}

// The installed tidy's own listing is read by the fixture below.
TEST(TidyOptionTable, ReadsAnotherLayout) {
  const struct {
    const char *name, *type, *allowed, *values;  // values: the closed list, "" for none
    bool numeric;
    const char* defaultValue;
  } expected[] = {
      {"clean", "Boolean", "no, yes", "no|yes", false, "yes"},
      {"accessibility-check", "Enum", "0 (Tidy Classic), 1 (Priority 1 Checks)", "0|1", false,
       "0 (Tidy Classic)"},
      {"new-pre-tags", "Tag Names", "tagX, tagY, ...", "", false, ""},
      {"wrap", "Integer", "0 (no wrapping), 1, 2, ...", "", true, "72"},
  };
  const std::vector<TidyOption> options = ParseTidyOptions(kOtherHelp, kOtherShow);
  EXPECT_EQ(options.size(), std::size(expected));
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const TidyOption* option = Find(options, e.name);
    ASSERT_TRUE(option);
    EXPECT_EQ(option->Type, e.type);
    EXPECT_EQ(option->Allowed, e.allowed);
    EXPECT_EQ(Values(*option), e.values);
    EXPECT_EQ(option->Numeric, e.numeric);
    EXPECT_EQ(option->Default, e.defaultValue);
  }
  EXPECT_TRUE(ParseTidyOptions("tidy: unknown option -help-config\n", "").empty());
}

class TidyOptionsLineTest : public ::testing::Test {
 protected:
  const std::vector<TidyOption> options_ = ParseTidyOptions(Listing("-help-config"), Listing("-show-config"));
  const TidyOption& Option(const std::string& name) const { return *Find(options_, name); }
};

TEST_F(TidyOptionsLineTest, RefusesWhatTidyWouldNotTake) {
  const struct {
    const char* option;
    const char* value;
    const char* refusal;  // a part of it; "" when taken
  } cases[] = {
      {"clean", "yes", ""},
      {"clean", "maybe", "tidy does not take \"maybe\" for clean. It takes one of: no, yes"},
      {"wrap", "-1", "It takes a whole number: 0 (no wrapping), 1, 2, ..."},
      {"char-encoding", "UTF8", ""},
      {"char-encoding", "utf9", "It takes one of: raw, ascii, latin0"},
      {"accessibility-check", "Tidy Classic", "0 (Tidy Classic)"},
      {"alt-text", "two\nlines", "one line"},
  };
  for (const auto& c : cases) {
    const std::string refusal = RefusalOf(Option(c.option), c.value);
    if (*c.refusal == '\0') EXPECT_EQ(refusal, "") << c.option << " " << c.value;
    else EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
  }
}

TEST_F(TidyOptionsLineTest, ChangesOnlyTheOptionsItIsGiven) {
  const struct {
    const char* name;
    std::string line;
    std::vector<std::pair<const char*, const char*>> sets;  // option, value ("" takes it out)
    std::string read, after;  // read: option=value before the sets, "-" when not given
  } cases[] = {
      {"a value is replaced in place", "--wrap 0  --clean yes", {{"wrap", "72"}}, "wrap=0", "--wrap 72  --clean yes"},
      {"what tidy does not list stays", "-i --frob x \"odd  arg\" --wrap 0", {{"clean", "yes"}}, "clean=-",
       "-i --frob x \"odd  arg\" --wrap 0 --clean yes"},
      {"the last of several counts; empty takes all out", "--wrap 1 --clean no --wrap 2", {{"wrap", ""}}, "wrap=2",
       "--clean no"},
      {"names and values in any case", "--Clean Yes", {{"clean", "no"}}, "clean=Yes", "--Clean no"},
      {"a value tidy would not take is no value", "--clean --wrap 5", {{"clean", "yes"}}, "clean=-",
       "--clean --wrap 5 --clean yes"},
      {"a text takes any next argument", "--alt-text --wrap 5", {{"wrap", "1"}}, "alt-text=--wrap",
       "--alt-text --wrap 5 --wrap 1"},
      {"a new value is quoted when it must be", "--wrap 0", {{"alt-text", "x \"y\" z\\"}}, "alt-text=-",
       "--wrap 0 --alt-text \"x \\\"y\\\" z\\\\\""},
      {"an unclosed quote is closed first", "--alt-text \"a b", {{"wrap", "0"}}, "alt-text=a b",
       "--alt-text \"a b\" --wrap 0"},
      {"an empty line", "", {{"wrap", "0"}, {"clean", "yes"}}, "wrap=-", "--wrap 0 --clean yes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TidyOptionsLine line(c.line, options_);
    const size_t equals = c.read.find('=');
    const std::optional<std::string> value = line.Value(Option(c.read.substr(0, equals)));
    EXPECT_EQ(value.value_or("-"), c.read.substr(equals + 1));
    for (const auto& [name, newValue] : c.sets) line.Set(Option(name), newValue);
    EXPECT_EQ(line.Text(), c.after);
    for (const auto& [name, newValue] : c.sets)
      EXPECT_EQ(TidyOptionsLine(line.Text(), options_).Value(Option(name)).value_or(""), newValue);
  }
}

TEST(ParamsFileTest, WritesTheFirstLineAndKeepsTheRest) {
  const struct {
    const char* name;
    std::optional<std::string> before;  // nullopt: no params.txt
    std::string firstLine, after;
  } cases[] = {
      {"other lines and breaks kept", "--wrap 0\r\nsecond\rthird\n\xE9", "--wrap 0", "NEW\r\nsecond\rthird\n\xE9"},
      {"an empty file", "", "", "NEW"},
      {"no file: the built-in line", std::nullopt, "BUILT-IN", "NEW\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempFolder dir;
    if (c.before) dir.Write("params.txt", *c.before);
    ParamsFile file(dir.Path(), "BUILT-IN");
    EXPECT_EQ(file.Exists(), c.before.has_value());
    EXPECT_EQ(file.FirstLine(), c.firstLine);
    file.WriteFirstLine("NEW");
    EXPECT_EQ(test::TempFolder::Read(dir.File("params.txt")), c.after);
    EXPECT_EQ(ParamsFile(dir.Path(), "").FirstLine(), "NEW");
  }
  try {
    ParamsFile("/nonexistent-kempwell-dir", "x").WriteFirstLine("y");
    ADD_FAILURE() << "a folder that is not there was written";
  } catch (const EKempwellError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"/nonexistent-kempwell-dir/params.txt\". ", 0), 0u);
  }
}

}  // namespace
}  // namespace kw
