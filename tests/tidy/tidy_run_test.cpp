// Run tidy through the window, with the stand-in tidy first on PATH: the
// cleaned text as one undo step, the list and its jump, the commands that a
// run refuses, closing during a run, and the failures the user is told of.
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/main_window.h"
#include "controls/diag_list_view.h"
#include "common/paths.h"
#include "controls/source_editor.h"
#include "support/fake_tidy.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "tidy/diag_kind.h"
#include "tidy/diag_list_model.h"
#include "support/trace_capture.h"
#include "support/trace_processes.h"

using kw::TForm1;
using kw::test::FakeTidy;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

namespace {

std::string NumberedLines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "<p>" + std::to_string(i) + "</p>\n";
  return text;
}

}  // namespace

class TidyRunTest : public QObject {
  Q_OBJECT

  std::unique_ptr<FakeTidy> tidy_;
  std::unique_ptr<TempFolder> docs_;
  std::unique_ptr<TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::string startDir_;

  std::string Open(const std::string& bytes) {
    const std::string path = docs_->Write("my page.htm", bytes);
    if (!kw::test::StartScriptedWindow(form_, dialogs_, path)) qWarning("the window never became active");
    return path;
  }
  kw::SourceEditor& Editor() { return *form_->Editor; }
  std::string Text() { return std::string(Editor().Text()); }
  QStringList ListRows() {
    QStringList rows;
    for (int r = 0; r < form_->DiagModel->rowCount(); ++r)
      rows << form_->DiagModel->index(r, 0).data().toString() + "|" + form_->DiagModel->index(r, 1).data().toString();
    return rows;
  }
  void ClickRow(int row) {
    const QRect cell = form_->DiagList->visualRect(form_->DiagModel->index(row, 1));
    QTest::mouseClick(form_->DiagList->viewport(), Qt::LeftButton, {}, cell.center());
  }
  bool WorkingFilesLeft() const {
    return kw::PathExists(tidy_->ProgramFolder().File("errs.txt")) ||
           kw::PathExists(tidy_->ProgramFolder().File("~tidied.htm"));
  }

 private slots:
  void init() {
    startDir_ = kw::CurrentDirectory();
    tidy_ = std::make_unique<FakeTidy>();
    docs_ = std::make_unique<TempFolder>();
  }
  void cleanup() {
    form_.reset();
    tidy_.reset();
    QVERIFY(::chdir(startDir_.c_str()) == 0);
  }

  void theCleanedTextOfTheEditsReplacesThemAsOneUndoStep() {
    tidy_->SetReport("line 12 column 5 - Warning: twelve\nline 3 column 1 - Warning: three\n");
    const std::string path = Open("<p>x\r\n<p>y");
    // Tidy cleans what the user sees; the file stays as it was.
    QTest::keyClicks(&Editor(), "z");
    form_->btRun->click();
    QCOMPARE(Text(), std::string("<!-- tidied -->\nz<p>x\r\n<p>y"));
    QCOMPARE(TempFolder::Read(path), std::string("<p>x\r\n<p>y"));
    QVERIFY(Editor().Modified());
    QVERIFY(form_->windowTitle().endsWith('*'));
    QCOMPARE(ListRows(), QStringList({"3| Warning: three", "12| Warning: twelve"}));
    QCOMPARE(form_->Label1->text(), QString("2 Warnings"));
    QVERIFY(!WorkingFilesLeft());
    QVERIFY(dialogs_->errors.empty());

    Editor().undo();
    QCOMPARE(Text(), std::string("z<p>x\r\n<p>y"));
    QVERIFY(Editor().Modified() && form_->DiagModel->Stale());
    Editor().undo();
    QCOMPARE(Text(), std::string("<p>x\r\n<p>y"));
    QVERIFY(!Editor().Modified());
  }

  // Tidy found errors and wrote nothing: the first report is listed, the
  // text and its flag stay. A run that changes nothing sets no flag either.
  void aRunThatDoesNotChangeTheTextLeavesItAsItWas() {
    tidy_->SetReport("Config: unknown option: x\nline 5 column 1 - Error: <xyz> is not recognized!\n");
    ::setenv("FAKE_TIDY_NO_OUTPUT", "1", 1);
    Open("<p>x");
    form_->Suorita1->trigger();
    QCOMPARE(ListRows(), QStringList({"--| Config: unknown option: x", "5| Error: <xyz> is not recognized!"}));
    QCOMPARE(form_->Label1->text(), QString("2 Warnings - not cleaned: tidy found errors"));
    QCOMPARE(tidy_->Runs().size(), size_t(1));
    ::unsetenv("FAKE_TIDY_NO_OUTPUT");
    ::setenv("FAKE_TIDY_SAME", "1", 1);
    form_->Suorita1->trigger();
    QCOMPARE(Text(), std::string("<p>x"));
    QVERIFY(!Editor().Modified() && !Editor().CanUndo());
    QVERIFY(dialogs_->errors.empty());
  }

