// The editor painted by the HTML highlighter: styles after loading, ranges
// carried across lines and edits, the text left alone, styling only what is
// shown, and a randomized cross-check against lexing the whole text afresh.
#include <QTest>
#include <cstdlib>
#include <random>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "highlight/editor_lexer.h"
#include "highlight/html_highlighter.h"
#include "support/scripted_dialogs.h"
#include "support/temp_files.h"

using namespace std::string_literals;
using kw::EditorLexer;
using kw::SourceEditor;
using kw::THTMLHighlighter;
using kw::test::TempFolder;
using Sci = QsciScintillaBase;

namespace {

constexpr char Style(int kind) { return static_cast<char>(EditorLexer::StyleOf(kind)); }

long Send(const SourceEditor& editor, unsigned int msg, unsigned long wParam = 0, long lParam = 0) {
  return editor.SendScintilla(msg, wParam, lParam);
}

// The styles of [from, to), as the editor holds them now; nothing is styled by reading.
std::string StylesOf(const SourceEditor& editor, long from = 0, long to = -1) {
  if (to < 0) to = Send(editor, Sci::SCI_GETLENGTH);
  std::string styles;
  for (long at = from; at < to; ++at) styles.push_back(static_cast<char>(Send(editor, Sci::SCI_GETSTYLEAT, at)));
  return styles;
}

std::string LineStyles(const SourceEditor& editor, int line) {
  const long start = Send(editor, Sci::SCI_POSITIONFROMLINE, line);
  return StylesOf(editor, start, Send(editor, Sci::SCI_GETLINEENDPOSITION, line));
}

// Lexes the whole text from the top, each line copied out, with the editor's
// line breaks (CR, LF, CR LF): what the editor must show, however it got there.
std::string ExpectedStyles(const std::string& text, bool utf8 = false) {
  THTMLHighlighter highlighter;
  highlighter.SetUtf8(utf8);
  std::string styles(text.size(), Style(kw::tkText));
  highlighter.ResetRange();
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string line = text.substr(start, end - start);
    for (highlighter.SetLine(line, 0); !highlighter.GetEol(); highlighter.Next())
      for (int i = 0; i < highlighter.GetTokenLength(); ++i)
        styles[start + static_cast<size_t>(highlighter.GetTokenPos() + i)] = Style(highlighter.GetTokenKind());
    if (end == text.size()) return styles;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

// Asks for styles up to `to` the way a paint does.
void StyleTo(const SourceEditor& editor, long to) {
  Send(editor, Sci::SCI_COLOURISE, static_cast<unsigned long>(Send(editor, Sci::SCI_GETENDSTYLED)), to);
}

uint32_t Rgb(long bgr) { return static_cast<uint32_t>((bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF)); }

// The toolkit hands a font's weight over negated.
bool Bold(const SourceEditor& editor, long style) {
  return std::abs(Send(editor, Sci::SCI_STYLEGETWEIGHT, static_cast<unsigned long>(style))) >= QFont::DemiBold;
}

struct Look {
  uint32_t fore;
  bool bold;
};
Look LookAt(const SourceEditor& editor, long position) {
  const long style = Send(editor, Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position));
  return {Rgb(Send(editor, Sci::SCI_STYLEGETFORE, static_cast<unsigned long>(style))), Bold(editor, style)};
}

void Settle() {
  // A paint that styled lines outside its area asks for a second one.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

EditorLexer* LexerOf(SourceEditor& editor) { return qobject_cast<EditorLexer*>(editor.lexer()); }

// Pieces of markup that open and close ranges across lines.
const std::vector<std::string> pieces = {
    "<!--", "-->", "--", ">", "<", "'", "\"", "=", "<p ", "a=", "&amp;", "&#169;", "text ", " ",
    "\n", "\r\n", "\r", "\n\n", "<!-- c\n d -->\n", "<a b='x\ny'>\n", "\t", "</p>"};

}  // namespace

class HighlightEditorTest : public QObject {
  Q_OBJECT

  TempFolder folder_;

