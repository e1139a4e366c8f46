// The editor control: byte-exact loading and saving, the modified flag,
// undo, typed-character events, smart keys and file drops.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <random>

#include "common/error.h"
#include "controls/source_editor.h"
#include "highlight/html_highlighter.h"
#include "support/temp_files.h"

using namespace std::string_literals;
using kw::SourceEditor;
using kw::test::TempFolder;

class SourceEditorTest : public QObject {
  Q_OBJECT

  TempFolder folder_;

  std::string RoundTrip(SourceEditor& editor, const std::string& bytes) {
    editor.LoadFromFile(folder_.Write("in.htm", bytes));
    editor.SaveToFile(folder_.File("out.htm"));
    return TempFolder::Read(folder_.File("out.htm"));
  }

 private slots:
  // The random round trips below keep one break style; these mix them.
  void savesWhatItLoaded() {
    const std::pair<std::string, std::string> rows[] = {
        {"a\rb", "a\rb"},
        {"a\r\nb", "a\r\nb"},
        {"a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd"},  // mixed breaks come back as CR LF
        {"a\n\rb", "a\r\n\r\nb"},                // LF CR is two breaks
    };
    SourceEditor editor;
    for (const auto& [bytes, saved] : rows) {
      QCOMPARE(QByteArray::fromStdString(RoundTrip(editor, bytes)), QByteArray::fromStdString(saved));
      QVERIFY(!editor.Modified());
    }
  }

