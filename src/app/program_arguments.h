// The window program's command line: its help, its version and the document
// to open, read with the toolkit's parser. File names stay the bytes given.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <optional>
#include <string>

namespace kw {

// True when the raw arguments lead to no window: the help, the version, or a
// wrong command line (an option that is neither the program's nor the
// toolkit's, or a second file), which the program answers without a display.
bool AnswersWithoutWindow(int argc, char** argv);

class ProgramArguments {
 public:
  // argv as the toolkit left it, its own options taken out.
  ProgramArguments(int argc, char** argv);

  // False for a wrong command line; Usage() then says why.
  bool Valid() const { return error_.isEmpty(); }
  // The reason and the help text, for standard error.
  QString Usage() const;

  bool AsksForAnswer() const;
  // Prints the help or the version on standard output and ends the program with status 0.
  [[noreturn]] void Answer();

  std::optional<std::string> Document() const { return document_; }

 private:
  QCommandLineParser parser_;
  QStringList arguments_;
  QString error_;
  std::optional<std::string> document_;
};

}  // namespace kw
