// Find, Find next and Find previous through the real window and search
// dialog, with a document open and the dialog filled in by a script.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "search/search_dialog.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/temp_files.h"

using kw::TTextSearchDialog;
using kw::test::ScriptedDialogs;
using kw::test::TempFolder;

namespace {

// "two" is at 1:5, 2:1 and 2:9.
constexpr char kDocument[] = "one two\r\ntwo one two\r\naaaa";

// What the user changes in the dialog; what is left out stays as shown.
struct Fill {
  std::optional<QString> text = {};
  std::optional<bool> backwards = {}, caseSensitive = {}, wholeWords = {}, fromCaret = {}, selectedOnly = {};
};

void FillIn(TTextSearchDialog& d, const Fill& fill) {
  if (fill.text) {
    d.cbSearchText->lineEdit()->selectAll();
    if (fill.text->isEmpty()) QTest::keyClick(d.cbSearchText, Qt::Key_Backspace);
    else
      for (const QChar c : *fill.text)  // keyClicks types ASCII only
        QTest::sendKeyEvent(QTest::Click, d.cbSearchText, Qt::Key_unknown, QString(c), Qt::NoModifier);
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

// The history, the text, then the captions of what is ticked.
QStringList Shown(const TTextSearchDialog& d) {
  QStringList shown;
  for (int i = 0; i < d.cbSearchText->count(); ++i) shown << d.cbSearchText->itemText(i);
  shown << d.cbSearchText->currentText();
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{d.cbSearchCaseSensitive, d.cbSearchWholeWords,
                                d.cbSearchFromCursor, d.cbSearchSelectedOnly, d.rbForward, d.rbBackward})
    if (b->isChecked()) shown << b->text();
  return shown;
}

}  // namespace

class SearchCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_, docs_;
  std::unique_ptr<kw::TForm1> form_;
  ScriptedDialogs* dialogs_ = nullptr;

