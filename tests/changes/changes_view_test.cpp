// The Changes window through the main window, with the real tidy: enabled by
// a run that cleaned the text, both texts and the first run's messages, the
// jumps from change to change, a message's line, the note once the text is
// edited, and gone with the document.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <tuple>

#include "app/main_window.h"
#include "changes/changes_view.h"
#include "common/paths.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "support/fake_tidy.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "tidy/diag_list_model.h"

using kw::DiffSide;
using kw::TForm1;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

class ChangesViewTest : public QObject {
  Q_OBJECT

  // The stand-in's program folder, with the real tidy first on PATH.
  std::unique_ptr<kw::test::FakeTidy> programDir_;
  std::unique_ptr<kw::test::ScopedEnv> realTidy_;
  std::unique_ptr<TempFolder> docs_;
  std::unique_ptr<TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::string startDir_;

  int Caret(kw::SourceEditor* text) { return text->CaretPos().line; }

 private slots:
  void init() {
    startDir_ = kw::CurrentDirectory();
    programDir_ = std::make_unique<kw::test::FakeTidy>();
    realTidy_ = std::make_unique<kw::test::ScopedEnv>("PATH", "/usr/local/bin:/usr/bin:/bin");
    docs_ = std::make_unique<TempFolder>();
  }
  void cleanup() {
    form_.reset();
    realTidy_.reset();
    programDir_.reset();
    QVERIFY(::chdir(startDir_.c_str()) == 0);
  }

  void theViewShowsWhatTheRunChangedAndJumpsFromChangeToChange() {
    // The last change in the middle of the page, between unchanged lines.
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "<p>x</p>\n";
    const std::string page = "<title>t</title>\n" + lines + "<p>one\n<center>two</center>\n" + lines + "</body>\n</html>\n";
    QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, docs_->Write("page.htm", page)));
    QVERIFY(!form_->actShowChanges->isEnabled());
    QTest::keyClick(form_->Editor, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(dialogs_->errors.empty());
    const std::string cleaned(form_->Editor->Text());
    QVERIFY(form_->actShowChanges->isEnabled());
    QTest::keyClick(form_->Editor, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    kw::TChangesView* view = form_->ChangesView();
    QVERIFY(view && view->isVisible());
    // A transient window counts as active with its parent; the keys need it active itself.
    QTRY_VERIFY(view->isActiveWindow());
    QCOMPARE(view->BeforeText->Text(), page);
    QCOMPARE(view->AfterText->Text(), cleaned);
    // The tidy head in front of the title; the body's lines after it.
    QCOMPARE(view->CountLabel->text(), QString("3 changes"));
    QCOMPARE(view->Messages->rowCount(), 2);

    // F7, Alt+Down, Shift+F7 and Alt+Up: next and previous round the list,
    // both texts at the change.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> presses[] = {
        {Qt::Key_F7, {}, 0}, {Qt::Key_F7, {}, 1}, {Qt::Key_Down, Qt::AltModifier, 2},
        {Qt::Key_Down, Qt::AltModifier, 0}, {Qt::Key_F7, Qt::ShiftModifier, 2}, {Qt::Key_Up, Qt::AltModifier, 1},
        {Qt::Key_Up, Qt::AltModifier, 0}};
    for (const auto& [key, modifiers, change] : presses) {
      QTest::keyClick(view->windowHandle(), key, modifiers);
      QCOMPARE(view->CurrentChange(), change);
      QCOMPARE(Caret(view->BeforeText), kw::ChangeLine(view->Diff(), DiffSide::Before, change) + 1);
      QCOMPARE(Caret(view->AfterText), kw::ChangeLine(view->Diff(), DiffSide::After, change) + 1);
    }
    QCOMPARE(view->CountLabel->text(), QString("Change 1 of 3"));
    // It is shown with a few lines above it.
    QTest::keyClick(view->windowHandle(), Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(view->BeforeText->TopLine(), kw::ChangeLine(view->Diff(), DiffSide::Before, 2) + 1 - 3);

    // A message shows its line of the text before.
    const QRect row = view->MessageList->visualRect(view->Messages->index(1, 1));
    QTest::mouseClick(view->MessageList->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(Caret(view->BeforeText), 2);

    // Edited since: the view still shows the run's texts, and says so.
    QTest::keyClick(view->windowHandle(), Qt::Key_Escape);
    QVERIFY(!view->isVisible());
    QTest::keyClicks(form_->Editor, "x");
    form_->actShowChanges->trigger();
    QVERIFY(view->isVisible());
    QVERIFY(view->windowTitle().startsWith("Changes by tidy - ") && view->windowTitle().endsWith("(edited since)"));
    QVERIFY(view->Note->text().startsWith("The text has been edited since this run"));
    QCOMPARE(view->AfterText->Text(), cleaned);

    form_->Sulje1->trigger();
    QVERIFY(!view->isVisible() && !form_->actShowChanges->isEnabled());
  }
};

QTEST_MAIN(ChangesViewTest)
#include "changes_view_test.moc"