  // An editor of about twenty lines, shown and painted, holding `text`.
  void ShowWith(SourceEditor& editor, const std::string& text) {
    editor.resize(500, 20 * 17);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.LoadFromFile(folder_.Write("shown.htm", text));
    Settle();
  }

 private slots:
  void theWindowPaintsTagsEntitiesAndComments() {
    kw::TForm1 form(std::make_unique<kw::test::ScriptedDialogs>());
    SourceEditor& editor = *form.Editor;
    const std::string text = "<p>caf&eacute; <invalid>\r\n<!-- one\r\ntwo\r\nthree -->x";
    editor.LoadFromFile(folder_.Write("a.htm", text));
    StyleTo(editor, -1);

    const Look known = LookAt(editor, 1);
    QCOMPARE(known.fore, 0x8000FFu);
    QVERIFY(known.bold);
    const Look unknown = LookAt(editor, text.find("invalid"));
    QCOMPARE(unknown.fore, 0xFF0000u);
    QVERIFY(unknown.bold);
    const Look entity = LookAt(editor, text.find('&'));
    QCOMPARE(entity.fore, 0x008080u);
    QVERIFY(entity.bold);
    for (int line = 1; line <= 3; ++line)
      QCOMPARE(LineStyles(editor, line).substr(0, 3), std::string(3, Style(kw::tkComment)));
    QCOMPARE(LineStyles(editor, 3).back(), Style(kw::tkText));
  }

  void attachingKeepsTheEditorsLook() {
    THTMLHighlighter highlighter;
    SourceEditor plain;
    SourceEditor painted;
    painted.SetHighlighter(&highlighter);
    auto font = [](const SourceEditor& editor, int style) {
      char name[128] = {};
      editor.SendScintilla(Sci::SCI_STYLEGETFONT, static_cast<unsigned long>(style), static_cast<void*>(name));
      return std::string(name) + " " + std::to_string(Send(editor, Sci::SCI_STYLEGETSIZEFRACTIONAL, style));
    };
    for (int style : {0, int(Sci::STYLE_DEFAULT), int(Sci::STYLE_LINENUMBER)}) {
      QCOMPARE(font(painted, style), font(plain, style));
      QCOMPARE(Send(painted, Sci::SCI_STYLEGETFORE, style), Send(plain, Sci::SCI_STYLEGETFORE, style));
      QCOMPARE(Send(painted, Sci::SCI_STYLEGETBACK, style), Send(plain, Sci::SCI_STYLEGETBACK, style));
    }
    // Kinds without a colour of their own take the editor's; none may bring
    // another font.
    for (int kind = 0; kind < kw::kTokenKindCount; ++kind) {
      if (kind == kw::tkNull) continue;
      QCOMPARE(font(painted, Style(kind)), font(plain, 0));
      QCOMPARE(Send(painted, Sci::SCI_STYLEGETBACK, Style(kind)), Send(plain, Sci::SCI_STYLEGETBACK, 0));
    }
    QCOMPARE(Send(painted, Sci::SCI_STYLEGETFORE, Style(kw::tkText)), Send(plain, Sci::SCI_STYLEGETFORE, 0));
    QVERIFY(!Bold(painted, Style(kw::tkText)));
    QVERIFY(Bold(painted, Style(kw::tkKey)));

    // Taking the highlighter off resets every style; the editor's own come back.
    painted.SetHighlighter(nullptr);
    for (int style : {0, int(Sci::STYLE_DEFAULT), int(Sci::STYLE_LINENUMBER)}) {
      QCOMPARE(font(painted, style), font(plain, style));
      QCOMPARE(Send(painted, Sci::SCI_STYLEGETBACK, style), Send(plain, Sci::SCI_STYLEGETBACK, style));
    }
  }

