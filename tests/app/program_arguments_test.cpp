// The window program's command line: what opens a document, what asks for
// an answer, and what is refused.
#include <QTest>

#include "app/program_arguments.h"

class ProgramArgumentsTest : public QObject {
  Q_OBJECT

 private slots:
  void readsTheCommandLine() {
    const struct {
      QByteArrayList args;
      QByteArray verdict;  // "open DOCUMENT", "window", "answer", "wrong"; "toolkit": its own options
    } rows[] = {
        {{}, "window"},
        {{"page.htm"}, "open page.htm"},
        {{"./--help"}, "open ./--help"},
        {{"--", "--help"}, "open --help"},
        {{"caf\xE9 \xFF\xC3\xA9.htm"}, "open caf\xE9 \xFF\xC3\xA9.htm"},  // the bytes kept
        {{"--help"}, "answer"},
        {{"page.htm", "-h"}, "answer"},
        {{"--version"}, "answer"},
        {{"--foo"}, "wrong"},
        {{"--help", "--foo"}, "wrong"},
        {{"a.htm", "b.htm"}, "wrong"},
        {{"a.htm", "--tidy", "b.htm"}, "wrong"},
        {{"--output", "x.htm"}, "wrong"},
        {{"-style", "fusion", "page.htm"}, "toolkit"},
        {{"--platform=xcb", "-reverse", "page.htm"}, "toolkit"},
    };
    for (const auto& row : rows) {
      QByteArrayList args = QByteArrayList{"kempwell"} + row.args;
      std::vector<char*> argv;
      for (QByteArray& arg : args) argv.push_back(arg.data());
      const int argc = static_cast<int>(argv.size());
      // What needs no window is known before the toolkit starts, which needs a display.
      const bool answers = row.verdict == "answer" || row.verdict == "wrong";
      QVERIFY2(kw::AnswersWithoutWindow(argc, argv.data()) == answers, args.join(' ').constData());
      if (row.verdict == "toolkit") continue;  // taken out before the program sees them
      const kw::ProgramArguments arguments(argc, argv.data());
      const std::optional<std::string> document = arguments.Document();
      const QByteArray seen = !arguments.Valid()          ? "wrong"
                              : arguments.AsksForAnswer() ? "answer"
                              : document                  ? "open " + QByteArray::fromStdString(*document)
                                                          : "window";
      QCOMPARE(seen, row.verdict);
    }
  }
};

QTEST_GUILESS_MAIN(ProgramArgumentsTest)
#include "program_arguments_test.moc"
