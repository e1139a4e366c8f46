// View in browser through the real window: which file the desktop is asked to
// open, the copy of unsaved text and its bytes, and what cannot be done. The
// copy without a document folder is the main window test's.
#include <unistd.h>

#include <QAction>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "app/main_window.h"
#include "common/local_file_url.h"
#include "controls/source_editor.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/temp_files.h"

using kw::test::TempFolder;

class ViewInBrowserTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_, docs_;
  std::unique_ptr<kw::TForm1> form_;
  kw::test::ScriptedDialogs* dialogs_ = nullptr;

  void Start(const std::string& path) { QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, path)); }
  void TypeAtEnd() {
    QTest::keyClick(form_->Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form_->Editor, "X");
  }
  void View() { QTest::keyClick(form_->Editor, Qt::Key_F12, Qt::ControlModifier); }
  std::vector<std::string> Opened() {
    std::vector<std::string> paths;
    for (const QUrl& url : dialogs_->desktopOpens) paths.push_back(kw::LocalFilePath(url));
    return paths;
  }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir_->Path()));
  }
  void cleanup() { form_.reset(); }

  // Unmodified, the file itself; modified, a copy in the document's breaks
  // and bytes under a free name beside it, which neither replaces the
  // document nor writes through a link someone planted by its name; the
  // document is not saved. Either is handed over as a URL, never as a command
  // line, so no character in the path is special and its bytes stay as they
  // are, UTF-8 or not.
  void whatTheDesktopOpens() {
    const std::string folder = docs_->File("my docs & more; $(touch pwned) `id` caf\xE9");
    QVERIFY(::mkdir(folder.c_str(), 0700) == 0);
    const std::string victim = docs_->Write("victim.txt", "keep");
    QVERIFY(::symlink(victim.c_str(), (folder + "/~modified-2.htm").c_str()) == 0);
    const std::string bytes = "<p>caf\xE9</p>\r\xFF", path = folder + "/~modified.htm";
    docs_->Write(path.substr(docs_->Path().size() + 1), bytes);
    Start(path);
    View();
    form_->btWebBrowser->click();
    form_->Avaaselaimessa1->trigger();
    QCOMPARE(Opened(), std::vector<std::string>(3, path));
    TypeAtEnd();
    View();
    const std::string copy = folder + "/~modified-3.htm";
    QCOMPARE(Opened().back(), copy);
    QCOMPARE(TempFolder::Read(copy), bytes + "X");
    QVERIFY(TempFolder::Read(path) == bytes && TempFolder::Read(victim) == "keep");
    QVERIFY(form_->Editor->Modified());
  }

  void failuresAreReported() {
    const std::string path = docs_->Write("page.htm", "<p>x</p>");
    Start(path);
    dialogs_->desktopAnswers = {false};
    View();
    TypeAtEnd();
    form_->DocumentDir = docs_->File("gone");
    View();
    QCOMPARE(dialogs_->desktopOpens.size(), size_t(1));
    QCOMPARE(dialogs_->errors.size(), size_t(2));
    QCOMPARE(dialogs_->errors[0], QStringLiteral("No application could open \"%1\".").arg(path.c_str()));
    QVERIFY2(dialogs_->errors[1].startsWith(QStringLiteral("Cannot create file \"%1/~modified.htm\". ")
                                                .arg(QString::fromStdString(docs_->File("gone")))),
             qPrintable(dialogs_->errors[1]));
  }
};

QTEST_MAIN(ViewInBrowserTest)
#include "view_in_browser_test.moc"