  void rangesCarryAcrossLinesWhateverTheBreaks_data() {
    QTest::addColumn<QByteArray>("breakBytes");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("CR") << QByteArray("\r");
  }
  void rangesCarryAcrossLinesWhateverTheBreaks() {
    QFETCH(QByteArray, breakBytes);
    const std::vector<std::string> lines = {
        "<input name=\"user\" value='any", "      value'>&amp;<!--", "", "-- -->t<a", "href=x>t"};
    auto joined = [&](const std::string& breaks) {
      std::string text;
      for (const std::string& line : lines) text += line + (&line == &lines.back() ? "" : breaks);
      return text;
    };
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.LoadFromFile(folder_.Write("a.htm", joined(breakBytes.toStdString())));
    StyleTo(editor, -1);
    QCOMPARE(editor.LineCount(), static_cast<int>(lines.size()));
    const std::string lf = ExpectedStyles(joined("\n"));
    size_t at = 0;
    for (int line = 0; line < editor.LineCount(); ++line) {
      QCOMPARE(LineStyles(editor, line), lf.substr(at, lines[static_cast<size_t>(line)].size()));
      at += lines[static_cast<size_t>(line)].size() + 1;
    }
    // A quoted value, a comment and an open tag go on on the next line.
    QCOMPARE(LineStyles(editor, 1).substr(0, 13), std::string(12, Style(kw::tkValue)) + Style(kw::tkSymbol));
    QCOMPARE(LineStyles(editor, 3).substr(0, 6), std::string(6, Style(kw::tkComment)));
    QCOMPARE(LineStyles(editor, 4).substr(0, 4), std::string(4, Style(kw::tkIdentifier)));
  }

  void stylingLeavesTheBytesAndTheModifiedFlagAlone() {
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    const std::string text = "<p a=\0b>\x80\xff &copy;\0<i>\r\n<!--\xe9\r\n-->\0"s;
    editor.LoadFromFile(folder_.Write("a.htm", text));
    StyleTo(editor, -1);
    QCOMPARE(QByteArray::fromStdString(std::string(editor.Text())), QByteArray::fromStdString(text));
    QVERIFY(!editor.Modified());
    QVERIFY(!editor.CanUndo());
    // A NUL ends what the highlighter sees of a line; the rest shows as text.
    const std::string first = LineStyles(editor, 0);
    QCOMPARE(first.substr(text.find('\0') + 1), std::string(first.size() - text.find('\0') - 1, Style(kw::tkText)));
    QCOMPARE(StylesOf(editor), ExpectedStyles(text));
  }

  void onlyWhatIsShownIsStyled() {
    std::string text;
    for (int i = 0; i < 40000; ++i) text += "<tr><td class=\"c\">cell &amp; " + std::to_string(i) + "</td></tr>\n";
    THTMLHighlighter highlighter;
    THTMLHighlighter other;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    ShowWith(editor, text);
    const long length = Send(editor, Sci::SCI_GETLENGTH);
    QCOMPARE(length, static_cast<long>(text.size()));
    const long styled = Send(editor, Sci::SCI_GETENDSTYLED);
    QVERIFY2(styled > 0 && styled < length / 100, qPrintable(QString::number(styled)));
    QVERIFY(LexerOf(editor)->LinesScanned() < 100);

    // Attaching to a loaded document styles nothing either.
    editor.SetHighlighter(&other);
    QCOMPARE(Send(editor, Sci::SCI_GETENDSTYLED), 0L);
  }

  void anotherHighlighterStylesAfresh() {
    THTMLHighlighter first;
    THTMLHighlighter second;
    SourceEditor editor;
    editor.SetHighlighter(&first);
    const std::string text = "<p a='x\ny'>\n<!-- c\nd -->&amp;\n";
    ShowWith(editor, text);
    editor.SetHighlighter(&second);
    Settle();
    QCOMPARE(Send(editor, Sci::SCI_GETENDSTYLED), static_cast<long>(text.size()));
    QCOMPARE(StylesOf(editor), ExpectedStyles(text));
  }

