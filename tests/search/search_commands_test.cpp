// Find, Find next and Find previous through the real window and search
// dialog, with a document open and the dialog filled in by a script.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "search/search_dialog.h"
#include "support/scripted_dialogs.h"
#include "support/temp_files.h"

using kw::TForm1;
using kw::TTextSearchDialog;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

namespace {

// "two" is at 1:5, 2:1 and 2:9.
constexpr char kDocument[] = "one two\r\ntwo one two\r\naaaa";

// What the user changes in the dialog; what is left out stays as shown.
struct Fill {
  std::optional<QString> text = {};
  std::optional<bool> backwards = {};
  std::optional<bool> caseSensitive = {};
  std::optional<bool> wholeWords = {};
  std::optional<bool> fromCaret = {};
  std::optional<bool> selectedOnly = {};
};

void FillIn(TTextSearchDialog& d, const Fill& fill) {
  if (fill.text) {
    d.cbSearchText->lineEdit()->selectAll();
    if (fill.text->isEmpty()) QTest::keyClick(d.cbSearchText, Qt::Key_Backspace);
    else QTest::keyClicks(d.cbSearchText, *fill.text);
  }
  auto tick = [](QAbstractButton* box, std::optional<bool> on) {
    if (on && box->isChecked() != *on) box->click();
  };
  tick(d.cbSearchCaseSensitive, fill.caseSensitive);
  tick(d.cbSearchWholeWords, fill.wholeWords);
  tick(d.cbSearchFromCursor, fill.fromCaret);
  tick(d.cbSearchSelectedOnly, fill.selectedOnly);
  if (fill.backwards) (*fill.backwards ? d.rbBackward : d.rbForward)->click();
}

QStringList Entries(const QComboBox& box) {
  QStringList entries;
  for (int i = 0; i < box.count(); ++i) entries << box.itemText(i);
  return entries;
}

}  // namespace

class SearchCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_;
  std::unique_ptr<TempFolder> docs_;
  std::unique_ptr<TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;

  void Open(const std::string& bytes = kDocument) {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TForm1>(std::move(dialogs));
    form_->FormCreate(docs_->Write("page.htm", bytes));
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    Editor().setFocus();
  }
  kw::SourceEditor& Editor() { return *form_->Editor; }

  // "line:column-line:column"
  QString Selection() {
    const kw::TextPos s = Editor().SelStart(), e = Editor().SelEnd();
    return QStringLiteral("%1:%2-%3:%4").arg(s.line).arg(s.column).arg(e.line).arg(e.column);
  }
  QString Caret() { return QStringLiteral("%1:%2").arg(Editor().CaretPos().line).arg(Editor().CaretPos().column); }

  // Only the press: by the release the modal dialog has the keyboard.
  void PressCtrlF() { QTest::keyPress(&Editor(), Qt::Key_F, Qt::ControlModifier); }
  void Script(ScriptedDialogs::SearchScript script) { dialogs_->searchScripts.push_back(std::move(script)); }
  // Find, with the dialog filled in and closed with Enter.
  void Find(const Fill& fill) {
    Script([fill](TTextSearchDialog& d) {
      QTest::keyRelease(&d, Qt::Key_F, Qt::ControlModifier);
      FillIn(d, fill);
      QTest::keyClick(d.cbSearchText, Qt::Key_Return);
    });
    PressCtrlF();
  }
  void Repeat(bool backwards) { QTest::keyClick(&Editor(), Qt::Key_F3, backwards ? Qt::ControlModifier : Qt::NoModifier); }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir_->Path()));
  }
  void cleanup() { form_.reset(); }

  void dialogAsItFirstOpens() {
    Open();
    QPointer<TTextSearchDialog> shown;
    Script([&](TTextSearchDialog& d) {
      shown = &d;
      QVERIFY(d.isModal() && d.isVisible());
      QCOMPARE(d.parentWidget(), form_.get());
      QCOMPARE(d.pos(), QPoint(447, 112));
      QCOMPARE(d.size(), QSize(332, 180));
      QCOMPARE(d.minimumSize(), d.maximumSize());
      const std::pair<QString, const char*> captions[] = {
          {d.windowTitle(), "Search text"},
          {d.Label1->text(), "Search for:"},
          {d.gbSearchOptions->title(), ""},
          {d.cbSearchCaseSensitive->text(), "C&ase sensitivity"},
          {d.cbSearchWholeWords->text(), "&Whole words only"},
          {d.cbSearchFromCursor->text(), "Search from &caret"},
          {d.cbSearchSelectedOnly->text(), "&Selected text only"},
          {d.rgSearchDirection->title(), "Direction"},
          {d.rbForward->text(), "&Forward"},
          {d.rbBackward->text(), "&Backward"},
          {d.btnOK->text(), "OK"},
          {d.btnCancel->text(), "Peruuta"}};
      for (const auto& [caption, expected] : captions) QCOMPARE(caption, QString(expected));
      QVERIFY(d.cbSearchText->isEditable());
      QCOMPARE(d.cbSearchText->width(), 228);
      QVERIFY(d.btnOK->isDefault());
      // A fresh run's settings.
      QCOMPARE(d.cbSearchText->currentText(), QString());
      QCOMPARE(d.cbSearchText->count(), 0);
      for (QCheckBox* box : {d.cbSearchCaseSensitive, d.cbSearchWholeWords, d.cbSearchFromCursor, d.cbSearchSelectedOnly})
        QVERIFY2(!box->isChecked(), qPrintable(box->text()));
      QVERIFY(d.rbForward->isChecked());

      QTRY_COMPARE(QApplication::focusWidget(), d.cbSearchText);
      QList<QWidget*> order;
      for (QWidget* w = d.cbSearchText; order.size() < 10; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&d) && !w->focusProxy()) order << w;
      const QList<QWidget*> expected = {d.cbSearchText,         d.cbSearchCaseSensitive, d.cbSearchWholeWords,
                                        d.cbSearchFromCursor,   d.cbSearchSelectedOnly,  d.rbForward,
                                        d.rbBackward,           d.btnOK,                 d.btnCancel,
                                        d.cbSearchText};
      QCOMPARE(order, expected);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      QVERIFY(!d.isVisible());
    });
    PressCtrlF();
    QCOMPARE(dialogs_->searchDialogs, 1);
    QVERIFY(shown.isNull());
  }

  // The first search covers the whole text wherever the caret is; the repeat
  // key goes on from the match and stops at the end, without wrapping.
  void searchThenRepeatToTheEnd_data() {
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QString>("caret");
    QTest::addColumn<QStringList>("matches");
    QTest::addColumn<QString>("collapsedAt");
    QTest::newRow("forward from 3:2, F3 x3") << false << "3:2" << QStringList{"1:5-1:8", "2:1-2:4", "2:9-2:12"} << "2:12";
    QTest::newRow("backward from 1:1, Ctrl+F3 x3") << true << "1:1" << QStringList{"2:9-2:12", "2:1-2:4", "1:5-1:8"}
                                                    << "1:5";
  }
  void searchThenRepeatToTheEnd() {
    QFETCH(bool, backwards);
    QFETCH(QString, caret);
    QFETCH(QStringList, matches);
    QFETCH(QString, collapsedAt);
    Open();
    Editor().SetCaretPos({caret.section(':', 0, 0).toInt(), caret.section(':', 1).toInt()});
    Find({.text = "two", .backwards = backwards});
    for (const QString& match : matches) {
      QCOMPARE(Selection(), match);
      const int caretEnd = backwards ? 0 : 1;
      QCOMPARE(Caret(), match.section('-', caretEnd, caretEnd));
      Repeat(backwards);
    }
    QCOMPARE(dialogs_->infos, std::vector<QString>{"Not found."});
    QVERIFY(!Editor().SelAvail());
    QCOMPARE(Caret(), collapsedAt);
  }

  // The keys have their own direction; the caret is moved off the match so
  // that the two directions find different matches.
  void keysIgnoreTheStoredDirection_data() {
    QTest::addColumn<bool>("storedBackwards");
    QTest::addColumn<QString>("found");
    QTest::newRow("stored forward, Ctrl+F3 from 2:6 finds 2:1") << false << "2:1-2:4";
    QTest::newRow("stored backward, F3 from 2:6 finds 2:9") << true << "2:9-2:12";
  }
  void keysIgnoreTheStoredDirection() {
    QFETCH(bool, storedBackwards);
    QFETCH(QString, found);
    Open();
    Find({.text = "two", .backwards = storedBackwards});
    QVERIFY(Editor().SelAvail());
    Editor().SetCaretPos({2, 6});
    Repeat(!storedBackwards);
    QCOMPARE(Selection(), found);
  }

  // The sound, the message over the untouched selection, and only then the
  // collapse toward the search direction.
  void notFoundCollapsesTheSelection_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("collapsedAt");
    QTest::newRow("dialog forward: o[ne t]wo -> 1:6") << "dialog forward" << "1:6";
    QTest::newRow("dialog backward: o[ne t]wo -> 1:2") << "dialog backward" << "1:2";
    QTest::newRow("F3 before any search -> 1:6") << "F3" << "1:6";
    QTest::newRow("Ctrl+F3 before any search -> 1:2") << "Ctrl+F3" << "1:2";
  }
  void notFoundCollapsesTheSelection() {
    QFETCH(QString, how);
    QFETCH(QString, collapsedAt);
    Open();
    Editor().Select({1, 2}, {1, 6});
    QString behindTheMessage;
    int beepsBeforeTheMessage = -1;
    dialogs_->whileInforming = [&](const QString&) {
      behindTheMessage = Selection();
      beepsBeforeTheMessage = dialogs_->beeps;
    };
    if (how.startsWith("dialog")) Find({.text = "zzz", .backwards = how.endsWith("backward")});
    else Repeat(how.startsWith("Ctrl"));
    QCOMPARE(dialogs_->infos, std::vector<QString>{"Not found."});
    QCOMPARE(beepsBeforeTheMessage, 1);
    QCOMPARE(dialogs_->beeps, 1);
    QCOMPARE(behindTheMessage, QString("1:2-1:6"));
    QVERIFY(!Editor().SelAvail());
    QCOMPARE(Caret(), collapsedAt);
  }

  void okWithEmptyTextStoresButDoesNotSearch_data() {
    QTest::addColumn<bool>("fromCaretBox");
    QTest::newRow("from caret ticked") << true;
    QTest::newRow("from caret unticked") << false;
  }
  void okWithEmptyTextStoresButDoesNotSearch() {
    QFETCH(bool, fromCaretBox);
    Open();
    Find({.text = "one"});
    Editor().Select({2, 1}, {2, 4});
    Find({.text = "", .backwards = true, .caseSensitive = true, .wholeWords = true, .fromCaret = fromCaretBox});
    QCOMPARE(Selection(), QString("2:1-2:4"));
    QVERIFY(dialogs_->infos.empty() && dialogs_->beeps == 0);
    const kw::TSearchSettings& s = form_->SearchSettings;
    QVERIFY(s.Backwards && s.CaseSensitive && s.WholeWords && !s.SelectedOnly);
    QCOMPARE(s.FromCaret, fromCaretBox);
    QCOMPARE(s.SearchText, std::string());
    QCOMPARE(s.SearchHistory, std::string("one"));
    // With no search to set it again, the window's flag is the box.
    QCOMPARE(form_->SearchFromCaret, fromCaretBox);
    // The next dialog shows the empty text over the kept history.
    QString text = "unset";
    QStringList entries;
    Script([&](TTextSearchDialog& d) {
      text = d.cbSearchText->currentText();
      entries = Entries(*d.cbSearchText);
    });
    PressCtrlF();
    QCOMPARE(text, QString());
    QCOMPARE(entries, QStringList{"one"});
  }

  // Each OK first puts the flag back to the box: unticked, a search after a
  // search starts over at the top.
  void everyOkResetsTheFlagToTheBox_data() {
    QTest::addColumn<bool>("fromCaretBox");
    QTest::addColumn<QString>("found");
    QTest::newRow("unticked: starts over at 1:5") << false << "1:5-1:8";
    QTest::newRow("ticked: goes on from the caret to 2:1") << true << "2:1-2:4";
  }
  void everyOkResetsTheFlagToTheBox() {
    QFETCH(bool, fromCaretBox);
    QFETCH(QString, found);
    Open();
    Find({.text = "two"});
    Find({.fromCaret = fromCaretBox});
    QCOMPARE(Selection(), found);
    QVERIFY(form_->SearchFromCaret);
  }

  void cancelChangesNothing() {
    Open();
    Find({.text = "two", .caseSensitive = true});
    Repeat(false);
    const kw::TSearchSettings before = form_->SearchSettings;
    QPointer<TTextSearchDialog> shown;
    Script([&](TTextSearchDialog& d) {
      shown = &d;
      FillIn(d, {.text = "one", .backwards = true, .caseSensitive = false, .wholeWords = true, .fromCaret = true,
                 .selectedOnly = true});
      QTest::keyClick(d.cbSearchText, Qt::Key_Escape);
      QCOMPARE(Entries(*d.cbSearchText), QStringList{"two"});
    });
    PressCtrlF();
    QVERIFY(shown.isNull());
    QVERIFY(form_->SearchSettings == before);
    QVERIFY(form_->SearchFromCaret);
    QCOMPARE(Selection(), QString("2:1-2:4"));
    Repeat(false);
    QCOMPARE(Selection(), QString("2:9-2:12"));
  }

  void selectedOnlySearchesTheSelectionAndRepeatsTheMatch() {
    Open("abc abc abc");
    Editor().Select({1, 5}, {1, 12});
    Find({.text = "abc", .selectedOnly = true});
    QCOMPARE(Selection(), QString("1:5-1:8"));
    Repeat(false);
    QCOMPARE(Selection(), QString("1:5-1:8"));
    Repeat(true);
    QCOMPARE(Selection(), QString("1:5-1:8"));
    QVERIFY(dialogs_->infos.empty());
  }

  void caseAndWholeWordsReachTheSearch() {
    Open("twofold Two two");
    Find({.text = "two", .caseSensitive = true, .wholeWords = true});
    QCOMPARE(Selection(), QString("1:13-1:16"));
    Find({.caseSensitive = false});
    QCOMPARE(Selection(), QString("1:9-1:12"));
    Find({.wholeWords = false});
    QCOMPARE(Selection(), QString("1:1-1:4"));
  }

  // The settings and the history go from one dialog to the next; typing
  // "Abc" over the entry "abc" replaces it.
  void settingsAndHistoryGoToTheNextDialog() {
    Open();
    Find({.text = "abc", .backwards = true, .wholeWords = true, .fromCaret = true, .selectedOnly = true});
    QStringList entries;
    QString text;
    Script([&](TTextSearchDialog& d) {
      QVERIFY(d.rbBackward->isChecked() && !d.cbSearchCaseSensitive->isChecked());
      QVERIFY(d.cbSearchWholeWords->isChecked() && d.cbSearchFromCursor->isChecked() &&
              d.cbSearchSelectedOnly->isChecked());
      entries = Entries(*d.cbSearchText);
      text = d.cbSearchText->currentText();
      FillIn(d, {.text = "Abc"});
      QTest::keyClick(d.cbSearchText, Qt::Key_Return);
    });
    PressCtrlF();
    QCOMPARE(entries, QStringList{"abc"});
    QCOMPARE(text, QString("abc"));
    Find({.text = "two"});
    Script([&](TTextSearchDialog& d) {
      entries = Entries(*d.cbSearchText);
      text = d.cbSearchText->currentText();
    });
    PressCtrlF();
    QCOMPARE(entries, (QStringList{"two", "Abc"}));
    QCOMPARE(text, QString("two"));
  }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
