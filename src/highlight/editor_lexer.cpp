#include "highlight/editor_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace kw {

namespace {

using Sci = QsciScintillaBase;

// A line state holds the range the line was scanned from, the range at its
// end and the generation it was scanned in.
constexpr int kRangeMask = 0xF;
constexpr int kGenerationShift = 8;
constexpr int kMaxGeneration = (1 << 23) - 1;

int StartRange(long state) { return static_cast<int>(state) & kRangeMask; }
int EndRange(long state) { return static_cast<int>(state >> 4) & kRangeMask; }
int Generation(long state) { return static_cast<int>(state >> kGenerationShift); }
long PackState(int start, int end, int generation) {
  return start | end << 4 | generation << kGenerationShift;
}

// Following changes line by line is only worth it for small ones; after a
// paste or a reload every line counts as unscanned instead.
constexpr long kMaxFollowedLines = 1024;
constexpr size_t kMaxFollowedRuns = 16;

constexpr size_t kBatchBytes = 32 * 1024;

constexpr char kTextStyle = static_cast<char>(EditorLexer::StyleOf(tkText));

QColor ColorOf(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

EditorLexer::EditorLexer(THTMLHighlighter& highlighter, const QFont& font, const QColor& text,
                         const QColor& paper, QObject* parent)
    : QsciLexerCustom(parent), highlighter_(highlighter), font_(font), text_(text), paper_(paper) {
  TakeWordChars();
}

void EditorLexer::TakeWordChars() {
  const IdentCharTable& ident = highlighter_.GetIdentChars();
  wordChars_.clear();
  for (int c = 1; c < 256; ++c)
    if (ident[static_cast<size_t>(c)]) wordChars_.push_back(static_cast<char>(c));
}

long EditorLexer::Send(unsigned int msg, unsigned long wParam, long lParam) const {
  return editor()->SendScintilla(msg, wParam, lParam);
}

const char* EditorLexer::language() const { return "HTML"; }

const THighlighterAttributes* EditorLexer::AttributeOfStyle(int style) const {
  const int kind = style - StyleOf(0);
  return kind >= 0 && kind < kTokenKindCount ? highlighter_.AttributeOf(kind) : nullptr;
}

QString EditorLexer::description(int style) const {
  const THighlighterAttributes* attribute = AttributeOfStyle(style);
  if (!attribute) return {};
  // An empty description would leave the style undefined in the editor.
  return attribute->Name.empty() ? QStringLiteral("Style %1").arg(style) : QString::fromStdString(attribute->Name);
}

QColor EditorLexer::defaultColor(int style) const {
  const THighlighterAttributes* attribute = AttributeOfStyle(style);
  return attribute && attribute->Foreground ? ColorOf(*attribute->Foreground) : text_;
}

QColor EditorLexer::defaultPaper(int style) const {
  const THighlighterAttributes* attribute = AttributeOfStyle(style);
  return attribute && attribute->Background ? ColorOf(*attribute->Background) : paper_;
}

QFont EditorLexer::defaultFont(int style) const {
  QFont font = font_;
  if (const THighlighterAttributes* attribute = AttributeOfStyle(style)) {
    font.setBold(attribute->Style & fsBold);
    font.setItalic(attribute->Style & fsItalic);
    font.setUnderline(attribute->Style & fsUnderline);
  }
  return font;
}

const char* EditorLexer::wordCharacters() const { return wordChars_.c_str(); }

void EditorLexer::setEditor(QsciScintilla* editor) {
  if (this->editor()) disconnect(this->editor(), &QsciScintillaBase::SCN_MODIFIED, this, nullptr);
  QsciLexerCustom::setEditor(editor);
  if (!editor) return;
  connect(editor, &QsciScintillaBase::SCN_MODIFIED, this, [this](int position, int type, const char*, int length) {
    if (type & (Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE)) BeforeChange(position, type, length);
  });
  highlighter_.SetUtf8(Send(Sci::SCI_GETCODEPAGE) == Sci::SC_CP_UTF8);
  TakeWordChars();
  // States left by an earlier lexer could pass for current ones.
  changePending_ = false;
  changed_.clear();
  generation_ = 1;
  for (long line = 0, lines = Send(Sci::SCI_GETMAXLINESTATE); line < lines; ++line)
    Send(Sci::SCI_SETLINESTATE, static_cast<unsigned long>(line), 0);
}

// Every style and line state was found in the other reading; the colourise
// request marks the whole text unstyled and repaints, which styles what is shown.
void EditorLexer::SetUtf8(bool utf8) {
  if (utf8 == highlighter_.Utf8()) return;
  highlighter_.SetUtf8(utf8);
  TakeWordChars();
  if (!editor()) return;
  editor()->SendScintilla(Sci::SCI_SETWORDCHARS, 0UL, wordChars_.c_str());
  ForgetLines();
  Send(Sci::SCI_COLOURISE, 0, 0);
}

// The change is only known to be done when the next one is announced or when
// styling is asked for; until then the line count is the one before it.
void EditorLexer::BeforeChange(long position, int type, long length) {
  TakeChange();
  const bool insert = type & Sci::SC_MOD_BEFOREINSERT;
  change_.position = position;
  change_.insertLength = insert ? length : 0;
  change_.line = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  change_.lastLine =
      insert ? change_.line : Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position + length));
  change_.linesBefore = Send(Sci::SCI_GETLINECOUNT);
  changePending_ = true;
}

