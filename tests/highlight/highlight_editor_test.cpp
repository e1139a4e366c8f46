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

// The toolkit hands a font's weight over negated.
bool Bold(const SourceEditor& editor, long style) {
  return std::abs(Send(editor, Sci::SCI_STYLEGETWEIGHT, static_cast<unsigned long>(style))) >= QFont::DemiBold;
}

void Settle() {
  // A paint that styled lines outside its area asks for a second one.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// The styles of [from, to) must be what lexing the whole text afresh gives;
// by default, of what is styled so far.
void CompareWithAFreshLex(SourceEditor& editor, long from = 0, long to = -1) {
  if (to < 0) to = Send(editor, Sci::SCI_GETENDSTYLED);
  QCOMPARE(StylesOf(editor, from, to), ExpectedStyles(std::string(editor.Text())).substr(from, to - from));
}

// An editor with the highlighter attached.
struct Painted {
  Painted() { editor.SetHighlighter(&highlighter); }
  THTMLHighlighter highlighter;
  SourceEditor editor;
};

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
    const std::string text = "<p>caf&eacute; <invalid>\r\n<!-- one\r\ntwo -->x";
    editor.LoadFromFile(folder_.Write("a.htm", text));
    StyleTo(editor, -1);
    const struct {
      size_t at;
      uint32_t rgb;
    } looks[] = {{1, 0x8000FF}, {text.find("invalid"), 0xFF0000}, {text.find('&'), 0x008080}};
    for (const auto& look : looks) {
      const long style = Send(editor, Sci::SCI_GETSTYLEAT, look.at);
      const long bgr = Send(editor, Sci::SCI_STYLEGETFORE, static_cast<unsigned long>(style));
      QCOMPARE(static_cast<uint32_t>((bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF)), look.rgb);
      QVERIFY(Bold(editor, style));
    }
    QCOMPARE(Send(editor, Sci::SCI_GETSTYLEAT, text.find("two")), long(Style(kw::tkComment)));
  }

  void attachingKeepsTheEditorsLook() {
    THTMLHighlighter highlighter;
    SourceEditor plain;
    SourceEditor painted;
    painted.SetHighlighter(&highlighter);
    auto look = [](const SourceEditor& editor, int style) {
      char name[128] = {};
      editor.SendScintilla(Sci::SCI_STYLEGETFONT, static_cast<unsigned long>(style), static_cast<void*>(name));
      return std::string(name) + " " + std::to_string(Send(editor, Sci::SCI_STYLEGETSIZEFRACTIONAL, style)) +
             " " + std::to_string(Send(editor, Sci::SCI_STYLEGETBACK, style));
    };
    auto sameAsPlain = [&](const std::vector<int>& styles, int plainStyle) {
      for (int style : styles) QCOMPARE(look(painted, style), look(plain, plainStyle < 0 ? style : plainStyle));
    };
    const std::vector<int> own = {0, int(Sci::STYLE_DEFAULT), int(Sci::STYLE_LINENUMBER)};
    sameAsPlain(own, -1);
    // No kind may bring another font or paper; a kind without a colour takes the editor's.
    for (int kind = 0; kind < kw::kTokenKindCount; ++kind)
      if (kind != kw::tkNull) sameAsPlain({Style(kind)}, 0);
    QCOMPARE(Send(painted, Sci::SCI_STYLEGETFORE, Style(kw::tkText)), Send(plain, Sci::SCI_STYLEGETFORE, 0));
    // Taking the highlighter off resets every style; the editor's own come back.
    painted.SetHighlighter(nullptr);
    sameAsPlain(own, -1);
  }

  // Neither loading nor attaching another highlighter styles more than is shown.
  void onlyWhatIsShownIsStyled() {
    std::string text;
    for (int i = 0; i < 40000; ++i) text += "<tr><td class=\"c\">cell &amp; " + std::to_string(i) + "</td></tr>\n";
    Painted painted;
    SourceEditor& editor = painted.editor;
    THTMLHighlighter other;
    ShowWith(editor, text);
    const long styled = Send(editor, Sci::SCI_GETENDSTYLED);
    QVERIFY2(styled > 0 && styled < static_cast<long>(text.size()) / 100, qPrintable(QString::number(styled)));
    QVERIFY(LexerOf(editor)->LinesScanned() < 100);
    editor.SetHighlighter(&other);
    QCOMPARE(Send(editor, Sci::SCI_GETENDSTYLED), 0L);
    Settle();
    QVERIFY(Send(editor, Sci::SCI_GETENDSTYLED) > 0);
    CompareWithAFreshLex(editor);
  }

  // Attaching takes the editor's code page; switching restyles what was
  // styled in the other reading and hands over its word characters. Styling
  // leaves the bytes (a NUL ends what the highlighter sees of a line) and
  // the modified flag alone.
  void switchingTheReadingRestylesAndChangesTheWordCharacters() {
    THTMLHighlighter highlighter;
    SourceEditor editor;
    editor.setUtf8(true);
    editor.SetHighlighter(&highlighter);
    QVERIFY(highlighter.Utf8());
    const std::string text = "<caf\xC3\xA9 x=\0b>\x80\xff &copy;\0<i>\r\n<p>\xC3\xA9\r<!--\xe9\n-->\0"s;
    ShowWith(editor, text);
    QCOMPARE(QByteArray::fromStdString(std::string(editor.Text())), QByteArray::fromStdString(text));
    QVERIFY(!editor.Modified());
    QVERIFY(!editor.CanUndo());
    for (bool utf8 : {false, true}) {
      LexerOf(editor)->SetUtf8(utf8);
      Settle();
      QCOMPARE(StylesOf(editor), ExpectedStyles(text, utf8));
      char chars[256] = {};
      editor.SendScintilla(Sci::SCI_GETWORDCHARS, 0UL, static_cast<void*>(chars));
      QCOMPARE(std::string(chars).find('\xA9') != std::string::npos, utf8);
      QCOMPARE(&LexerOf(editor)->IdentChars(), utf8 ? &kw::kUtf8IdentChars : &kw::kHtmlIdentChars);
    }
  }

  // What the first screen leaves is styled in the background, also after a
  // jump ahead and keys typed meanwhile, to the same styles as lexing the
  // whole text afresh; what is shown is styled right at once, as are the
  // shown lines below an opened comment. Once all is styled, a keystroke
  // rescans only the lines it changed.
  void idleStylingStylesTheRestAsAFreshLex() {
    std::mt19937 random(3);
    std::string text;
    while (text.size() < 800000) text += pieces[random() % pieces.size()];
    Painted painted;
    SourceEditor& editor = painted.editor;
    ShowWith(editor, text);
    const long firstScreen = Send(editor, Sci::SCI_GETENDSTYLED);
    const QDeadlineTimer deadline(30000);
    while (Send(editor, Sci::SCI_GETENDSTYLED) == firstScreen && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QVERIFY(Send(editor, Sci::SCI_GETENDSTYLED) > firstScreen);
    auto compareShown = [&] {
      Settle();
      const long top = editor.LineStart(editor.TopLine() - 1);
      const long bottom = editor.LineStart(editor.TopLine() - 1 + int(Send(editor, Sci::SCI_LINESONSCREEN)));
      CompareWithAFreshLex(editor, top, bottom);
    };
    // Ahead past what is styled, back above it, and typed there.
    for (int line : {editor.LineCount() * 3 / 4, editor.LineCount() / 2, editor.LineCount() / 4}) {
      editor.SetTopLine(line);
      compareShown();
    }
    editor.SetCaretPos({editor.LineCount() / 4 + 1, 1});
    QTest::keyClicks(&editor, "<!--");
    QTest::keyClick(&editor, Qt::Key_Return);
    compareShown();
    const std::string expected = ExpectedStyles(std::string(editor.Text()));
    QTRY_COMPARE_WITH_TIMEOUT(StylesOf(editor), expected, 60000);
    const long scanned = LexerOf(editor)->LinesScanned();
    QTest::keyClicks(&editor, "ab");
    QTest::keyClick(&editor, Qt::Key_Return);
    compareShown();
    const long rescanned = LexerOf(editor)->LinesScanned() - scanned;
    QVERIFY2(rescanned <= 6, qPrintable(QString::number(rescanned)));
  }

  // Edits, undo and redo at random places, with styling asked for up to
  // random places in between: every line before the first unstyled byte must
  // be styled as lexing the whole text afresh styles it. (The rest of that
  // byte's line is styled again from the line's start when it is asked for.)
  // Breaks that an edit joins (CR, LF) or splits restyle their lines too.
  void randomEditsStyleAsAFreshLex_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= 24; ++seed) QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
  }
  void randomEditsStyleAsAFreshLex() {
    QFETCH(unsigned, seed);
    std::mt19937 random(seed);
    auto pick = [&](long n) { return static_cast<long>(random() % static_cast<unsigned long>(n)); };
    auto piece = [&] { return pieces[static_cast<size_t>(pick(long(pieces.size())))]; };
    const std::string manyLines = QByteArray("a\n").repeated(1100).toStdString();
    std::string text;
    for (int i = 0; i < 200; ++i) text += piece();
    Painted painted;
    SourceEditor& editor = painted.editor;
    editor.resize(400, 200);
    editor.LoadFromFile(folder_.Write("r.htm", text));
    for (int step = 0; step < 400; ++step) {
      const long length = Send(editor, Sci::SCI_GETLENGTH);
      const auto at = static_cast<unsigned long>(pick(length + 1));
      const long upTo = pick(10) ? 1 + pick(12) : 1 + pick(200);
      const long action = pick(7);
      if (action < 2)  // now and then more lines than are followed one by one
        editor.SendScintilla(Sci::SCI_INSERTTEXT, at, (pick(20) ? piece() : manyLines).c_str());
      else if (action < 4)
        Send(editor, Sci::SCI_DELETERANGE, at, std::min(upTo, length - long(at)));
      else if (action == 4)
        Send(editor, pick(3) ? Sci::SCI_UNDO : Sci::SCI_REDO);
      else
        StyleTo(editor, long(at));
      const long styledLines = Send(editor, Sci::SCI_LINEFROMPOSITION, Send(editor, Sci::SCI_GETENDSTYLED));
      const long styled = Send(editor, Sci::SCI_POSITIONFROMLINE, styledLines);
      CompareWithAFreshLex(editor, 0, styled);
    }
    StyleTo(editor, -1);
    CompareWithAFreshLex(editor, 0, Send(editor, Sci::SCI_GETLENGTH));
  }
};

QTEST_MAIN(HighlightEditorTest)
#include "highlight_editor_test.moc"
