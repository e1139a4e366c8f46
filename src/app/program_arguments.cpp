#include "app/program_arguments.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kw {

namespace {

// The options the toolkit takes out of the command line before the program
// sees it, with one dash or two, and whether a value follows them.
struct ToolkitOption {
  std::string_view name;
  bool takesValue;
};

constexpr ToolkitOption kToolkitOptions[] = {
    {"platform", true},  {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true},
    {"session", true},   {"style", true},      {"stylesheet", true}, {"geometry", true},  {"title", true},
    {"display", true},   {"name", true},       {"icon", true},       {"visual", true},    {"ncols", true},
    {"cmap", true},      {"fn", true},         {"font", true},       {"bg", true},        {"background", true},
    {"fg", true},        {"foreground", true}, {"btn", true},        {"button", true},    {"im", true},
    {"inputstyle", true}, {"dialogs", true},   {"reverse", false},   {"widgetcount", false},
    {"nograb", false},   {"dograb", false},    {"testability", false}, {"sync", false}};

const ToolkitOption* ToolkitOptionOf(std::string_view argument) {
  argument.remove_prefix(argument.rfind("--", 0) == 0 ? 2 : 1);
  const size_t equals = argument.find('=');
  const std::string_view name = argument.substr(0, equals);
  for (const ToolkitOption& option : kToolkitOptions)
    if (option.name == name) return equals == std::string_view::npos || option.takesValue ? &option : nullptr;
  return nullptr;
}

}  // namespace

bool AnswersWithoutWindow(int argc, char** argv) {
  int files = 0;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!options || argument.size() < 2 || argument[0] != '-') {
      if (++files > 1) return true;
    } else if (argument == "--") {
      options = false;
    } else if (const ToolkitOption* option = ToolkitOptionOf(argument)) {
      if (option->takesValue && argument.find('=') == std::string_view::npos) ++i;
    } else {
      return true;
    }
  }
  return false;
}

ProgramArguments::ProgramArguments(int argc, char** argv) {
  parser_.setApplicationDescription(QStringLiteral(
      "Edit an HTML document and clean it up with tidy.\n"
      "\n"
      "Without a window, for scripts (--tidy first):\n"
      "  kempwell --tidy [--format list|gnu] [--jobs N] [--timeout SECONDS]\n"
      "                 [--output PATH] [--] FILE...\n"
      "as kempwell-tidy does; it exits with 0 when tidy cleaned every document,\n"
      "1 for no result, 2 for a wrong command line, 3 when tidy found errors."));
  parser_.addHelpOption();
  parser_.addVersionOption();
  parser_.addOption({QStringLiteral("tidy"),
                     QStringLiteral("Run tidy on FILE without a window: print a LINE<TAB>MESSAGE row for each "
                                    "message, then the status."),
                     QStringLiteral("FILE")});
  parser_.addOption({QStringLiteral("output"), QStringLiteral("With --tidy: write the cleaned document to PATH."),
                     QStringLiteral("PATH")});
  parser_.addOption({QStringLiteral("timeout"), QStringLiteral("With --tidy: stop tidy after SECONDS."),
                     QStringLiteral("SECONDS")});
  parser_.addPositionalArgument(
      QStringLiteral("file"),
      QStringLiteral("The HTML document to open. Name a file that begins with '-' as ./-name or after --."),
      QStringLiteral("[file]"));

  // Read as ISO-8859-1, each byte one character: the options are ASCII and
  // a file name comes back as the very bytes it was given as.
  for (int i = 0; i < argc; ++i) arguments_ << QString::fromLatin1(argv[i]);
  if (!parser_.parse(arguments_)) {
    error_ = parser_.errorText();
  } else if (AsksForAnswer()) {
    return;
  } else if (parser_.isSet(QStringLiteral("tidy")) || parser_.isSet(QStringLiteral("output")) ||
             parser_.isSet(QStringLiteral("timeout"))) {
    error_ = QStringLiteral("--tidy must come first.");
  } else if (parser_.positionalArguments().size() > 1) {
    error_ = QStringLiteral("One file at most.");
  } else if (!parser_.positionalArguments().isEmpty()) {
    document_ = parser_.positionalArguments().front().toLatin1().toStdString();
  }
}

QString ProgramArguments::Usage() const { return error_ + QStringLiteral("\n\n") + parser_.helpText(); }

bool ProgramArguments::AsksForAnswer() const {
  for (const char* name : {"help", "help-all", "version"})
    if (parser_.isSet(QLatin1String(name))) return true;
  return false;
}

void ProgramArguments::Answer() {
  // The parser's own answers, --help-all's list of the toolkit's options among them.
  parser_.process(arguments_);
  std::exit(EXIT_SUCCESS);
}

}  // namespace kw
