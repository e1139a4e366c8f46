// Run tidy through the window, with the stand-in tidy first on PATH: the
// cleaned text as one undo step, the list and its jump, the commands that a
// run refuses, closing during a run, and the failures the user is told of.
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/main_window.h"
#include "common/paths.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "support/fake_tidy.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/trace_capture.h"
#include "tidy/diag_kind.h"
#include "tidy/diag_list_model.h"

using kw::TForm1;
using kw::TextPos;
using kw::test::FakeTidy;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

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
    const kw::TDiagListModel& model = *form_->DiagModel;
    for (int r = 0; r < model.rowCount(); ++r)
      rows << model.index(r, 0).data().toString() + "|" + model.index(r, 1).data().toString();
    return rows;
  }
  void ClickRow(int row) {
    const QRect cell = form_->DiagList->visualRect(form_->DiagModel->index(row, 1));
    QTest::mouseClick(form_->DiagList->viewport(), Qt::LeftButton, {}, cell.center());
  }
  // Runs tidy, and act from the window's event loop once the stand-in has started.
  void RunWhileTidyRuns(const std::function<void()>& act) {
    const size_t before = tidy_->Pids().size();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      if (tidy_->Pids().size() == before) return;
      poll.stop();
      act();
    });
    poll.start(0);
    form_->Suorita1->trigger();
  }
  // No working file is left, and no tidy runs on.
  bool RunLeftNothing() const {
    bool left = false;
    for (const pid_t pid : tidy_->Pids()) left |= ::kill(pid, 0) == 0;
    for (const char* name : {"errs.txt", "~tidied.htm", "~unsaved.htm"})
      left |= kw::PathExists(tidy_->ProgramFolder().File(name));
    return !left;
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

  // Tidy cleans what the user sees, the file stays as it was; a run that
  // changes nothing sets no flag.
  void theCleanedTextOfTheEditsReplacesThemAsOneUndoStep() {
    tidy_->SetReport("line 12 column 5 - Warning: twelve\nline 3 column 1 - Warning: three\n");
    const std::string path = Open("<p>x\r\n<p>y");
    ::setenv("FAKE_TIDY_SAME", "1", 1);
    form_->btRun->click();
    QVERIFY(!Editor().Modified() && !Editor().CanUndo());
    ::unsetenv("FAKE_TIDY_SAME");
    QTest::keyClicks(&Editor(), "z");
    form_->btRun->click();
    QCOMPARE(Text(), std::string("<!-- tidied -->\nz<p>x\r\n<p>y"));
    QCOMPARE(TempFolder::Read(path), std::string("<p>x\r\n<p>y"));
    QVERIFY(Editor().Modified() && form_->windowTitle().endsWith('*'));
    QCOMPARE(ListRows(), QStringList({"3| Warning: three", "12| Warning: twelve"}));
    QCOMPARE(form_->Label1->text(), QString("2 Warnings"));
    QVERIFY(RunLeftNothing() && dialogs_->errors.empty());
    Editor().undo();
    QCOMPARE(Text(), std::string("z<p>x\r\n<p>y"));
    QVERIFY(Editor().Modified() && form_->DiagModel->Stale());
    Editor().undo();
    QVERIFY(!Editor().Modified());
  }

  // During a run the document commands are refused and typing and Undo wait;
  // Esc stops it and leaves everything as it was. A closing window stops tidy
  // too, and the close goes on once the run is over, with its usual question.
  void aRunRefusesTheDocumentCommandsAndEscOrClosingStopsIt() {
    ::setenv("FAKE_TIDY_SLEEP", "30", 1);
    const std::string path = Open("<p>x");
    QTest::keyClicks(&Editor(), "z");
    RunWhileTidyRuns([&] {
      QVERIFY(form_->Label1->text().startsWith("Running tidy... "));
      QCOMPARE(form_->btRun->text(), QString("Stop"));
      for (QAction* refused : {form_->FileOpen1, form_->Suorita1, form_->Korvaa1, form_->FileSaveAs1,
                               form_->Sulje1, form_->FileExit1})
        QVERIFY2(!refused->isEnabled(), qPrintable(refused->text()));
      QVERIFY(!form_->Recentfiles1->isEnabled() && !form_->btExit->isEnabled());
      QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
      form_->EditorDropFiles({path});
      QTest::keyClicks(&Editor(), "typed");
      Editor().undo();
      QTest::keyClick(&Editor(), Qt::Key_Escape);
    });
    QCOMPARE(Text(), std::string("z<p>x"));
    QCOMPARE(form_->Label1->text(), QString("Stopped"));
    QCOMPARE(form_->DiagModel->rowCount(), 0);
    QVERIFY(RunLeftNothing() && !QApplication::overrideCursor());
    QCOMPARE(form_->btRun->text(), QString("&Run tidy"));

    dialogs_->confirmAnswers = {kw::SaveAnswer::No};
    RunWhileTidyRuns([&] { form_->close(); });
    QVERIFY(RunLeftNothing() && dialogs_->confirms.empty());
    QTRY_VERIFY(!form_->isVisible());
    QCOMPARE(dialogs_->confirms.size(), size_t(1));
  }

  // A click, Enter or Space on a row, or F8 and Shift+F8 from anywhere, put
  // the caret on the message's line and column, counted in characters.
  void aRowMovesTheEditorToItsLineAndColumn() {
    tidy_->SetReport("line 41 column 1 - Warning: forty\nline 4 column 2 - Warning: three\nline  column - odd\n"
                     "line 2 column 5 - Info: after a two-byte letter\n");
    std::string text = "<p>\xC3\xA9xyz</p>\n";
    for (int i = 2; i <= 100; ++i) text += "<p>" + std::to_string(i) + "</p>\n";
    Open(text);
    form_->resize(700, 700);
    form_->Suorita1->trigger();
    QCOMPARE(ListRows(), QStringList({"| odd", "2| Info: after a two-byte letter", "4| Warning: three",
                                      "41| Warning: forty"}));
    QCOMPARE(form_->DiagModel->index(2, 1).data(kw::TDiagListModel::KindRole).toInt(),
             static_cast<int>(kw::DiagKind::Warning));
    ClickRow(3);
    QCOMPARE(Editor().TopLine(), 36);
    QCOMPARE(Editor().CaretPos(), (TextPos{41, 1}));
    QCOMPARE(Editor().ActiveLineColor(), QColor(255, 255, 0));
    QVERIFY(Editor().hasFocus());
    // Dragging the Line column after the Message column changes only the
    // display, and a click below the rows chooses the focused row.
    QWidget* header = form_->DiagList->header()->viewport();
    QTest::mousePress(header, Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseMove(header, QPoint(400, 5));
    QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(400, 5));
    QCOMPARE(form_->DiagList->header()->visualIndex(kw::TDiagListModel::LineColumn), 1);
    Editor().SetCaretPos({1, 1});
    form_->Panel2->setFixedHeight(200);
    QWidget* rows = form_->DiagList->viewport();
    QTRY_VERIFY(rows->height() > form_->DiagList->visualRect(form_->DiagModel->index(3, 1)).bottom() + 10);
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(20, rows->height() - 5));
    QCOMPARE(Editor().CaretPos(), (TextPos{41, 1}));
    const QPoint third = form_->DiagList->visualRect(form_->DiagModel->index(2, 1)).center();
    QTest::mouseClick(rows, Qt::RightButton, {}, third);
    QCOMPARE(Editor().CaretPos(), (TextPos{41, 1}));  // a right click chooses nothing
    ClickRow(0);  // a Line that is no number goes to the top, like line 0
    QCOMPARE(Editor().CaretPos(), (TextPos{1, 1}));
    QTest::keyClick(&Editor(), Qt::Key_F8);
    QCOMPARE(Editor().CaretPos(), (TextPos{2, 6}));  // é is two bytes
    QTest::keyClick(&Editor(), Qt::Key_F8, Qt::ShiftModifier);
    QTest::keyClick(&Editor(), Qt::Key_F8, Qt::ShiftModifier);  // round to the last row
    QCOMPARE(form_->DiagList->currentIndex().row(), 3);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
      form_->DiagList->setFocus();
      form_->DiagList->setCurrentIndex(form_->DiagModel->index(2, 0));
      QTest::keyClick(form_->DiagList, key);
      QCOMPARE(Editor().CaretPos(), (TextPos{4, 2}));
    }

    // The margin marks a message's line by kind and moves with the text; the
    // jump follows it, and the list says it describes an earlier text.
    QCOMPARE(Editor().MessageMarksOn(2), 1 << int(kw::SourceEditor::MarkKind::Information));
    Editor().SetCaretPos({1, 1});
    QTest::keyClick(&Editor(), Qt::Key_Return);
    QCOMPARE(form_->Label1->text(), QString("4 Warnings - the text has changed since"));
    QVERIFY(form_->DiagModel->index(0, 1).data(kw::TDiagListModel::StaleRole).toBool());
    QCOMPARE(Editor().MessageMarksOn(5), 1 << int(kw::SourceEditor::MarkKind::Warning));
    QCOMPARE(Editor().OnMarkToolTip(Editor(), 5), QString("Warning: three"));
    ClickRow(2);
    QCOMPARE(Editor().CaretPos(), (TextPos{5, 2}));

    // A filter button per kind present, with its count, and the View menu's
    // choice; hidden rows keep their marks.
    QStringList buttons;
    for (const auto& filter : form_->KindFilters)
      if (filter.button->isVisibleTo(form_.get())) buttons << filter.button->text();
    QCOMPARE(buttons, QStringList({"Warnings: 2", "Info: 1"}));
    form_->KindFilters[1].action->trigger();  // Warnings
    QVERIFY(!form_->KindFilters[1].button->isChecked());
    QCOMPARE(ListRows(), QStringList({"| odd", "2| Info: after a two-byte letter"}));
    QCOMPARE(Editor().MessageMarksOn(5), 1 << int(kw::SourceEditor::MarkKind::Warning));
    form_->DiagModel->Clear();  // as a new run or another document clears the list
    QCOMPARE(Editor().MessageMarksOn(5), 0);
  }

  // The run ends as usual, the text and the status as they were.
  void optionsThatCannotBeReadOrATidyThatCannotStartAreReported() {
    Open("<p>x");
    form_->Label1->setText("before");
    tidy_->ProgramFolder().Write("params.txt", "");
    form_->Suorita1->trigger();
    ::unlink(tidy_->ProgramFolder().File("params.txt").c_str());
    kw::test::ScopedEnv noTidy("PATH", "/nonexistent");
    form_->Suorita1->trigger();
    QCOMPARE(dialogs_->errors.size(), size_t(2));
    QVERIFY(dialogs_->errors[0].contains("params.txt"));
    QCOMPARE(dialogs_->errors[1], QString("Cannot start \"tidy\". No such file or directory"));
    QCOMPARE(Text(), std::string("<p>x"));
    QCOMPARE(form_->DiagModel->rowCount(), 0);
    QCOMPARE(form_->Label1->text(), QString("before"));
    QVERIFY(!Editor().Modified() && !QApplication::overrideCursor());
    QVERIFY(form_->Suorita1->isEnabled() && form_->FileOpen1->isEnabled());
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
  }
};

QTEST_MAIN(TidyRunTest)
#include "tidy_run_test.moc"
