#include "highlight/editor_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QEvent>
#include <algorithm>
#include <cstring>

namespace kw {

namespace {

using Sci = QsciScintillaBase;

// The rest of the text is styled once the user has left it alone this long,
// in slices short enough not to hold up a key noticeably.
constexpr int kIdleDelayMs = 500;
constexpr auto kIdleSlice = std::chrono::milliseconds(3);
// Lines above the view beyond this many are only scanned for their ranges
// when the view jumps ahead.
constexpr long kStyledAheadLines = 1000;

constexpr size_t kBatchBytes = 32 * 1024;

constexpr char kTextStyle = static_cast<char>(EditorLexer::StyleOf(tkText));

QColor ColorOf(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

EditorLexer::EditorLexer(THTMLHighlighter& highlighter, const QFont& font, const QColor& text,
                         const QColor& paper, QObject* parent)
    : QsciLexerCustom(parent), highlighter_(highlighter), font_(font), text_(text), paper_(paper) {
  TakeWordChars();
  connect(&idle_, &QTimer::timeout, this, &EditorLexer::StyleIdleSlice);
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
  if (this->editor()) {
    disconnect(this->editor(), &QsciScintillaBase::SCN_MODIFIED, this, nullptr);
    this->editor()->viewport()->removeEventFilter(this);
  }
  idle_.stop();
  QsciLexerCustom::setEditor(editor);
  if (!editor) return;
  editor->viewport()->installEventFilter(this);
  connect(editor, &QsciScintillaBase::SCN_MODIFIED, this, [this](int position, int type, const char*, int length) {
    if (type & (Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE)) BeforeChange(position, type, length);
  });
  highlighter_.SetUtf8(Send(Sci::SCI_GETCODEPAGE) == Sci::SC_CP_UTF8);
  TakeWordChars();
  ForgetLines();
}

// Every style and line range was found in the other reading; the colourise
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
  changePending_ = true;
  // Typing holds the background styling off until the user pauses.
  idle_.start(kIdleDelayMs);
}

// Moves the ranges of the lines after the finished change by the lines it
// added or removed, and forgets those of the lines it touched.
void EditorLexer::TakeChange() {
  if (!changePending_) return;
  changePending_ = false;
  ranges_.Replace(change_.line, change_.lastLine, Send(Sci::SCI_GETLINECOUNT));
  // The line of the change's position may have moved up, joined across a
  // CR LF pair, or down, its CR LF split.
  const long first =
      std::min(change_.line, Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(change_.position)));
  const long last =
      Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(change_.position + change_.insertLength));
  ranges_.Forget(first, last);
}

void EditorLexer::ForgetLines() {
  changePending_ = false;
  ranges_.Reset(editor() ? Send(Sci::SCI_GETLINECOUNT) : 0);
}

// Scintilla asks from the line of the first unstyled byte to the line after
// the area it paints. Lines far above the view, as after a jump ahead, are
// only scanned for their ranges; their styles follow in the background, or
// before they are painted.
void EditorLexer::styleText(int start, int end) {
  if (!editor() || suspended_) return;
  TakeChange();
  if (end <= start) return;
  const long firstLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
  const long lastLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end - 1));
  // A paint asks up to the end of the view.
  const long shown =
      Send(Sci::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(Send(Sci::SCI_GETFIRSTVISIBLELINE)));
  const bool forView = editor()->isVisible() && lastLine <= shown + 2 * Send(Sci::SCI_LINESONSCREEN) + 2;
  const long styleFrom = forView && shown - firstLine > kStyledAheadLines ? shown : firstLine;
  const long after = StyleLines(firstLine, lastLine + 1, styleFrom, Clock::time_point::max());
  // A line below the area that was styled from another range than the one
  // it now starts in shows stale styles if it is on screen: paint the view
  // again, which asks for them.
  int range = after > 0 ? ranges_.EndRange(after - 1) : highlighter_.GetRange();
  if (after < ranges_.Count() && ranges_.Scanned(after) && ranges_.SkipCurrent(after, after + 1, range) == after)
    QMetaObject::invokeMethod(editor()->viewport(), qOverload<>(&QWidget::update), Qt::QueuedConnection);
  if (!idle_.isActive()) idle_.start(kIdleDelayMs);
}