  // Typing and Undo wait for the run; Esc stops it and leaves everything as it was.
  void escStopsARunAndTypingDuringItIsRefused() {
    ::setenv("FAKE_TIDY_SLEEP", "30", 1);
    Open("<p>x");
    QTest::keyClicks(&Editor(), "z");
    form_->SetStatusText("before");
    QTimer::singleShot(300, this, [&] {
      QVERIFY(form_->Label1->text().startsWith("Running tidy... "));
      QCOMPARE(form_->btRun->text(), QString("Stop"));
      QTest::keyClicks(&Editor(), "typed");
      Editor().undo();
      QTest::keyClick(&Editor(), Qt::Key_Escape);
    });
    form_->Suorita1->trigger();
    QCOMPARE(Text(), std::string("z<p>x"));
    QVERIFY(Editor().Modified());
    QCOMPARE(form_->Label1->text(), QString("Stopped"));
    QCOMPARE(form_->DiagModel->rowCount(), 0);
    QVERIFY(!WorkingFilesLeft() && !kw::PathExists(tidy_->ProgramFolder().File("~unsaved.htm")));
    for (const pid_t pid : tidy_->Pids()) QCOMPARE(::kill(pid, 0), -1);
    QCOMPARE(form_->btRun->text(), QString("&Run tidy"));
  }