  // Any bytes come back as they were, read as UTF-8 or as ISO-8859-1, and
  // reading them the other way changes none of them.
  void randomBytesSurviveEitherEncoding() {
    std::mt19937 random(11);
    const std::string pieces[] = {"<p>", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xE9", "\xC3", "\x80", "\n", "\0"s};
    for (int round = 0; round < 200; ++round) {
      std::string bytes;
      for (int n = std::uniform_int_distribution<int>(0, 30)(random); n > 0; --n)
        bytes += round % 2 ? pieces[random() % std::size(pieces)] : std::string(1, static_cast<char>(random()));
      // One break style throughout, so that the save keeps it.
      for (char& c : bytes)
        if (c == '\r') c = '\n';
      SourceEditor editor;
      editor.LoadFromFile(folder_.Write("in.htm", bytes));
      editor.SetEncoding(editor.Encoding() == kw::TextEncoding::Utf8 ? kw::TextEncoding::Latin1 : kw::TextEncoding::Utf8);
      QVERIFY(!editor.Modified());
      editor.SaveToFile(folder_.File("out.htm"));
      QCOMPARE(QByteArray::fromStdString(TempFolder::Read(folder_.File("out.htm"))), QByteArray::fromStdString(bytes));
    }
  }

  // No character is lost: what ISO-8859-1 lacks goes in as a character reference.
  void typedAndPastedTextInTheDocumentsEncoding() {
    SourceEditor editor;
    editor.show();
    for (const bool utf8 : {true, false}) {
      editor.LoadFromFile(folder_.Write("a.htm", utf8 ? "\xC3\xA9" : "\xE9"));
      QTest::keyClick(&editor, Qt::Key_End);
      for (const QString& typed : {QString::fromUtf8("\xE2\x82\xAC"), QString::fromUtf8("\xC3\xA0")}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(&editor, &key);
      }
      QApplication::clipboard()->setText(QString::fromUtf8("\xE4\xB8\xAD"));
      editor.paste();
      QCOMPARE(editor.Text(), std::string_view(utf8 ? "\xC3\xA9\xE2\x82\xAC\xC3\xA0\xE4\xB8\xAD" : "\xE9&#8364;\xE0&#20013;"));
    }
  }

  // A failed load leaves no line behind.
  void linesAsTheDocumentCountsThem() {
    SourceEditor editor;
    editor.LoadFromFile(folder_.Write("a.htm", "a\nb\n"));
    QCOMPARE(editor.LineCount(), 3);
    QCOMPARE(editor.LineText(1), std::string_view("b"));
    QVERIFY_THROWS_EXCEPTION(kw::EKempwellError, editor.LoadFromFile(folder_.Path()));
    QCOMPARE(editor.LineCount(), 0);
  }

  // Bytes show as ISO-8859-1 characters, to the clipboard and to assistive technology.
  void bytesShowAsLatin1() {
    SourceEditor editor;
    editor.show();
    editor.LoadFromFile(folder_.Write("a.htm", "caf\xe9 au lait"));
    QCOMPARE(editor.text(), QString::fromUtf8("café au lait"));
    editor.selectAll();
    editor.copy();
    QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("café au lait"));
    editor.SetCaretPos({1, 5});
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&editor)->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(2, 6), QString::fromUtf8("fé a"));
    QCOMPARE(text->cursorPosition(), 4);
    QCOMPARE(text->characterCount(), 12);
  }

  // A load empties the undo history: what was typed before cannot be undone.
  void theModifiedFlagFollowsUndo() {
    SourceEditor editor;
    editor.show();
    QTest::keyClicks(&editor, "old");
    editor.LoadFromFile(folder_.Write("a.htm", "x"));
    QTest::keyClicks(&editor, "abc");
    QVERIFY(editor.Modified());
    editor.undo();  // consecutive typing is one step
    QVERIFY(!editor.Modified());
    QCOMPARE(editor.Text(), std::string_view("x"));
    QVERIFY(!editor.CanUndo());
    editor.SetModified(true);
    QTest::keyClicks(&editor, "d");
    editor.undo();
    QVERIFY(!editor.Modified());  // back at the text of the last clear
    editor.SetModified(true);
    QVERIFY(editor.Modified());   // set without a change stays set
  }

  void onlyTypedCharactersAreKeyPresses() {
    SourceEditor editor;
    editor.show();
    std::string typed;
    std::vector<int> downs;
    editor.OnKeyPress = [&](SourceEditor&, char ch) { typed += ch; };
    editor.OnKeyDown = [&](SourceEditor&, int key, Qt::KeyboardModifiers) { downs.push_back(key); };
    QTest::keyClicks(&editor, "a B");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Delete, Qt::Key_Left})
      QTest::keyClick(&editor, key);
    QTest::keyClick(&editor, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(typed, std::string("a B"));
    QCOMPARE(downs.size(), size_t(10));  // Ctrl is a key of its own
  }

  // Tab lines up under the next word above; Backspace in leading blanks goes
  // back to each outer indentation in turn; Return leaves no trailing blanks.
  void smartKeys() {
    SourceEditor editor;
    editor.show();
    editor.LoadFromFile(folder_.Write("a.htm", "<ul>\n    <li>   <b>\n"));
    editor.SetCaretPos({3, 1});
    QTest::keyClick(&editor, Qt::Key_Tab);
    QTest::keyClick(&editor, Qt::Key_Tab);
    QCOMPARE(editor.LineText(2), std::string_view("           "));
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editor.LineText(2), std::string_view("    "));
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editor.LineText(2), std::string_view(""));
    QTest::keyClicks(&editor, "x   ");
    QTest::keyClick(&editor, Qt::Key_Return);
    QCOMPARE(editor.Text(), std::string_view("<ul>\n    <li>   <b>\nx\n"));
    editor.undo();
    QCOMPARE(editor.Text(), std::string_view("<ul>\n    <li>   <b>\nx   "));
    // Back from a tab to an indentation inside it.
    editor.LoadFromFile(folder_.Write("b.htm", "    x\n\t"));
    editor.SetCaretPos({2, 2});
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editor.Text(), std::string_view("    x\n    "));
  }

  void caretAndTopLineAreClamped() {
    SourceEditor editor;
    editor.resize(300, 100);
    editor.show();
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "line " + std::to_string(i) + "\n";
    editor.LoadFromFile(folder_.Write("a.htm", text));
    editor.SetCaretPos({500, 9});
    QCOMPARE(editor.CaretPos(), (kw::TextPos{101, 1}));
    editor.SetCaretPos({3, 99});
    QCOMPARE(editor.CaretPos(), (kw::TextPos{3, 7}));
    editor.SetTopLine(-4);
    QCOMPARE(editor.TopLine(), 1);
    editor.SetTopLine(35);
    QCOMPARE(editor.TopLine(), 35);
  }

  void dropsOfFilesAndOfText() {
    SourceEditor editor;
    editor.show();
    std::vector<std::string> dropped;
    editor.OnDropFiles = [&](SourceEditor&, const std::vector<std::string>& files) { dropped = files; };
    QMimeData files;
    // A file manager sends a name that is not UTF-8 percent-encoded, byte for byte.
    files.setUrls({QUrl::fromLocalFile("/tmp/a b.htm"), QUrl::fromEncoded("file:///tmp/caf%E9.htm")});
    auto drop = [&](QMimeData& mime) {
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QApplication::sendEvent(editor.viewport(), &enter);
      QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QApplication::sendEvent(editor.viewport(), &event);
    };
    drop(files);
    QCOMPARE(dropped, (std::vector<std::string>{"/tmp/a b.htm", "/tmp/caf\xE9.htm"}));
    dropped.clear();
    QMimeData text;
    text.setText("dragged text");
    drop(text);
    QVERIFY(dropped.empty());
    QCOMPARE(editor.Text(), std::string_view("dragged text"));
  }

  // A dark desktop theme, there when the editor is made and changed while it
  // is shown, changes none of the editor's colours: they stay those of a
  // light theme, where plain text and the gutter are dark on light.
  void aDarkThemeChangesNoColourOfTheEditor() {
    kw::THTMLHighlighter highlighter;
    const auto colours = [](SourceEditor& editor) {
      const auto color = [&](unsigned msg, unsigned long style = 0) {
        const long bgr = editor.SendScintilla(msg, style);
        return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
      };
      std::vector<std::pair<QColor, QColor>> pairs;
      for (unsigned long style = 0; style <= SourceEditor::STYLE_LINENUMBER; ++style)
        pairs.emplace_back(color(SourceEditor::SCI_STYLEGETFORE, style), color(SourceEditor::SCI_STYLEGETBACK, style));
      pairs.emplace_back(color(SourceEditor::SCI_GETCARETFORE), pairs.front().second);
      return pairs;
    };
    SourceEditor light;
    light.SetHighlighter(&highlighter);
    const auto expected = colours(light);
    const auto luma = [](const QColor& c) { return (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000; };
    for (const size_t i : {size_t(0), size_t(SourceEditor::STYLE_DEFAULT), size_t(SourceEditor::STYLE_LINENUMBER),
                           expected.size() - 1}) {
      const auto& [fore, back] = expected[i];
      QVERIFY2(luma(back) >= 200 && luma(back) - luma(fore) >= 100, qPrintable(fore.name() + " on " + back.name()));
    }

    const QPalette saved = QApplication::palette();
    QPalette dark(QColor(30, 30, 30), QColor(40, 40, 40));
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText, QPalette::HighlightedText})
      dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.show();
    dark.setColor(QPalette::Base, QColor(50, 50, 50));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    const bool same = colours(editor) == expected;
    QApplication::setPalette(saved);
    QVERIFY(same);
  }
};

QTEST_MAIN(SourceEditorTest)
#include "source_editor_test.moc"