// Lines scanned for their ranges only get their styles before they are painted.
bool EditorLexer::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Paint && editor() && watched == editor()->viewport() && !suspended_) {
    TakeChange();
    const long firstShown = Send(Sci::SCI_GETFIRSTVISIBLELINE);
    const long top = Send(Sci::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(firstShown));
    const long bottom =
        Send(Sci::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(firstShown + Send(Sci::SCI_LINESONSCREEN)));
    if (ranges_.Count() == Send(Sci::SCI_GETLINECOUNT)) StyleUnstyled(top, bottom + 1, Clock::time_point::max());
  }
  return false;
}

void EditorLexer::StyleIdleSlice() {
  if (!editor() || suspended_) {
    idle_.stop();
    return;
  }
  TakeChange();
  const Clock::time_point deadline = Clock::now() + kIdleSlice;
  const bool styledAll = StyleUnstyled(0, ranges_.Count(), deadline) == ranges_.Count();
  const long endStyled = Send(Sci::SCI_GETENDSTYLED);
  const long length = Send(Sci::SCI_GETLENGTH);
  if (styledAll && endStyled < length && Clock::now() < deadline) {
    const long firstLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(endStyled));
    StyleLines(firstLine, ranges_.Count(), firstLine, deadline);
  }
  if (styledAll && Send(Sci::SCI_GETENDSTYLED) >= length) idle_.stop();
  else idle_.setInterval(0);
}

void EditorLexer::BeginPass() {
  batched_ = 0;
  windowStart_ = -1;
  windowEnd_ = -1;
  length_ = Send(Sci::SCI_GETLENGTH);
}

// Styles of consecutive scanned lines go out in one call: each call costs as
// much as styling a few hundred bytes.
void EditorLexer::SendStyles() {
  if (batched_ == 0) return;
  Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(batchStart_));
  editor()->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(batched_), styles_.data());
  batched_ = 0;
}

// The start of the line after the one at `start`, found in the window of the
// text read in place, which then holds that whole line: one call into the
// editor per window instead of two per line. Breaks are CR, LF and CR LF.
long EditorLexer::NextLineStart(long line, long start) {
  if (start >= length_) return length_;
  for (bool moved = false;; moved = true) {
    if (start < windowStart_ || start > windowEnd_ || (moved && windowStart_ != start)) {
      windowStart_ = start;
      windowEnd_ = std::min(start + static_cast<long>(kBatchBytes), length_);
      window_ = reinterpret_cast<const char*>(
          Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(windowStart_), windowEnd_ - windowStart_));
    }
    const char* from = window_ + (start - windowStart_);
    const char* end = window_ + (windowEnd_ - windowStart_);
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<size_t>(end - from)));
    const char* limit = lf ? lf : end;
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<size_t>(limit - from)));
    const bool lastWindow = windowEnd_ == length_;
    if (cr && (cr + 1 < end || lastWindow))
      return windowStart_ + (cr - window_) + (cr + 1 < end && cr[1] == '\n' ? 2 : 1);
    if (lf) return windowStart_ + (lf - window_) + 1;
    if (lastWindow) return length_;
    if (moved) break;
  }
  // A line longer than a window.
  const long next = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1));
  windowStart_ = start;
  windowEnd_ = next;
  window_ = reinterpret_cast<const char*>(
      Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(windowStart_), windowEnd_ - windowStart_));
  return next;
}