  // Attaching takes the editor's code page; switching restyles what was
  // styled in the other reading and hands over its word characters.
  void switchingTheReadingRestylesAndChangesTheWordCharacters() {
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.setUtf8(true);
    editor.SetHighlighter(&highlighter);
    QVERIFY(highlighter.Utf8());
    const std::string text = "<caf\xC3\xA9 x>\n<p>\xC3\xA9\n";
    ShowWith(editor, text);
    auto wordChars = [&] {
      char chars[256] = {};
      editor.SendScintilla(Sci::SCI_GETWORDCHARS, 0UL, static_cast<void*>(chars));
      return std::string(chars);
    };
    for (bool utf8 : {false, true}) {
      LexerOf(editor)->SetUtf8(utf8);
      Settle();
      QCOMPARE(StylesOf(editor), ExpectedStyles(text, utf8));
      QCOMPARE(wordChars().find('\xA9') != std::string::npos, utf8);
      QCOMPARE(&LexerOf(editor)->IdentChars(), utf8 ? &kw::kUtf8IdentChars : &kw::kHtmlIdentChars);
    }
  }

  void anOpenedCommentRestylesTheShownLinesBelow() {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "<p class=\"x\">text " + std::to_string(i) + "</p>\n";
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    ShowWith(editor, text);
    const long shown = Send(editor, Sci::SCI_LINESONSCREEN);
    QVERIFY(shown >= 10);
    std::vector<std::string> before;
    for (int line = 0; line < shown; ++line) before.push_back(LineStyles(editor, line));

    editor.SetCaretPos({3, 1});
    QTest::keyClicks(&editor, "<!--");
    Settle();
    for (int line = 3; line < shown; ++line)
      QCOMPARE(LineStyles(editor, line), std::string(before[static_cast<size_t>(line)].size(), Style(kw::tkComment)));

    editor.SetCaretPos({3, 5});
    QTest::keyClicks(&editor, "-->");
    Settle();
    QCOMPARE(LineStyles(editor, 2).substr(0, 7), std::string(7, Style(kw::tkComment)));
    for (int line = 3; line < shown; ++line) QCOMPARE(LineStyles(editor, line), before[static_cast<size_t>(line)]);
    QCOMPARE(StylesOf(editor, 0, Send(editor, Sci::SCI_GETENDSTYLED)),
             ExpectedStyles(std::string(editor.Text())).substr(0, Send(editor, Sci::SCI_GETENDSTYLED)));
  }

  void aKeystrokeRescansOnlyTheLinesItChanged() {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "<p class=\"x\">text " + std::to_string(i) + "</p>\n";
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    ShowWith(editor, text);
    QVERIFY(Send(editor, Sci::SCI_LINESONSCREEN) >= 10);
    const long scanned = LexerOf(editor)->LinesScanned();
    editor.SetCaretPos({4, 16});
    QTest::keyClicks(&editor, "ab");
    QTest::keyClick(&editor, Qt::Key_Return);
    Settle();
    QVERIFY2(LexerOf(editor)->LinesScanned() - scanned <= 6,
             qPrintable(QString::number(LexerOf(editor)->LinesScanned() - scanned)));
    QCOMPARE(StylesOf(editor, 0, Send(editor, Sci::SCI_GETENDSTYLED)),
             ExpectedStyles(std::string(editor.Text())).substr(0, Send(editor, Sci::SCI_GETENDSTYLED)));
  }

  // A CR and an LF that an edit puts side by side make one break, and the
  // line before takes the LF; taking the LF away gives it back.
  void breaksJoinedOrSplitByAnEditRestyleTheirLines() {
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.LoadFromFile(folder_.Write("a.htm", "<a\rb=c>"));
    StyleTo(editor, -1);
    editor.SendScintilla(Sci::SCI_INSERTTEXT, 3UL, "\n");
    StyleTo(editor, -1);
    QCOMPARE(StylesOf(editor), ExpectedStyles(std::string(editor.Text())));

    editor.LoadFromFile(folder_.Write("a.htm", "<a \nb=c>"));
    StyleTo(editor, -1);
    editor.SendScintilla(Sci::SCI_INSERTTEXT, 3UL, "\r");
    Send(editor, Sci::SCI_DELETERANGE, 4, 1);
    StyleTo(editor, -1);
    QCOMPARE(StylesOf(editor), ExpectedStyles(std::string(editor.Text())));
  }

