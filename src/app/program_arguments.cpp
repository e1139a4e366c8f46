#include "app/program_arguments.h"

#include <cstdlib>
#include <cstring>

namespace kw {

bool AsksForHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    for (const char* name : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

ProgramArguments::ProgramArguments(int argc, char** argv) {
  parser_.setApplicationDescription(QStringLiteral(
      "Edit an HTML document and clean it up with tidy.\n"
      "\n"
      "Without a window, for scripts (--tidy first):\n"
      "  kempwell --tidy FILE [--output PATH] [--timeout SECONDS]\n"
      "exits with 0 when tidy cleaned the document, 1 for no result,\n"
      "2 for a wrong command line, 3 when tidy found errors."));
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
    error_ = QStringLiteral("--tidy FILE [--output PATH] [--timeout SECONDS] must come first.");
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