// Scans the line at [start, next), which the window holds, from `range`, its
// styles added to the batch unless `styled` is false; gives its end range.
int EditorLexer::ScanInto(long line, long start, long next, int range, bool styled) {
  const char* text = window_ + (start - windowStart_);
  if (!styled) return ScanLine(line, text, next - start, range, nullptr);
  if (batched_ > 0 && batchStart_ + static_cast<long>(batched_) != start) SendStyles();
  if (batched_ == 0) batchStart_ = start;
  if (styles_.size() < batched_ + static_cast<size_t>(next - start))
    styles_.resize(batched_ + static_cast<size_t>(next - start));
  range = ScanLine(line, text, next - start, range, styles_.data() + batched_);
  batched_ += static_cast<size_t>(next - start);
  return range;
}

// A line is scanned unless it was scanned before and starts in the same
// range as then; lines found current keep their styles.
long EditorLexer::StyleLines(long firstLine, long endLine, long styleFrom, Clock::time_point deadline) {
  const long lines = Send(Sci::SCI_GETLINECOUNT);
  if (ranges_.Count() != lines) ranges_.Reset(lines);
  endLine = std::min(endLine, lines);
  // Each line starts from the range the line before ended in.
  while (firstLine > 0 && !ranges_.Scanned(firstLine - 1)) --firstLine;
  highlighter_.ResetRange();
  int range = firstLine == 0 ? highlighter_.GetRange() : ranges_.EndRange(firstLine - 1);
  BeginPass();
  long line = firstLine;
  long lineStart = -1;  // of `line`, once needed
  while (line < endLine) {
    const long stale = ranges_.SkipCurrent(line, endLine, range);
    if (stale != line) {
      line = stale;
      lineStart = -1;
      continue;
    }
    if (lineStart < 0) lineStart = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long next = NextLineStart(line, lineStart);
    const int startRange = range;
    range = ScanInto(line, lineStart, next, range, line >= styleFrom);
    if (line >= styleFrom) ranges_.Set(line, startRange, range);
    else ranges_.SetUnstyled(line, startRange, range);
    lineStart = next;
    ++line;
    if (batched_ >= kBatchBytes) {
      SendStyles();
      if (Clock::now() >= deadline) break;
    }
  }
  SendStyles();
  // Lines found current, or scanned for their ranges, count as styled.
  if (lineStart < 0) lineStart = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  if (Send(Sci::SCI_GETENDSTYLED) < lineStart) Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(lineStart));
  return line;
}

// Writes the styles of the lines in [firstLine, endLine) scanned for their
// ranges only, from the ranges found then, or fewer once `deadline` has
// passed; gives the first line left waiting, or endLine.
long EditorLexer::StyleUnstyled(long firstLine, long endLine, Clock::time_point deadline) {
  endLine = std::min(endLine, ranges_.Count());
  long line = ranges_.NextUnstyled(firstLine, endLine);
  if (line >= endLine) return endLine;
  // Writing styles moves Scintilla's mark of the styled text; it goes back
  // to where it was.
  const long endStyled = Send(Sci::SCI_GETENDSTYLED);
  BeginPass();
  while (line < endLine) {
    const long start = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long next = NextLineStart(line, start);
    const int startRange = ranges_.StartRange(line);
    ranges_.Set(line, startRange, ScanInto(line, start, next, startRange, true));
    line = ranges_.NextUnstyled(line + 1, endLine);
    if (batched_ >= kBatchBytes) {
      SendStyles();
      if (Clock::now() >= deadline) break;
    }
  }
  SendStyles();
  if (Send(Sci::SCI_GETENDSTYLED) < endStyled) Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(endStyled));
  return line;
}

int EditorLexer::ScanLine(long line, const char* text, long total, int range, char* styles) {
  if (total == 0) text = "";
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
    if (styles)
      for (; done < tokenEnd; ++done) styles[done] = style;
    highlighter_.Next();
  }
  // The line break, and whatever follows a NUL byte, is text.
  if (styles)
    for (; done < total; ++done) styles[done] = kTextStyle;
  ++linesScanned_;
  return highlighter_.GetRange();
}

}  // namespace kw
