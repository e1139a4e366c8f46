// The find operation on the real editor: lines read in place in its text,
// whatever their breaks, and the match selected and scrolled to.
#include <QScrollBar>
#include <QTest>

#include "controls/source_editor.h"
#include "search/edit_search.h"
#include "search/editor_find.h"
#include "support/temp_files.h"

using kw::SourceEditor;
using kw::TextPos;

Q_DECLARE_METATYPE(TextPos)

namespace {

constexpr TextPos kNotFound{0, 0};

}  // namespace

class EditorFindTest : public QObject {
  Q_OBJECT

  kw::test::TempFolder folder_;

 private slots:
  void selectsTheMatch_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<unsigned>("options");
    QTest::addColumn<TextPos>("caret");
    QTest::addColumn<TextPos>("start");
    QTest::addColumn<TextPos>("end");
    auto row = [](const char* name, const char* bytes, unsigned options, TextPos caret, TextPos start, TextPos end) {
      QTest::newRow(name) << QByteArray(bytes) << options << caret << start << end;
    };
    const unsigned back = kw::soBackwards;
    row("LF", "ab\nxabc\n", 0, {1, 1}, {2, 2}, {2, 5});
    row("CR LF", "ab\r\nxabc\r\n", 0, {1, 1}, {2, 2}, {2, 5});
    row("CR", "ab\rxabc\r", 0, {1, 1}, {2, 2}, {2, 5});
    row("up across CR LF", "abc\r\nx\r\nyabc\r\n", back, {3, 2}, {1, 1}, {1, 4});
    row("up across CR", "abc\rx\rabcy", back, {3, 3}, {1, 1}, {1, 4});
    row("up from the end of the text", "abc\r\nabc abc", back | kw::soEntireScope, {1, 1}, {2, 5}, {2, 8});
    row("no match past the caret's line end", "abc\r\nab", 0, {1, 2}, kNotFound, kNotFound);
  }
  void selectsTheMatch() {
    QFETCH(QByteArray, bytes);
    QFETCH(unsigned, options);
    QFETCH(TextPos, caret);
    QFETCH(TextPos, start);
    QFETCH(TextPos, end);
    SourceEditor editor;
    editor.LoadFromFile(folder_.Write("a.htm", bytes.toStdString()));
    editor.SetCaretPos(caret);
    kw::TEditSearch engine;
    const int found = kw::FindInEditor(editor, engine, "abc", options);
    if (start == kNotFound) {
      QCOMPARE(found, 0);
      QCOMPARE(editor.CaretPos(), caret);
      QVERIFY(!editor.SelAvail());
      return;
    }
    QCOMPARE(found, 1);
    QCOMPARE(editor.SelStart(), start);
    QCOMPARE(editor.SelEnd(), end);
    QCOMPARE(editor.CaretPos(), options & kw::soBackwards ? start : end);
  }

  void theMatchIsScrolledIntoView() {
    SourceEditor editor;
    editor.resize(300, 120);
    editor.show();
    std::string text;
    for (int i = 1; i <= 500; ++i) text += "line " + std::to_string(i) + "\n";
    editor.LoadFromFile(folder_.Write("a.htm", text + std::string(400, ' ') + "needle"));
    kw::TEditSearch engine;
    QCOMPARE(kw::FindInEditor(editor, engine, "needle", kw::soEntireScope), 1);
    QCOMPARE(editor.CaretPos(), (TextPos{501, 407}));
    QVERIFY(editor.TopLine() > 450);
    QVERIFY(editor.horizontalScrollBar()->value() > 0);
  }

  void anEmptyEditorHasNothingToFind() {
    SourceEditor editor;
    kw::TEditSearch engine;
    QCOMPARE(kw::FindInEditor(editor, engine, "abc", kw::soEntireScope), 0);
    QCOMPARE(kw::FindInEditor(editor, engine, "abc", kw::soBackwards), 0);
  }
};

QTEST_MAIN(EditorFindTest)
#include "editor_find_test.moc"
