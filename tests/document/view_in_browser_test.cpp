// View in browser through the real window: which file the desktop is asked to
// open, the copy of unsaved text and its bytes, and a copy that cannot be made.
// The copy without a document folder is the main window test's.
#include <unistd.h>

#include <QAction>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "app/main_window.h"
#include "common/local_file_url.h"
#include "common/paths.h"
#include "controls/source_editor.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/temp_files.h"

using kw::TForm1;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

namespace {

std::vector<std::string> Paths(const std::vector<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) paths.push_back(kw::LocalFilePath(url));
  return paths;
}

QByteArray Bytes(const std::string& s) { return QByteArray::fromStdString(s); }

}  // namespace

class ViewInBrowserTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_;
  std::unique_ptr<TempFolder> docs_;
  std::unique_ptr<TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;

  void Start(const std::optional<std::string>& document) {
    QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, document));
  }
  std::string Open(const std::string& bytes) {
    const std::string path = docs_->Write("page.htm", bytes);
    Start(path);
    return path;
  }
  void TypeAtEnd(const char* text) {
    QTest::keyClick(form_->Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form_->Editor, text);
  }
  void View() { QTest::keyClick(form_->Editor, Qt::Key_F12, Qt::ControlModifier); }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", Bytes(programDir_->Path()));
  }
  void cleanup() { form_.reset(); }

  // The copy has the document's breaks and bytes; the document is not saved.
  void modifiedDocumentOpensACopyInItsBreakStyle_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("copy");
    QTest::newRow("lf") << QByteArray("a\nb\n") << QByteArray("a\nb\nX");
    QTest::newRow("cr, latin-1 bytes") << QByteArray("caf\xe9\r\xff") << QByteArray("caf\xe9\r\xffX");
  }
  void modifiedDocumentOpensACopyInItsBreakStyle() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, copy);
    const std::string path = Open(file.toStdString());
    TypeAtEnd("X");
    View();
    QCOMPARE(Bytes(TempFolder::Read(docs_->File("~modified.htm"))), copy);
    QCOMPARE(Bytes(TempFolder::Read(path)), file);
    QVERIFY(form_->Editor->Modified());
  }

  void copyThatCannotBeWrittenIsReportedAndNothingOpens() {
    Open("<p>one</p>");
    TypeAtEnd("X");
    form_->DocumentDir = docs_->File("gone");
    View();
    QVERIFY(dialogs_->desktopOpens.empty());
    QCOMPARE(dialogs_->errors.size(), size_t(1));
    QVERIFY2(dialogs_->errors[0].startsWith(QStringLiteral("Cannot create file \"%1/~modified.htm\". ")
                                                .arg(QString::fromStdString(docs_->File("gone")))),
             qPrintable(dialogs_->errors[0]));
  }

  // Unmodified, the file itself; either way handed over as a URL, never as a
  // command line, so no character in the path is special, and its bytes stay
  // as they are, UTF-8 or not.
  void shellCharactersReachTheDesktopAsOnePath_data() {
    QTest::addColumn<bool>("modified");
    QTest::newRow("the file") << false;
    QTest::newRow("the copy") << true;
  }
  void shellCharactersReachTheDesktopAsOnePath() {
    QFETCH(bool, modified);
    const std::string folder = docs_->File("my docs & more; $(touch pwned) `id` caf\xE9");
    QVERIFY(::mkdir(folder.c_str(), 0700) == 0);
    const std::string path = folder + "/a b&c;$(rm -rf x) 'q' \"d\" #1 %20?.htm";
    docs_->Write(path.substr(docs_->Path().size() + 1), "<p>x</p>");
    Start(path);
    if (modified) TypeAtEnd("X");
    View();
    form_->btWebBrowser->click();
    form_->Avaaselaimessa1->trigger();
    const std::string target = modified ? folder + "/~modified.htm" : path;
    QCOMPARE(Paths(dialogs_->desktopOpens), std::vector<std::string>(3, target));
    QCOMPARE(kw::PathExists(folder + "/~modified.htm"), modified);
  }

  void nothingToOpenItIsReported() {
    const std::string path = Open("<p>x</p>");
    dialogs_->desktopAnswers = {false};
    View();
    QCOMPARE(dialogs_->errors, std::vector<QString>{QStringLiteral("No application could open \"%1\".")
                                                       .arg(QString::fromStdString(path))});
  }

  // The copy never replaces the document, nor writes through a link someone
  // planted by its name.
  void theCopyTakesAFreeNameBesideTheDocument() {
    const std::string victim = docs_->Write("victim.txt", "keep");
    QVERIFY(::symlink(victim.c_str(), docs_->File("~modified-2.htm").c_str()) == 0);
    const std::string path = docs_->Write("~modified.htm", "<p>doc</p>");
    Start(path);
    TypeAtEnd("X");
    View();
    QCOMPARE(Paths(dialogs_->desktopOpens), std::vector<std::string>{docs_->File("~modified-3.htm")});
    QCOMPARE(TempFolder::Read(docs_->File("~modified-3.htm")), std::string("<p>doc</p>X"));
    QVERIFY(TempFolder::Read(path) == "<p>doc</p>" && TempFolder::Read(victim) == "keep");
  }
};

QTEST_MAIN(ViewInBrowserTest)
#include "view_in_browser_test.moc"
