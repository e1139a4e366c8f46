// The main window driven through real keys, clicks and menus, with its
// questions and dialogs answered by a script.
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QDir>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <functional>

#include "state/ini_file.h"
#include "app/main_window.h"
#include "common/paths.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "controls/splitter_bar.h"
#include "state/recent_files_menu.h"
#include "state/recent_files_sink.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"

using namespace std::string_literals;
using kw::TForm1;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

namespace {

struct RecordingRecentFiles : kw::RecentFilesSink {
  void SetIniFile(const std::string& path) override { iniFile = path; }
  void AddFile(const std::string& path) override { added.push_back(path); }
  std::string iniFile;
  std::vector<std::string> added;
};

constexpr char kPrefix[] = "Kempwell Beta 2.0.7 ";

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_;
  std::unique_ptr<TempFolder> docs_;
  std::unique_ptr<TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;
  RecordingRecentFiles mru_;
  const QString startDir_ = QDir::currentPath();

  void Start(const std::optional<std::string>& document = std::nullopt) {
    QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, document, [this](TForm1& form) { form.Mru = &mru_; }));
  }
  kw::SourceEditor& Editor() { return *form_->Editor; }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(&Editor(), Qt::Key(key), modifiers); }
  QString Caption() const { return form_->windowTitle(); }
  std::string OpenSample(const std::string& bytes = "<p>one</p>\r\n<p>two</p>") {
    const std::string path = docs_->Write("page one.htm", bytes);
    Start(path);
    return path;
  }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir_->Path()));
    mru_ = {};
  }
  void cleanup() {
    form_.reset();
    // A tidy run moves into the program folder, which the next test removes.
    QDir::setCurrent(startDir_);
  }

  // Only the always available commands; their shortcuts do nothing, and
  // Delete in the empty editor marks it modified without a line to save.
  void withoutADocument() {
    Start();
    QCOMPARE(Caption(), QString(kPrefix));
    for (QAction* off : {form_->Suorita1, form_->FileSaveAs1, form_->Korvaa1, form_->Sulje1, form_->AutRiv,
                         form_->Avaaselaimessa1, form_->actSearch, form_->Valitsekaikki1})
      QVERIFY2(!off->isEnabled(), qPrintable(off->text()));
    for (QAction* on : {form_->FileOpen1, form_->FileExit1, form_->Toolbar1, form_->Ohjelmatiedot1})
      QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    for (QToolButton* off : {form_->btRun, form_->btSave, form_->btSaveas, form_->btWebBrowser}) QVERIFY(!off->isEnabled());
    QVERIFY(!form_->Recentfiles1->isEnabled());
    QVERIFY(form_->ToolbarPanel->isVisible() && form_->Toolbar1->isChecked());
    QCOMPARE(QString::fromStdString(mru_.iniFile), QString::fromStdString(programDir_->File("kwmru.ini")));
    QSignalSpy run(form_->Suorita1, &QAction::triggered);
    Key(Qt::Key_S, Qt::ControlModifier);
    Key(Qt::Key_R, Qt::ControlModifier);
    Key(Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(run.count(), 0);
    Key(Qt::Key_F3);
    Key(Qt::Key_F3, Qt::ControlModifier);
    QCOMPARE(dialogs_->infos, (std::vector<QString>{"Not found.", "Not found."}));
    QVERIFY(dialogs_->errors.empty());
    // Find is disabled and takes the key press; the release opens the search.
    Key(Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(dialogs_->searchDialogs, 1);
    Key(Qt::Key_Delete);
    QVERIFY(Editor().Modified());
    QCOMPARE(Editor().LineCount(), 0);
    QVERIFY(form_->close());
    QVERIFY(dialogs_->confirms.empty());
  }

  // Typed text without a file: Save asks for a name, and so does Yes to the
  // window's close question, where cancelling the name keeps the window.
  void typingWithoutADocument() {
    Start();
    QTest::keyClicks(&Editor(), "x");
    QVERIFY(form_->Korvaa1->isEnabled() && form_->FileSaveAs1->isEnabled() && form_->btSave->isEnabled());
    // Nothing to view in the browser before the text has a file.
    QVERIFY(!form_->Suorita1->isEnabled() && !form_->Sulje1->isEnabled() && !form_->Avaaselaimessa1->isEnabled());
    QCOMPARE(Caption(), QString(kPrefix) + "*");
    Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs_->saveFolders.size(), size_t(1));
    QVERIFY(Editor().Modified());
    dialogs_->confirmAnswers = {kw::SaveAnswer::Yes, kw::SaveAnswer::No};
    QVERIFY(!form_->close());
    QCOMPARE(dialogs_->saveFolders.size(), size_t(2));
    QVERIFY(form_->close());
    QCOMPARE(dialogs_->confirms.size(), size_t(2));
    QVERIFY(dialogs_->errors.empty());
  }

  void openingFromTheCommandLine() {
    const std::string path = OpenSample();
    QCOMPARE(Caption(), QString(kPrefix) + QString::fromStdString(path));
    QCOMPARE(QString::fromStdString(form_->DocumentDir), QString::fromStdString(docs_->Path()));
    QCOMPARE(mru_.added, std::vector<std::string>{path});
    QVERIFY(form_->Recentfiles1->isEnabled());
    for (QAction* on : {form_->Suorita1, form_->Sulje1, form_->Avaaselaimessa1, form_->AutRiv, form_->Valitsekaikki1,
                        form_->actSearch})
      QVERIFY2(on->isEnabled(), qPrintable(on->text()));
    QVERIFY(!form_->Korvaa1->isEnabled() && !form_->FileSaveAs1->isEnabled());
    QSignalSpy run(form_->Suorita1, &QAction::triggered);
    Key(Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(run.count(), 1);
  }

  void commandLinePaths() {
    docs_->Write("rel.htm", "x");
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(docs_->Path())));
    Start(std::string("./sub/../rel.htm"));
    QCOMPARE(QString::fromStdString(form_->CurrentFileName), QString::fromStdString(docs_->File("rel.htm")));
    form_.reset();
    Start(std::string("missing file.htm"));  // the error names the file asked for
    QDir::setCurrent(cwd);
    QCOMPARE(dialogs_->errors, std::vector<QString>{QString("Cannot open file \"%1\". No such file or directory")
                                                        .arg(QString::fromStdString(docs_->File("missing file.htm")))});
    QVERIFY(form_->CurrentFileName.empty());
  }

  // Read by the INI file's rule for booleans; written back at close.
  void theToolbarSetting() {
    programDir_->Write("Kempwell.ini", "[options]\ntoolbarVISIBLE = 0x0\n");
    Start();
    QVERIFY(!form_->ToolbarPanel->isVisible() && !form_->Toolbar1->isChecked());
    const int editorWidth = Editor().width();
    form_->Toolbar1->trigger();
    QTRY_VERIFY(Editor().width() < editorWidth);
    QVERIFY(form_->close());
    QVERIFY(kw::IniFile(programDir_->File("Kempwell.ini")).ReadBool("Options", "Toolbarvisible", false));
  }

  void onlyTypedKeysAndDeleteRefreshTheStates() {
    OpenSample();
    Key(Qt::Key_Return);
    QApplication::clipboard()->setText("pasted");
    Key(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(Editor().Text().substr(0, 8) == "\r\npasted");
    QVERIFY(Editor().Modified());
    QVERIFY(!form_->Korvaa1->isEnabled() && !Caption().endsWith('*'));
    Key(Qt::Key_Delete);
    QVERIFY(form_->Korvaa1->isEnabled() && Caption().endsWith('*'));
  }

  // A failed save keeps the old file and the modified flag.
  void saveWritesTheTextBackByteForByte() {
    const std::string path = OpenSample("a\r\nb\r\n\xe9\0z"s);
    Key(Qt::Key_End);
    QTest::keyClicks(&Editor(), "!");
    Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(TempFolder::Read(path), "a!\r\nb\r\n\xe9\0z"s);
    QVERIFY(!Editor().Modified());
    QVERIFY(!form_->Korvaa1->isEnabled());
    QCOMPARE(Caption(), QString(kPrefix) + QString::fromStdString(path));
    const std::string lost = docs_->File("no such folder/page.htm");
    form_->CurrentFileName = lost;
    QTest::keyClicks(&Editor(), "new ");
    Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs_->errors.size(), size_t(1));
    QVERIFY(dialogs_->errors[0].startsWith("Cannot create file \"" + QString::fromStdString(lost)));
    QVERIFY(Editor().Modified());
    QCOMPARE(TempFolder::Read(path), "a!\r\nb\r\n\xe9\0z"s);
  }

  void saveAsAdoptsTheNameButNotTheFolder() {
    OpenSample();
    TempFolder other;
    const std::string target = other.File("copy.htm");
    QTest::keyClicks(&Editor(), "x");
    dialogs_->saveAnswers = {target};
    form_->btSaveas->click();
    QCOMPARE(form_->CurrentFileName, target);
    QCOMPARE(TempFolder::Read(target), "x<p>one</p>\r\n<p>two</p>"s);
    QCOMPARE(mru_.added.size(), size_t(1));
    form_->FileOpen1->trigger();
    QCOMPARE(dialogs_->openFolders.back(), docs_->Path());
  }

  void openQuestionAnsweredNoOpensTheChosenFile() {
    OpenSample();
    QTest::keyClicks(&Editor(), "x");
    const std::string second = docs_->Write("second.htm", "second");
    dialogs_->confirmAnswers = {kw::SaveAnswer::No};
    dialogs_->openAnswers = {second};
    Key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogs_->confirms.size(), size_t(1));
    QCOMPARE(Editor().Text(), std::string_view("second"));
    QVERIFY(!Editor().Modified());
  }

  void closeAnsweredYesSavesUnderTheNewNameThenCloses() {
    OpenSample();
    QTest::keyClicks(&Editor(), "x");
    const std::string target = docs_->File("saved.htm");
    dialogs_->confirmAnswers = {kw::SaveAnswer::Yes};
    dialogs_->saveAnswers = {target};
    Key(Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(TempFolder::Read(target), "x<p>one</p>\r\n<p>two</p>"s);
    QVERIFY(form_->CurrentFileName.empty());
    QCOMPARE(Editor().LineCount(), 0);
    QVERIFY(!form_->Sulje1->isEnabled());
  }

  // Text the user deleted entirely is as much a change as any other: Yes
  // saves it in place, then the first file dropped opens.
  void droppingSavesAnEmptiedDocumentInPlaceAndOpensTheFirstFile() {
    const std::string first = OpenSample("all of it");
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    const std::string a = docs_->Write("a.htm", "A"), b = docs_->Write("b.htm", "B");
    dialogs_->confirmAnswers = {kw::SaveAnswer::Yes};
    form_->EditorDropFiles({a, b, docs_->File("c.htm")});
    QCOMPARE(dialogs_->confirms.size(), size_t(1));
    QCOMPARE(TempFolder::Read(first), ""s);
    QCOMPARE(form_->CurrentFileName, a);
    QCOMPARE(Editor().Text(), std::string_view("A"));
  }

  // Cancel, Esc or the box's close button: the operation stops and the text stays.
  void cancellingTheQuestionKeepsTheText() {
    const std::string path = OpenSample("kept");
    QTest::keyClicks(&Editor(), "typed ");
    const std::string other = docs_->Write("other.htm", "other");
    mru_.added.clear();
    const std::vector<std::function<void()>> operations = {
        [&] { form_->FileOpen1->trigger(); }, [&] { form_->Sulje1->trigger(); },
        [&] { form_->EditorDropFiles({other}); }, [&] { form_->MruMenuClick(other); },
        [&] { QVERIFY(!form_->close()); }};
    for (const auto& operation : operations) {
      dialogs_->confirmAnswers = {kw::SaveAnswer::Cancel};
      operation();
      QCOMPARE(std::string(Editor().Text()), "typed kept"s);
      QCOMPARE(form_->CurrentFileName, path);
      QVERIFY(Editor().Modified());
    }
    QCOMPARE(dialogs_->confirms.size(), operations.size());
    QVERIFY(dialogs_->openFolders.empty() && mru_.added.empty());
    QCOMPARE(TempFolder::Read(path), "kept"s);
  }

  // A file that could not be read leaves no name behind that Save could write
  // the few typed bytes over, whichever way it was opened.
  void aFailedOpenLeavesNoNameToSaveOver() {
    const std::string big = docs_->File("too large.htm");
    {
      std::ofstream(big, std::ios::binary).put('x');
      QVERIFY(::truncate(big.c_str(), off_t{2} << 30) == 0);
    }
    const std::vector<std::function<void()>> routes = {
        [&] { Start(big); },
        [&] {
          dialogs_->openAnswers = {big};
          form_->FileOpen1->trigger();
        },
        // As the window's drop and menu events call them.
        [&] { form_->Guarded([&] { form_->EditorDropFiles({big}); }); },
        [&] { form_->Guarded([&] { form_->MruMenuClick(big); }); }};
    for (const auto& route : routes) {
      form_.reset();
      OpenSample();
      route();
      QVERIFY(dialogs_->errors.size() == 1 && dialogs_->errors[0].contains("too large.htm"));
      QVERIFY(form_->CurrentFileName.empty());
      QCOMPARE(Caption(), QString(kPrefix));
      QTest::keyClicks(&Editor(), "abc");
      Key(Qt::Key_S, Qt::ControlModifier);  // asks for a name, which the script refuses
      QCOMPARE(::lseek(::open(big.c_str(), O_RDONLY), 0, SEEK_END), off_t{2} << 30);
    }
  }

  // Files by the working files' names that the user keeps beside the document
  // are not the program's: they stay, and the browser copy takes another name.
  void closingRemovesOnlyTheBrowserCopiesItWrote() {
    OpenSample();
    const std::string users = docs_->Write("~modified.htm", "mine"), stray = docs_->Write("~tidied.htm", "t");
    QTest::keyClicks(&Editor(), "x");
    form_->Avaaselaimessa1->trigger();
    const std::string copy = docs_->File("~modified-2.htm");
    QCOMPARE(TempFolder::Read(copy), "x<p>one</p>\r\n<p>two</p>"s);
    dialogs_->confirmAnswers = {kw::SaveAnswer::No};
    form_->btExit->click();
    QVERIFY(!form_->isVisible());
    QVERIFY(TempFolder::Read(users) == "mine" && TempFolder::Read(stray) == "t" && !kw::PathExists(copy));
  }

  // Typed text saved under a name has no document folder: its browser copy
  // lives in the program folder, and closing removes it there, not at the root.
  void theBrowserCopyWithoutADocumentFolderIsRemovedAtClose() {
    Start();
    QTest::keyClicks(&Editor(), "x");
    dialogs_->saveAnswers = {docs_->File("typed.htm")};
    form_->FileSaveAs1->trigger();
    QTest::keyClicks(&Editor(), "y");
    form_->Avaaselaimessa1->trigger();
    const std::string copy = programDir_->File("~modified.htm");
    QCOMPARE(QString::fromStdString(form_->BrowserCopyPath()), QString::fromStdString(copy));
    QVERIFY(kw::PathExists(copy));
    QVERIFY(form_->close());
    QVERIFY(!kw::PathExists(copy));
  }

  // The status bar names the encoding; View > Encoding reads the same bytes
  // the other way and leaves the modified flag; a new document is UTF-8.
  void theEncodingIsShownAndCanBeChanged() {
    OpenSample("caf\xC3\xA9");
    QCOMPARE(form_->EncodingLabel->text(), QString("UTF-8"));
    QTest::keyClicks(&Editor(), "x");
    form_->EncodingLatin1->trigger();
    QCOMPARE(form_->EncodingLabel->text(), QString("ISO-8859-1"));
    QVERIFY(form_->EncodingLatin1->isChecked() && Editor().Modified());
    QCOMPARE(Editor().text(), QString::fromLatin1("xcaf\xC3\xA9"));
    dialogs_->confirmAnswers = {kw::SaveAnswer::No};
    form_->Sulje1->trigger();
    QCOMPARE(form_->EncodingLabel->text(), QString("UTF-8"));
  }

  // Which word is the word-finding rule's; a word of a UTF-8 document keeps
  // its multi-byte letters whole.
  void f1ShowsTheWordAtTheCaret() {
    OpenSample("<p>d\xC3\xA9j\xC3\xA0 vu");
    Editor().SetCaretPos({1, 5});
    Key(Qt::Key_F1);
    QCOMPARE(dialogs_->infos, (std::vector<QString>{QString::fromUtf8("d\xC3\xA9j\xC3\xA0")}));
  }

  // Ctrl+A selects the whole text, on its release alone too.
  void copyOfTheWholeTextNeedsTheEditorFocus() {
    OpenSample();
    QTest::keyRelease(&Editor(), Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText("before");
    form_->DiagList->setFocus();
    QTest::keyClick(form_->DiagList, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("before"));
    QVERIFY(!form_->EditCopy1->isEnabled() && !form_->EditPaste1->isEnabled());
    Editor().setFocus();
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("<p>one</p>\r\n<p>two</p>"));
  }

  void aClickPaintsTheCaretLineWhite() {
    OpenSample();
    QVERIFY(!Editor().ActiveLineColor().isValid());
    QTest::mouseClick(Editor().viewport(), Qt::LeftButton, {}, QPoint(40, 5));
    QCOMPARE(Editor().ActiveLineColor(), QColor(255, 255, 255));
  }

  void wordwrapToggle() {
    OpenSample();
    Key(Qt::Key_W, Qt::ControlModifier);
    QVERIFY(Editor().WordWrap() && form_->AutRiv->isChecked());
    Key(Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!Editor().WordWrap() && !form_->AutRiv->isChecked());
  }

  void theSplitterResizesTheListAndEscCancels() {
    Start();
    QWidget* bar = form_->Splitter1;
    const auto drag = [bar](int toY, bool escape = false) {
      QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(10, 2));
      QTest::mouseMove(bar, QPoint(10, toY));
      if (escape) QTest::keyClick(bar, Qt::Key_Escape);
      QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(10, toY));
    };
    const int before = form_->Panel2->height();
    drag(-48, true);
    QCOMPARE(form_->Panel2->height(), before);
    drag(-48);
    QTRY_COMPARE(form_->Panel2->height(), before + 50);
    drag(5000);
    QTRY_COMPARE(form_->Panel2->height(), 30);
    // Up as far as it goes: the editor keeps its own least height, and the
    // list stays inside the window, which keeps its size.
    const QSize window = form_->size();
    drag(-5000);
    QTRY_COMPARE(form_->Editor->height(), std::max(30, form_->Editor->minimumSizeHint().height()));
    QCOMPARE(form_->Panel2->geometry().bottom(), form_->Panel1->height() - 1);
    QCOMPARE(form_->size(), window);
  }

  void recentFilesReopenAndReportGoneFiles() {
    Start();
    // The window's own list instead of the recording one.
    form_->Mru = form_->MruList.get();
    form_->Mru->SetIniFile(programDir_->File("kwmru.ini"));
    const std::string first = docs_->Write("first.htm", "one"), second = docs_->Write("second.htm", "two");
    dialogs_->openAnswers = {first, second};
    form_->FileOpen1->trigger();
    form_->FileOpen1->trigger();
    QCOMPARE(form_->Recentfiles1->actions().size(), 2);
    form_->Recentfiles1->actions().at(1)->trigger();
    QCOMPARE(form_->CurrentFileName, first);
    QCOMPARE(std::string(Editor().Text()), "one"s);

    std::remove(second.c_str());
    form_->Recentfiles1->actions().at(1)->trigger();
    QCOMPARE(dialogs_->infos, std::vector<QString>{"The file does not exist!"});
    QCOMPARE(form_->CurrentFileName, first);
  }

  void theWindowComesBackWhereAndHowItWasLeft() {
    const TempFolder config;
    const kw::test::ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    const std::string store = config.File("main_window_test.ini");
    config.Write("main_window_test.ini", "[Form1]\nLeft=20\nTop=30\nWidth=640\nHeight=400\nWindowState=7\n");
    Start();
    QCOMPARE(QRect(form_->x(), form_->y(), form_->width(), form_->height()), QRect(20, 30, 640, 400));
    QVERIFY(!form_->isMaximized());
    form_->showMaximized();
    form_.reset();
    QCOMPARE(kw::IniFile(store).ReadInteger("Form1", "WindowState", 0), 2);
    Start();
    QVERIFY(form_->isMaximized());
    form_.reset();
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