  // What the first screen leaves is styled in the background, also after a
  // jump ahead and keys typed meanwhile, to the same styles as lexing the
  // whole text afresh; what is shown is styled right at once.
  void idleStylingStylesTheRestAsAFreshLex() {
    std::mt19937 random(3);
    std::string text;
    while (text.size() < 800000) text += pieces[random() % pieces.size()];
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    ShowWith(editor, text);
    const long firstScreen = Send(editor, Sci::SCI_GETENDSTYLED);
    auto endStyled = [&] { return Send(editor, Sci::SCI_GETENDSTYLED); };
    const QDeadlineTimer deadline(30000);
    while (endStyled() == firstScreen && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QVERIFY(endStyled() > firstScreen);
    // Ahead past what is styled, back above it, and typed there.
    for (int line : {editor.LineCount() * 3 / 4, editor.LineCount() / 2, editor.LineCount() / 4}) {
      editor.SetTopLine(line);
      Settle();
      const long top = editor.LineStart(editor.TopLine() - 1);
      const long bottom = editor.LineStart(editor.TopLine() - 1 + int(Send(editor, Sci::SCI_LINESONSCREEN)));
      QCOMPARE(StylesOf(editor, top, bottom), ExpectedStyles(std::string(editor.Text())).substr(top, bottom - top));
      if (line == editor.LineCount() / 4) {
        editor.SetCaretPos({line + 1, 1});
        QTest::keyClicks(&editor, "<!--");
        QTest::keyClick(&editor, Qt::Key_Return);
      }
    }
    const std::string expected = ExpectedStyles(std::string(editor.Text()));
    QTRY_COMPARE_WITH_TIMEOUT(StylesOf(editor), expected, 60000);
  }

  // Edits, undo and redo at random places, with styling asked for up to
  // random places in between: every line before the first unstyled byte must
  // be styled as lexing the whole text afresh styles it. (The rest of that
  // byte's line is styled again from the line's start when it is asked for.)
  void randomEditsStyleAsAFreshLex_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= 24; ++seed) QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
  }
  void randomEditsStyleAsAFreshLex() {
    QFETCH(unsigned, seed);
    std::mt19937 random(seed);
    auto pick = [&](long n) { return static_cast<long>(random() % static_cast<unsigned long>(n)); };
    std::string manyLines;
    for (int i = 0; i < 1100; ++i) manyLines += "a\n";
    std::string text;
    for (int i = 0; i < 200; ++i) text += pieces[static_cast<size_t>(pick(long(pieces.size())))];

    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.resize(400, 200);
    editor.LoadFromFile(folder_.Write("r.htm", text));
    for (int step = 0; step < 400; ++step) {
      const long length = Send(editor, Sci::SCI_GETLENGTH);
      const long at = pick(length + 1);
      switch (pick(7)) {
        case 0:
        case 1:
          editor.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at),
                               pieces[static_cast<size_t>(pick(long(pieces.size())))].c_str());
          break;
        case 2:
          Send(editor, Sci::SCI_DELETERANGE, static_cast<unsigned long>(at), std::min(1 + pick(12), length - at));
          break;
        case 3:
          Send(editor, pick(3) ? Sci::SCI_UNDO : Sci::SCI_REDO);
          break;
        case 4:
          // Now and then more lines than are followed one by one.
          if (pick(10) == 0) {
            editor.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at), manyLines.c_str());
          } else {
            Send(editor, Sci::SCI_DELETERANGE, static_cast<unsigned long>(at), std::min(1 + pick(200), length - at));
          }
          break;
        default:
          StyleTo(editor, at);
      }
      const long styledLines = Send(editor, Sci::SCI_LINEFROMPOSITION, Send(editor, Sci::SCI_GETENDSTYLED));
      const long styled = Send(editor, Sci::SCI_POSITIONFROMLINE, styledLines);
      QCOMPARE(StylesOf(editor, 0, styled), ExpectedStyles(std::string(editor.Text())).substr(0, styled));
    }
    StyleTo(editor, -1);
    QCOMPARE(StylesOf(editor), ExpectedStyles(std::string(editor.Text())));
  }
};

QTEST_MAIN(HighlightEditorTest)
#include "highlight_editor_test.moc"