// Adds the lines the finished change touched to the changed lines, moving
// those already there by the lines it added or removed.
void EditorLexer::TakeChange() {
  if (!changePending_) return;
  changePending_ = false;
  const long added = Send(Sci::SCI_GETLINECOUNT) - change_.linesBefore;
  // The line of the change's position may have moved up, joined across a
  // CR LF pair, or down, its CR LF split.
  const long first =
      std::min(change_.line, Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(change_.position)));
  const long last =
      Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(change_.position + change_.insertLength));
  auto moved = [&](long line, long inside) {
    return line < change_.line ? line : line > change_.lastLine ? line + added : inside;
  };
  for (Run& run : changed_) {
    run.first = moved(run.first, first);
    run.last = std::max(run.first, moved(run.last, last));
  }
  changed_.push_back({first, last});
  std::sort(changed_.begin(), changed_.end(), [](const Run& a, const Run& b) { return a.first < b.first; });
  size_t kept = 0;
  long lines = 0;
  for (const Run& run : changed_) {
    if (kept > 0 && run.first <= changed_[kept - 1].last + 1) {
      changed_[kept - 1].last = std::max(changed_[kept - 1].last, run.last);
    } else {
      changed_[kept++] = run;
    }
  }
  changed_.resize(kept);
  for (const Run& run : changed_) lines += run.last - run.first + 1;
  if (lines > kMaxFollowedLines || changed_.size() > kMaxFollowedRuns) ForgetLines();
}

// Lines [from, to) have just been scanned or found current.
void EditorLexer::MarkScanned(long from, long to) {
  std::vector<Run> left;
  left.reserve(changed_.size() + 1);
  for (const Run& run : changed_) {
    if (run.last < from || run.first >= to) {
      left.push_back(run);
      continue;
    }
    if (run.first < from) left.push_back({run.first, from - 1});
    if (run.last >= to) left.push_back({to, run.last});
  }
  changed_.swap(left);
}

void EditorLexer::ForgetLines() {
  changed_.clear();
  if (++generation_ <= kMaxGeneration) return;
  // Numbers are reused: clear the old ones, keeping the ranges that the next
  // request starts from.
  generation_ = 1;
  for (long line = 0, lines = Send(Sci::SCI_GETMAXLINESTATE); line < lines; ++line) {
    const long state = Send(Sci::SCI_GETLINESTATE, static_cast<unsigned long>(line));
    Send(Sci::SCI_SETLINESTATE, static_cast<unsigned long>(line), state & 0xFF);
  }
}

// Scintilla asks from the line of the first unstyled byte to the line after
// the area it paints. A line is scanned unless it is unchanged since its last
// scan and starts in the same range as then. When the line after the area
// starts in another range than before, its new state makes Scintilla repaint
// the whole view, which asks for the lines below.
void EditorLexer::styleText(int start, int end) {
  if (!editor() || suspended_) return;
  TakeChange();
  if (end <= start) return;
  const long lines = Send(Sci::SCI_GETLINECOUNT);
  const long firstLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
  const long lastLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end - 1));
  highlighter_.ResetRange();
  int range = firstLine == 0 ? highlighter_.GetRange()
                             : EndRange(Send(Sci::SCI_GETLINESTATE, static_cast<unsigned long>(firstLine - 1)));
  long line = firstLine;
  long lineStart = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  // Styles of consecutive scanned lines go out in one call from batchStart:
  // each call costs as much as styling a few hundred bytes.
  long batchStart = lineStart;
  size_t batched = 0;
  auto send = [&] {
    if (batched == 0) return;
    Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(batchStart));
    editor()->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(batched), styles_.data());
    batched = 0;
  };
  auto run = changed_.begin();
  for (; line <= lastLine && line < lines; ++line) {
    const long state = Send(Sci::SCI_GETLINESTATE, static_cast<unsigned long>(line));
    while (run != changed_.end() && run->last < line) ++run;
    const bool changed = run != changed_.end() && run->first <= line;
    const bool current = !changed && Generation(state) == generation_ && StartRange(state) == range;
    const long next = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1));
    if (current) {
      send();
      range = EndRange(state);
    } else {
      if (batched == 0) batchStart = lineStart;
      if (styles_.size() < batched + static_cast<size_t>(next - lineStart))
        styles_.resize(batched + static_cast<size_t>(next - lineStart));
      const int startRange = range;
      range = ScanLine(line, lineStart, next, range, styles_.data() + batched);
      batched += static_cast<size_t>(next - lineStart);
      Send(Sci::SCI_SETLINESTATE, static_cast<unsigned long>(line), PackState(startRange, range, generation_));
      if (batched >= kBatchBytes) send();
    }
    lineStart = next;
  }
  send();
  // Lines found current keep their styles, and count as styled.
  if (Send(Sci::SCI_GETENDSTYLED) < lineStart) Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(lineStart));
  if (!changed_.empty()) MarkScanned(firstLine, line);
}

int EditorLexer::ScanLine(long line, long start, long next, int range, char* styles) {
  const long total = next - start;
  const char* text = total > 0 ? reinterpret_cast<const char*>(Send(
                                     Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), total))
                               : "";
  long length = total;
  if (length > 0 && text[length - 1] == '\n') --length;
  if (length > 0 && text[length - 1] == '\r') --length;

  highlighter_.SetRange(range);
  highlighter_.SetLine(std::string_view(text, static_cast<size_t>(length)), static_cast<int>(line));
  long done = 0;
  while (!highlighter_.GetEol()) {
    // Never past the line, whatever the token claims.
    const long tokenEnd = std::min<long>(highlighter_.GetTokenPos() + highlighter_.GetTokenLength(), length);
    const char style = static_cast<char>(StyleOf(highlighter_.GetTokenKind()));
    for (; done < tokenEnd; ++done) styles[done] = style;
    highlighter_.Next();
  }
  // The line break, and whatever follows a NUL byte, is text.
  for (; done < total; ++done) styles[done] = kTextStyle;
  ++linesScanned_;
  return highlighter_.GetRange();
}

}  // namespace kw