  // A click, Enter or Space on a row, or F8 and Shift+F8 from anywhere, put
  // the caret on the message's line and column, counted in characters.
  void aRowMovesTheEditorToItsLineAndColumn() {
    tidy_->SetReport("line 41 column 1 - Warning: forty\nline 4 column 2 - Warning: three\nline  column - odd\n"
                     "line 2 column 5 - Info: after a two-byte letter\n");
    Open("<p>\xC3\xA9xyz</p>\n" + NumberedLines(100));
    form_->resize(700, 700);
    form_->Suorita1->trigger();
    QCOMPARE(ListRows(), QStringList({"| odd", "2| Info: after a two-byte letter", "4| Warning: three",
                                      "41| Warning: forty"}));
    QCOMPARE(form_->DiagModel->index(2, 2).data().toInt(), 2);
    QCOMPARE(form_->DiagModel->index(2, 1).data(kw::TDiagListModel::KindRole).toInt(),
             static_cast<int>(kw::DiagKind::Warning));

    ClickRow(3);
    QCOMPARE(Editor().TopLine(), 36);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{41, 1}));
    QCOMPARE(Editor().ActiveLineColor(), QColor(255, 255, 0));
    QVERIFY(Editor().hasFocus());
    ClickRow(2);
    QCOMPARE(Editor().TopLine(), 1);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{4, 2}));
    // A Line that is no number goes to the top, like line 0.
    ClickRow(0);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{1, 1}));
    QTest::keyClick(&Editor(), Qt::Key_Down);
    QCOMPARE(Editor().ActiveLineColor(), QColor(255, 255, 255));
    // Dragging the Line column after the Message column changes only the display.
    QWidget* header = form_->DiagList->header()->viewport();
    QTest::mousePress(header, Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseMove(header, QPoint(400, 5));
    QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(400, 5));
    QCOMPARE(form_->DiagList->header()->visualIndex(kw::TDiagListModel::LineColumn), 1);
    ClickRow(3);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{41, 1}));
    // A click below the rows chooses the focused row.
    Editor().SetCaretPos({1, 1});
    form_->Panel2->setFixedHeight(200);
    QWidget* rows = form_->DiagList->viewport();
    QTRY_VERIFY(rows->height() > form_->DiagList->visualRect(form_->DiagModel->index(3, 1)).bottom() + 10);
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(20, rows->height() - 5));
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{41, 1}));

    QTest::keyClick(&Editor(), Qt::Key_F8);  // round to the first row
    QCOMPARE(form_->DiagList->currentIndex().row(), 0);
    QTest::keyClick(&Editor(), Qt::Key_F8);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{2, 6}));  // é is two bytes
    QTest::keyClick(&Editor(), Qt::Key_F8, Qt::ShiftModifier);
    QTest::keyClick(&Editor(), Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(form_->DiagList->currentIndex().row(), 3);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
      form_->DiagList->setFocus();
      form_->DiagList->setCurrentIndex(form_->DiagModel->index(2, 0));
      QTest::keyClick(form_->DiagList, key);
      QCOMPARE(Editor().CaretPos(), (kw::TextPos{4, 2}));
      QVERIFY(Editor().hasFocus());
    }

    // The margin marks a message's line by kind and moves with the text; the jump follows it.
    QCOMPARE(Editor().MessageMarksOn(4), 1 << int(kw::SourceEditor::MarkKind::Warning));
    QCOMPARE(Editor().MessageMarksOn(2), 1 << int(kw::SourceEditor::MarkKind::Information));
    QVERIFY(!form_->DiagModel->Stale());
    Editor().SetCaretPos({1, 1});
    QTest::keyClick(&Editor(), Qt::Key_Return);
    // The list now describes an earlier text, and says so.
    QVERIFY(form_->DiagModel->index(0, 1).data(kw::TDiagListModel::StaleRole).toBool());
    QCOMPARE(form_->Label1->text(), QString("4 Warnings - the text has changed since"));
    QCOMPARE(Editor().MessageMarksOn(5), 1 << int(kw::SourceEditor::MarkKind::Warning));
    QCOMPARE(Editor().OnMarkToolTip(Editor(), 5), QString("Warning: three"));
    ClickRow(2);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{5, 2}));

    // The filter by kind: a button per kind present, with its count, and the
    // View menu's choice; hidden rows keep their marks, the focused row stays.
    QStringList buttons;
    for (const auto& filter : form_->KindFilters)
      if (filter.button->isVisibleTo(form_.get())) buttons << filter.button->text();
    QCOMPARE(buttons, QStringList({"Warnings: 2", "Info: 1"}));
    form_->DiagList->setCurrentIndex(form_->DiagModel->index(3, 0));
    form_->KindFilters[2].button->click();  // Info
    QVERIFY(!form_->KindFilters[2].action->isChecked());
    QCOMPARE(ListRows(), QStringList({"| odd", "4| Warning: three", "41| Warning: forty"}));
    QCOMPARE(form_->DiagList->currentIndex().row(), 2);
    QTest::keyClick(form_->DiagList, Qt::Key_Return);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{42, 1}));
    QCOMPARE(Editor().MessageMarksOn(3), 1 << int(kw::SourceEditor::MarkKind::Information));
    form_->KindFilters[1].action->trigger();  // Warnings, from the menu
    QVERIFY(!form_->KindFilters[1].button->isChecked());
    QCOMPARE(ListRows(), QStringList({"| odd"}));
    form_->KindFilters[2].action->trigger();
    QTest::keyClick(&Editor(), Qt::Key_F8);
    QTest::keyClick(&Editor(), Qt::Key_F8);
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{3, 6}));  // the Info row, at its moved mark
    form_->KindFilters[1].button->click();
    QCOMPARE(form_->DiagModel->rowCount(), 4);
    form_->DiagModel->Clear();  // as a new run or another document clears the list
    QCOMPARE(Editor().MessageMarksOn(5), 0);
  }

  void aRunRefusesTheDocumentCommandsAndAClosingWindowStopsTidy() {
    ::setenv("FAKE_TIDY_SLEEP", "30", 1);
    const std::string path = Open("<p>x");
    QTest::keyClicks(&Editor(), "z");
    dialogs_->confirmAnswers = {kw::SaveAnswer::No};  // the close's question about the unsaved text
    bool checked = false;
    QTimer::singleShot(300, this, [&] {
      for (QAction* refused : {form_->FileOpen1, form_->Suorita1, form_->Korvaa1, form_->FileSaveAs1,
                               form_->Sulje1, form_->FileExit1})
        QVERIFY2(!refused->isEnabled(), qPrintable(refused->text()));
      QVERIFY(!form_->Recentfiles1->isEnabled() && !form_->btExit->isEnabled());
      QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
      form_->EditorDropFiles({path});
      checked = true;
      form_->close();
    });
    QElapsedTimer took;
    took.start();
    form_->Suorita1->trigger();
    QVERIFY(checked);
    QVERIFY2(took.elapsed() < 20000, "tidy was not stopped");
    QCOMPARE(Text(), std::string("z<p>x"));
    QVERIFY(!WorkingFilesLeft());
    QVERIFY(dialogs_->confirms.empty());
    QVERIFY(!QApplication::overrideCursor());
    // The close goes on once the run is over, with its usual question.
    QTRY_VERIFY(!form_->isVisible());
    QCOMPARE(dialogs_->confirms.size(), size_t(1));
  }

  void tidyThatCannotStartIsReportedAndTheRunEndsAsUsual() {
    kw::test::ScopedEnv noTidy("PATH", "/nonexistent");
    Open("<p>x");
    form_->Label1->setText("before");
    form_->Suorita1->trigger();
    QCOMPARE(dialogs_->errors, std::vector<QString>{"Cannot start \"tidy\". No such file or directory"});
    QCOMPARE(Text(), std::string("<p>x"));
    QCOMPARE(form_->DiagModel->rowCount(), 0);
    QCOMPARE(form_->Label1->text(), QString("before"));
    QVERIFY(!Editor().Modified());
    QVERIFY(form_->Suorita1->isEnabled() && form_->FileOpen1->isEnabled());
  }

  void anEmptyOptionsFileStopsTheRunWithAMessage() {
    tidy_->ProgramFolder().Write("params.txt", "");
    Open("<p>x");
    form_->Suorita1->trigger();
    QCOMPARE(dialogs_->errors.size(), size_t(1));
    QVERIFY(dialogs_->errors[0].contains("params.txt"));
    QVERIFY(tidy_->Runs().empty());
    QVERIFY(!Editor().Modified());
    QVERIFY(!QApplication::overrideCursor());
  }

  void theRunIsTraced() {
    tidy_->SetReport("line 2 column 1 - Warning: a\nline 2 column 1 - Warning: a\n");
    Open("<p>x");
    const kw::test::CapturingLink& trace = kw::test::CaptureTrace(form_->Tracer);
    form_->Suorita1->trigger();
    const std::string report = "'line 2 column 1 - Warning: a\nline 2 column 1 - Warning: a\n'";
    QCOMPARE(trace.Messages(),
             (std::vector<std::string>{"41 Viewer", "9 btRunClick", "9 ShowTidyErrors", "0 ErlistText = " + report,
                                       "0 Error Count = 2", "9 OutPutErrors", "0 aErrList.Count = 2",
                                       "10 OutPutErrors", "10 ShowTidyErrors", "10 btRunClick"}));
    QCOMPARE(form_->Label1->text(), QString("1 Warnings"));
  }

  // The same run seen in kempwell-trace's lines: type and text of each, from this process.
  void theRunsTraceReachesKempwellTrace() {
    tidy_->SetReport("line 2 column 1 - Warning: a\n");
    Open("<p>x");
    const std::string socket = docs_->File("trace.sock"), lines = docs_->File("trace.txt");
    kw::test::TraceProgram viewer({"--socket", socket}, lines, docs_->File("trace.err"));
    QVERIFY(kw::test::Eventually([&] { return TempFolder::Mode(socket) != 0; }));
    kw::SocketDispatcherLink::Options options;
    options.SocketPath = socket;
    options.CommandLine = docs_->File("no such dispatcher");
    form_->Tracer.SetLink(std::make_unique<kw::SocketDispatcherLink>(options));
    form_->Suorita1->trigger();
    QVERIFY(form_->Tracer.Enabled);

    const QStringList expected = {"Register Viewer", "Enter btRunClick", "Enter ShowTidyErrors",
                                  "Info ErlistText = 'line 2 column 1 - Warning: a\\n'", "Info Error Count = 1",
                                  "Enter OutPutErrors", "Info aErrList.Count = 1", "Exit OutPutErrors",
                                  "Exit ShowTidyErrors", "Exit btRunClick"};
    const QRegularExpression line(R"(^\d\d:\d\d:\d\d\.\d{3}  pid (\d+) +(\w+) +-  (.*)$)");
    QStringList seen;
    QVERIFY(kw::test::Eventually([&] {
      seen.clear();
      for (const QString& text : QString::fromUtf8(TempFolder::Read(lines)).split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch() && match.captured(1).toLongLong() == QCoreApplication::applicationPid())
          seen << match.captured(2) + " " + match.captured(3);
      }
      return seen.size() >= expected.size();
    }));
    QCOMPARE(seen, expected);
  }
};

QTEST_MAIN(TidyRunTest)
#include "tidy_run_test.moc"
