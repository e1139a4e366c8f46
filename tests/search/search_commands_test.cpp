// Find, Find next and Find previous through the real window and search
// dialog. Which text a find selects is the find operation's test; here, what
// the dialog and the commands hand to it and do with its answer.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "search/search_dialog.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_window.h"
#include "support/temp_files.h"

using kw::TSearchSettings;
using kw::TTextSearchDialog;
using kw::test::TempFolder;
using S = TSearchSettings;

namespace {

// The typed text with the boxes named ticked.
TSearchSettings Typed(const std::string& text, std::initializer_list<bool S::*> ticked = {}) {
  TSearchSettings settings;
  settings.SearchText = text;
  for (bool S::*box : ticked) settings.*box = true;
  return settings;
}

}  // namespace

class SearchCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> programDir_, docs_;
  std::unique_ptr<kw::TForm1> form_;
  kw::test::ScriptedDialogs* dialogs_ = nullptr;

  // "two" is at 1:5, 2:1 and 2:9.
  void Open(const std::string& bytes = "one two\r\ntwo one two\r\naaaa") {
    QVERIFY(kw::test::StartScriptedWindow(form_, dialogs_, docs_->Write("page.htm", bytes)));
  }
  kw::SourceEditor& Editor() { return *form_->Editor; }
  // "line:column-line:column", or the message of a search that failed.
  QString Selection() {
    if (!dialogs_->infos.empty()) return dialogs_->infos.back();
    const kw::TextPos s = Editor().SelStart(), e = Editor().SelEnd();
    return QStringLiteral("%1:%2-%3:%4").arg(s.line).arg(s.column).arg(e.line).arg(e.column);
  }
  // Only the press: by the release the modal dialog has the keyboard.
  void Dialog(kw::test::ScriptedDialogs::SearchScript script) {
    dialogs_->searchScripts.push_back(std::move(script));
    QTest::keyPress(&Editor(), Qt::Key_F, Qt::ControlModifier);
  }
  // Find with the dialog filled in as given and closed with Enter, or with Esc.
  void Find(const TSearchSettings& s, Qt::Key close = Qt::Key_Return) {
    Dialog([s, close](TTextSearchDialog& d) {
      QTest::keyRelease(&d, Qt::Key_F, Qt::ControlModifier);
      d.SetSearchBackwards(s.Backwards);
      d.SetSearchCaseSensitive(s.CaseSensitive);
      d.SetSearchFromCursor(s.FromCaret);
      d.SetSearchInSelectionOnly(s.SelectedOnly);
      d.SetSearchWholeWords(s.WholeWords);
      d.cbSearchText->lineEdit()->selectAll();
      QTest::keyClick(d.cbSearchText, Qt::Key_Backspace);
      for (const QChar c : QString::fromStdString(s.SearchText))  // keyClicks types ASCII only
        QTest::sendKeyEvent(QTest::Click, d.cbSearchText, Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::keyClick(d.cbSearchText, close);
    });
  }
  // Modal over the window, the text focused, the settings as it shows them.
  TSearchSettings NextDialogShows() {
    TSearchSettings shown;
    Dialog([&](TTextSearchDialog& d) {
      QVERIFY(d.isModal() && d.parentWidget() == form_.get());
      QTRY_COMPARE(QApplication::focusWidget(), d.cbSearchText);
      shown = {d.SearchBackwards(), d.SearchCaseSensitive(), d.SearchFromCursor(), d.SearchInSelectionOnly(),
               d.SearchWholeWords(), d.SearchText(), d.SearchTextHistory()};
    });
    return shown;
  }
  void Repeat(bool backwards) {
    QTest::keyClick(&Editor(), Qt::Key_F3, backwards ? Qt::ControlModifier : Qt::NoModifier);
  }

 private slots:
  void init() {
    programDir_ = std::make_unique<TempFolder>();
    docs_ = std::make_unique<TempFolder>();
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir_->Path()));
  }
  void cleanup() { form_.reset(); }

  // OK keeps the settings for the next dialog, and with no text searches
  // nothing; Esc changes nothing.
  void theDialogKeepsTheSettings() {
    Open();
    Editor().Select({2, 1}, {2, 4});
    QVERIFY(NextDialogShows() == TSearchSettings{});
    const TSearchSettings ticked =
        Typed("", {&S::Backwards, &S::CaseSensitive, &S::FromCaret, &S::SelectedOnly, &S::WholeWords});
    Find(ticked);
    Find(Typed("one"), Qt::Key_Escape);
    QVERIFY(NextDialogShows() == ticked);
    QCOMPARE(Selection(), QString("2:1-2:4"));
    QCOMPARE(dialogs_->beeps, 0);
    Find(Typed("one"));
    QCOMPARE(Selection(), QString("1:1-1:4"));
    // Typed as it is, never completed to an entry, and in its place in the history.
    Find(Typed("On"));
    Find(Typed("ON"));
    TSearchSettings on = Typed("ON");
    on.SearchHistory = "ON\r\none";
    QVERIFY(NextDialogShows() == on);
  }

  // The first search starts at the top unless told to start at the caret;
  // F3 and Ctrl+F3 go on from the match and stop at the end without wrapping:
  // the sound, the message over the untouched selection, then the collapse
  // toward the search direction.
  void findThenRepeatToTheEnd() {
    Open();
    Find(Typed("two"));
    Find(Typed("two", {&S::FromCaret}));
    QCOMPARE(Selection(), QString("2:1-2:4"));
    QString behindTheMessage;
    dialogs_->whileInforming = [&](const QString&) {
      QCOMPARE(dialogs_->beeps, 1);
      behindTheMessage = QString::number(Editor().SelStart().column) + ":" +
                         QString::number(Editor().SelEnd().column);
    };
    Find(Typed("two", {&S::Backwards}));
    QCOMPARE(Editor().CaretPos(), (kw::TextPos{2, 9}));
    for (const QString match : {"2:9-2:12", "2:1-2:4", "1:5-1:8"}) {
      QCOMPARE(Selection(), match);
      Repeat(true);
    }
    QCOMPARE(Selection(), QString("Not found."));
    QCOMPARE(behindTheMessage, QString("5:8"));
    QVERIFY(!Editor().SelAvail() && Editor().CaretPos() == (kw::TextPos{1, 5}));
    dialogs_->whileInforming = nullptr;
    Editor().Select({2, 10}, {2, 12});
    Repeat(false);
    QVERIFY(!Editor().SelAvail() && Editor().CaretPos() == (kw::TextPos{2, 12}));
  }

  // Both options reach the search (either alone would pick another match),
  // and the text is searched in the document's encoding across its breaks:
  // a character that ISO-8859-1 lacks is not there.
  void theSearchTakesTheOptionsAndTheEncoding() {
    const std::string utf8 = "Caf\xC3\xA9 costs\n5 \xE2\x82\xAC", latin1 = "Caf\xE9 \xA9\rcosts ? \x80";
    const struct { std::string document; TSearchSettings find; QString selection; } rows[] = {
        {"twofold Two two", Typed("two", {&S::CaseSensitive, &S::WholeWords}), "1:13-1:16"},
        {utf8, Typed("\xE2\x82\xAC"), "2:3-2:6"},
        {utf8, Typed("\xC3\x89"), "1:4-1:6"},
        {latin1, Typed("\xC3\x89 \xC2\xA9"), "1:4-1:7"},
        {latin1, Typed("\xE2\x82\xAC"), "Not found."},
    };
    for (const auto& r : rows) {
      qInfo() << r.selection;
      Open(r.document);
      Find(r.find);
      QCOMPARE(Selection(), r.selection);
    }
  }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