  void Open(const std::string& bytes = kDocument) {
    QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, docs_->Write("page.htm", bytes)));
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
  // Find, with the dialog filled in and closed with Enter, or with Esc.
  void Find(const Fill& fill, Qt::Key close = Qt::Key_Return) {
    Script([fill, close](TTextSearchDialog& d) {
      QTest::keyRelease(&d, Qt::Key_F, Qt::ControlModifier);
      FillIn(d, fill);
      QTest::keyClick(d.cbSearchText, close);
    });
    PressCtrlF();
  }
  void Repeat(bool backwards) { QTest::keyClick(&Editor(), Qt::Key_F3, backwards ? Qt::ControlModifier : Qt::NoModifier); }
  QStringList NextDialogShows() {
    QStringList shown;
    Script([&](TTextSearchDialog& d) { shown = Shown(d); });
    PressCtrlF();
    return shown;
  }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir_->Path()));
  }
  void cleanup() { form_.reset(); }

  // Modal over the window, the text focused, the boxes in tab order.
  void dialogAsItFirstOpens() {
    Open();
    QPointer<TTextSearchDialog> shown;
    Script([&](TTextSearchDialog& d) {
      shown = &d;
      QVERIFY(d.isModal() && d.isVisible());
      QCOMPARE(d.parentWidget(), form_.get());
      QVERIFY(d.cbSearchText->isEditable() && d.btnOK->isDefault());
      QCOMPARE(Shown(d), (QStringList{"", "&Forward"}));
      QTRY_COMPARE(QApplication::focusWidget(), d.cbSearchText);
      for (QWidget* next : {static_cast<QWidget*>(d.cbSearchCaseSensitive), static_cast<QWidget*>(d.cbSearchWholeWords),
                            static_cast<QWidget*>(d.cbSearchFromCursor), static_cast<QWidget*>(d.cbSearchSelectedOnly),
                            static_cast<QWidget*>(d.rbForward)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
      }
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      QVERIFY(!d.isVisible());
    });
    PressCtrlF();
    QCOMPARE(dialogs_->searchDialogs, 1);
    QVERIFY(shown.isNull());
  }

  // Backwards, the first search covers the whole text wherever the caret is;
  // Ctrl+F3 goes on from the match and stops at the start, without wrapping.
  void searchBackwardsThenRepeatToTheStart() {
    Open();
    Editor().SetCaretPos({1, 1});
    Find({.text = "two", .backwards = true});
    for (const QString match : {"2:9-2:12", "2:1-2:4", "1:5-1:8"}) {
      QCOMPARE(Selection(), match);
      QCOMPARE(Caret(), match.section('-', 0, 0));
      Repeat(true);
    }
    QCOMPARE(dialogs_->infos, std::vector<QString>{"Not found."});
    QVERIFY(!Editor().SelAvail());
    QCOMPARE(Caret(), QString("1:5"));
  }

  // OK puts the from-caret flag back to the box: unticked starts at the top.
  void whereEachSearchStarts() {
    Open();
    Find({.text = "two"});
    Find({.fromCaret = true});
    QCOMPARE(Selection(), QString("2:1-2:4"));
    Find({.fromCaret = false});
    QCOMPARE(Selection(), QString("1:5-1:8"));
  }

  // The editor's lines are read in place, whatever their breaks.
  void findsAcrossEachKindOfBreak() {
    for (const std::string br : {"\n", "\r\n", "\r"}) {
      qInfo() << QByteArray::fromStdString(br);
      Open("abc" + br + "x" + br + "yabc" + br);
      Find({.text = "abc"});
      Repeat(false);
      QCOMPARE(Selection(), QString("3:2-3:5"));
      Editor().SetCaretPos({3, 2});
      Repeat(true);
      QCOMPARE(Selection(), QString("1:1-1:4"));
    }
  }

  // The sound, the message over the untouched selection o[ne t]wo, and only
  // then the collapse toward the search direction.
  void notFoundCollapsesTheSelection() {
    Open();
    Editor().Select({1, 2}, {1, 6});
    QString behindTheMessage;
    int beepsBeforeTheMessage = -1;
    dialogs_->whileInforming = [&](const QString&) {
      behindTheMessage = Selection();
      beepsBeforeTheMessage = dialogs_->beeps;
    };
    Repeat(false);  // before any search: nothing to find
    QCOMPARE(dialogs_->infos, std::vector<QString>{"Not found."});
    QCOMPARE(beepsBeforeTheMessage, 1);
    QCOMPARE(dialogs_->beeps, 1);
    QCOMPARE(behindTheMessage, QString("1:2-1:6"));
    QCOMPARE(Caret(), QString("1:6"));
    QVERIFY(!Editor().SelAvail());
  }

  // The settings are kept and nothing is searched.
  void okWithEmptyTextStoresButDoesNotSearch() {
    Open();
    Find({.text = "one"});
    Editor().Select({2, 1}, {2, 4});
    Find({.text = "", .backwards = true, .caseSensitive = true});
    QCOMPARE(Selection(), QString("2:1-2:4"));
    QVERIFY(dialogs_->infos.empty() && dialogs_->beeps == 0);
    QCOMPARE(NextDialogShows(), (QStringList{"one", "", "C&ase sensitivity", "&Backward"}));
  }

  void cancelChangesNothing() {
    Open();
    Find({.text = "two", .caseSensitive = true});
    Repeat(false);
    const kw::TSearchSettings before = form_->SearchSettings;
    Find({.text = "one", .backwards = true, .caseSensitive = false, .wholeWords = true, .fromCaret = true,
          .selectedOnly = true},
         Qt::Key_Escape);
    QVERIFY(form_->SearchSettings == before);
    QCOMPARE(Selection(), QString("2:1-2:4"));
    Repeat(false);
    QCOMPARE(Selection(), QString("2:9-2:12"));
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

  // The typed text is searched in the document's encoding: a character that
  // ISO-8859-1 lacks is not there, and never searched for as anything else.
  void searchesInTheDocumentsEncoding() {
    const std::string utf8 = "Caf\xC3\xA9 costs 5 \xE2\x82\xAC", latin1 = "Caf\xE9 \xA9 costs ? \x80";
    const struct { std::string document; QString text, selection; } rows[] = {
        {utf8, "\u20AC", "1:15-1:18"}, {utf8, "\u00C9", "1:4-1:6"}, {latin1, "\u00C9 \u00A9", "1:4-1:7"},
        {latin1, "\u20AC", "Not found."}};
    for (const auto& r : rows) {
      qInfo() << r.text << QByteArray::fromStdString(r.document);
      Open(r.document);
      Find({.text = r.text});
      QCOMPARE(dialogs_->infos.empty() ? Selection() : dialogs_->infos.front(), r.selection);
    }
  }

  // The settings and the history go from one dialog to the next; "Abc"
  // replaces "abc", and the eleventh text pushes the oldest out.
  void settingsAndHistoryGoToTheNextDialog() {
    Open();
    Find({.text = "abc", .backwards = true, .wholeWords = true, .fromCaret = true, .selectedOnly = true});
    QCOMPARE(NextDialogShows(), (QStringList{"abc", "abc", "&Whole words only", "Search from &caret",
                                             "&Selected text only", "&Backward"}));
    Find({.text = "Abc", .backwards = false, .wholeWords = false, .fromCaret = false, .selectedOnly = false});
    QCOMPARE(NextDialogShows(), (QStringList{"Abc", "Abc", "&Forward"}));
    QStringList expected;
    for (int i = 2; i <= 11; ++i) Find({.text = expected.emplaceFront(QString("t%1").arg(i))});
    QCOMPARE(NextDialogShows(), expected << "t11" << "&Forward");
  }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
