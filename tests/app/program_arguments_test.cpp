// The window program's command line: what opens a document, what asks for
// an answer, and what is refused.
#include <QTest>

#include "app/program_arguments.h"

class ProgramArgumentsTest : public QObject {
  Q_OBJECT

 private slots:
  void readsTheCommandLine_data() {
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<QString>("verdict");  // "open DOCUMENT", "window", "answer" or "wrong"
    const auto row = [](const char* name, QByteArrayList args, QByteArray verdict) {
      QTest::newRow(name) << args << QString::fromLatin1(verdict);
    };
    row("nothing", {}, "window");
    row("a document", {"page.htm"}, "open page.htm");
    row("a file named --help", {"./--help"}, "open ./--help");
    row("after --", {"--", "--help"}, "open --help");
    row("bytes kept", {"caf\xE9 \xFF\xC3\xA9.htm"}, "open caf\xE9 \xFF\xC3\xA9.htm");
    row("--help", {"--help"}, "answer");
    row("-h after a file", {"page.htm", "-h"}, "answer");
    row("--version", {"--version"}, "answer");
    row("an unknown option", {"--foo"}, "wrong");
    row("help with an unknown option", {"--help", "--foo"}, "wrong");
    row("two files", {"a.htm", "b.htm"}, "wrong");
    row("--tidy not first", {"a.htm", "--tidy", "b.htm"}, "wrong");
    row("--output without --tidy", {"--output", "x.htm"}, "wrong");
  }
  void readsTheCommandLine() {
    QFETCH(QByteArrayList, args);
    QFETCH(QString, verdict);
    args.prepend("kempwell");
    std::vector<char*> argv;
    for (QByteArray& arg : args) argv.push_back(arg.data());
    kw::ProgramArguments arguments(static_cast<int>(argv.size()), argv.data());
    QString seen = !arguments.Valid()              ? "wrong"
                   : arguments.AsksForAnswer()     ? "answer"
                   : arguments.Document()          ? "open " + QString::fromLatin1(QByteArray::fromStdString(*arguments.Document()))
                                                   : "window";
    QCOMPARE(seen, verdict);
    // What needs no window is known before the toolkit starts, which needs a display.
    QCOMPARE(kw::AnswersWithoutWindow(static_cast<int>(argv.size()), argv.data()),
             verdict == "answer" || verdict == "wrong");
  }

  void theToolkitsOptionsStillOpenTheWindow() {
    for (QByteArrayList args : {QByteArrayList{"kempwell", "-style", "fusion", "page.htm"},
                                QByteArrayList{"kempwell", "--platform=xcb", "-reverse", "page.htm"}}) {
      std::vector<char*> argv;
      for (QByteArray& arg : args) argv.push_back(arg.data());
      QVERIFY(!kw::AnswersWithoutWindow(static_cast<int>(argv.size()), argv.data()));
    }
  }
};

QTEST_GUILESS_MAIN(ProgramArgumentsTest)
#include "program_arguments_test.moc"
