#include "controls/source_editor.h"

#include <Qsci/qscicommandset.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMimeData>
#include <QScrollBar>
#include <QHelpEvent>
#include <QToolTip>
#include <QUrl>

#include "common/local_file_url.h"
#include "controls/editor_accessible.h"
#include "controls/smart_keys.h"
#include "controls/word_at.h"
#include "document/typed_text.h"
#include "document/file_io.h"
#include "highlight/editor_lexer.h"

namespace kw {

namespace {

// Room left after a loaded text so that the first edits of a large document
// do not have to copy the whole buffer.
unsigned long LoadSlack(uint64_t size) { return static_cast<unsigned long>(size / 16 + 65536); }

constexpr size_t kLoadPiece = 1 << 20;
constexpr unsigned long kMinimumSlack = 65536;
// The margin beside the line numbers that shows the marks, and its markers.
constexpr unsigned long kMarkMargin = 1;
constexpr int kMarkMask = 0b111;
constexpr int kMarkWidth = 12;

int ScintillaEolMode(BreakStyle style) {
  switch (style) {
    case BreakStyle::CR: return QsciScintillaBase::SC_EOL_CR;
    case BreakStyle::LF: return QsciScintillaBase::SC_EOL_LF;
    case BreakStyle::CRLF: break;
  }
  return QsciScintillaBase::SC_EOL_CRLF;
}

std::vector<std::string> LocalFiles(const QMimeData* mime) {
  std::vector<std::string> files;
  if (!mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) files.push_back(LocalFilePath(url));
  return files;
}

}  // namespace

SourceEditor::SourceEditor(QWidget* parent) : QsciScintilla(parent) {
  InstallEditorAccessibility();
  setUtf8(true);

  // Insert and delete notifications make the toolkit convert and count the
  // text from the start of the document on every keystroke; nothing here
  // needs them (the modified flag comes from the save-point notifications).
  Send(SCI_SETMODEVENTMASK, 0);

  ApplyFonts();
  UseLightColors();
  setMarginLineNumbers(0, true);
  setMarginWidth(kMarkMargin, 0);
  Send(SCI_SETMARGINMASKN, kMarkMargin, kMarkMask);
  // Blue, orange and red dots, as 0xBBGGRR.
  const long colors[] = {0xCC6600, 0x00A5FF, 0x0000D0};
  for (unsigned long kind = 0; kind < 3; ++kind) {
    Send(SCI_MARKERDEFINE, kind, SC_MARK_CIRCLE);
    Send(SCI_MARKERSETFORE, kind, colors[kind]);
    Send(SCI_MARKERSETBACK, kind, colors[kind]);
  }
  UpdateLineNumberWidth();

  setTabWidth(kTabWidth);
  setIndentationsUseTabs(false);
  setAutoIndent(false);
  setCaretLineVisible(false);
  setEolMode(EolWindows);
  Send(SCI_SETSCROLLWIDTH, 1);
  Send(SCI_SETSCROLLWIDTHTRACKING, 1);
  setWrapMode(WrapNone);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setAcceptDrops(true);

  connect(this, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, [this] { forcedModified_ = false; });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { UpdateLineNumberWidth(); });
  connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, &SourceEditor::ShowScrollHint);
}

// The editor's styles take point sizes; these are 13 and 11 logical pixels.
void SourceEditor::ApplyFonts() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(13 * 72.0 / 96.0);
  setFont(font);
  QFont gutterFont = font;
  gutterFont.setPointSizeF(11 * 72.0 / 96.0);
  setMarginsFont(gutterFont);
}

// The highlighter's colours are fixed and chosen for a light page, and the
// caret line is painted white or yellow: the editor keeps light colours of
// its own whatever the desktop's theme, so that no text is ever light on light.
void SourceEditor::UseLightColors() {
  setColor(Qt::black);
  setPaper(Qt::white);
  setCaretForegroundColor(Qt::black);
  setMarginsForegroundColor(QColor(80, 80, 80));
  setMarginsBackgroundColor(QColor(240, 240, 240));
  setSelectionForegroundColor(Qt::white);
  setSelectionBackgroundColor(QColor(48, 140, 198));
}

void SourceEditor::SetHighlighter(THTMLHighlighter* highlighter) {
  // Taking a lexer off resets every style, the gutter's too.
  const long gutterFore = Send(SCI_STYLEGETFORE, STYLE_LINENUMBER);
  const long gutterBack = Send(SCI_STYLEGETBACK, STYLE_LINENUMBER);
  EditorLexer* old = lexer_;
  lexer_ = highlighter ? new EditorLexer(*highlighter, font(), color(), paper(), this) : nullptr;
  if (lexer_) lexer_->SetSuspended(true);
  setLexer(lexer_);
  delete old;
  if (old) ApplyFonts();
  Send(SCI_STYLESETFORE, STYLE_LINENUMBER, gutterFore);
  Send(SCI_STYLESETBACK, STYLE_LINENUMBER, gutterBack);
  if (lexer_) lexer_->SetSuspended(false);

  SetIdentChars(WordBytes());
  SendScintilla(SCI_SETWORDCHARS, 0UL, lexer_ ? lexer_->wordCharacters() : nullptr);
  // The lexer learns of each change from the notice sent before it; the
  // notices sent after one make the toolkit count characters from the start
  // of the document.
  Send(SCI_SETMODEVENTMASK, lexer_ ? SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE : 0);
}

long SourceEditor::Send(unsigned int msg, unsigned long wParam, long lParam) const {
  return SendScintilla(msg, wParam, lParam);
}

BreakStyle SourceEditor::ReplaceWithFile(const std::string& path, bool roomToGrow, bool& replaced) {
  BreakStyleDetector detector;
  ReadFilePieces(
      path, kLoadPiece,
      [this, roomToGrow, &replaced](uint64_t size) {
        Send(SCI_CLEARALL);
        replaced = true;
        Send(SCI_ALLOCATE, static_cast<unsigned long>(size) + (roomToGrow ? LoadSlack(size) : kMinimumSlack));
      },
      [this, &detector](std::string_view piece) {
        detector.Feed(piece);
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.data());
      });
  return detector.Result();
}

void SourceEditor::LoadFromFile(const std::string& path) {
  Send(SCI_SETUNDOCOLLECTION, 0);
  bool replaced = false;
  try {
    // The encoding is set while the editor is empty: set afterwards, it
    // would cost a pass of the editor's over the whole text.
    EncodingDetector encoding;
    ReadFilePieces(path, kLoadPiece, nullptr, [&encoding](std::string_view piece) { encoding.Feed(piece); });
    Send(SCI_CLEARALL);
    SetEncoding(encoding.Result());
    breaks_ = ReplaceWithFile(path, true, replaced);
  } catch (...) {
    Send(SCI_CLEARALL);
    Send(SCI_EMPTYUNDOBUFFER);
    Send(SCI_SETUNDOCOLLECTION, 1);
    throw;
  }
  Send(SCI_SETEOLMODE, ScintillaEolMode(breaks_));
  Send(SCI_EMPTYUNDOBUFFER);
  Send(SCI_SETUNDOCOLLECTION, 1);
  Send(SCI_GOTOPOS, 0);
  SetModified(false);
  UpdateLineNumberWidth();
}

bool SourceEditor::ReplaceFromFile(const std::string& path) {
  // Compared and taken in pieces: a second copy of a large document, on top
  // of the two that the undo step keeps, is what a run could least afford.
  const std::string_view old = Text();
  bool same = true;
  size_t at = 0;
  ReadFilePieces(
      path, kLoadPiece, [&](uint64_t size) { same = size == old.size(); },
      [&](std::string_view piece) {
        same = same && old.substr(at, piece.size()) == piece;
        at += piece.size();
      });
  if (same && at == old.size()) return false;

  // A replacement the program makes goes through even while the user may not type.
  const bool readOnly = isReadOnly();
  setReadOnly(false);
  bool replaced = false;
  Send(SCI_BEGINUNDOACTION);
  try {
    // No room to grow: the undo step already holds two copies of the text.
    breaks_ = ReplaceWithFile(path, false, replaced);
  } catch (...) {
    Send(SCI_ENDUNDOACTION);
    if (replaced) Send(SCI_UNDO);  // the text before, whole
    setReadOnly(readOnly);
    throw;
  }
  Send(SCI_ENDUNDOACTION);
  setReadOnly(readOnly);
  Send(SCI_SETEOLMODE, ScintillaEolMode(breaks_));
  Send(SCI_GOTOPOS, 0);
  UpdateLineNumberWidth();
  return true;
}

void SourceEditor::SetEncoding(TextEncoding encoding) {
  encoding_ = encoding;
  const bool utf8 = encoding == TextEncoding::Utf8;
  setUtf8(utf8);
  if (lexer_) lexer_->SetUtf8(utf8);
  SetIdentChars(WordBytes());
}

const IdentCharTable& SourceEditor::WordBytes() const {
  if (lexer_) return lexer_->IdentChars();
  return encoding_ == TextEncoding::Utf8 ? kUtf8IdentChars : kHtmlIdentChars;
}

int SourceEditor::AddMessageMark(int line, MarkKind kind) {
  if (marginWidth(kMarkMargin) == 0) setMarginWidth(kMarkMargin, kMarkWidth);
  const long lines = Send(SCI_GETLINECOUNT);
  return static_cast<int>(Send(SCI_MARKERADD, static_cast<unsigned long>(std::clamp<long>(line, 1, lines) - 1),
                               static_cast<long>(kind)));
}

int SourceEditor::MessageMarkLine(int handle) const {
  return static_cast<int>(Send(SCI_MARKERLINEFROMHANDLE, static_cast<unsigned long>(handle))) + 1;
}

int SourceEditor::MessageMarksOn(int line) const {
  return static_cast<int>(Send(SCI_MARKERGET, static_cast<unsigned long>(line - 1))) & kMarkMask;
}

void SourceEditor::ClearMessageMarks() {
  for (unsigned long kind = 0; kind < 3; ++kind) Send(SCI_MARKERDELETEALL, kind);
  setMarginWidth(kMarkMargin, 0);
}

bool SourceEditor::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip && OnMarkToolTip) {
    const QPoint at = static_cast<QHelpEvent*>(e)->pos();
    const long margins = Send(SCI_GETMARGINWIDTHN, 0) + Send(SCI_GETMARGINWIDTHN, kMarkMargin);
    if (at.x() < margins) {
      const long position = Send(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(margins), at.y());
      const int line = static_cast<int>(Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position))) + 1;
      const QString text = MessageMarksOn(line) ? OnMarkToolTip(*this, line) : QString();
      if (text.isEmpty()) QToolTip::hideText();
      else QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text, viewport());
      return true;
    }
  }
  return QsciScintilla::viewportEvent(e);
}

void SourceEditor::SaveToFile(const std::string& path) { SaveTextFile(path, Text(), breaks_); }

void SourceEditor::Clear() {
  Send(SCI_SETUNDOCOLLECTION, 0);
  Send(SCI_CLEARALL);
  Send(SCI_EMPTYUNDOBUFFER);
  Send(SCI_SETUNDOCOLLECTION, 1);
  SetEncoding(TextEncoding::Utf8);  // what a new document is written in
  UpdateLineNumberWidth();
}

std::string_view SourceEditor::Text() {
  const long length = Send(SCI_GETLENGTH);
  if (length == 0) return {};
  return {static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER)),
          static_cast<size_t>(length)};
}

std::string_view SourceEditor::LineText(int line) {
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end = Send(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  if (start < 0 || end <= start) return {};
  const auto* p = reinterpret_cast<const char*>(
      Send(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
  return {p, static_cast<size_t>(end - start)};
}

int SourceEditor::LineCount() const {
  return Send(SCI_GETLENGTH) == 0 ? 0 : static_cast<int>(Send(SCI_GETLINECOUNT));
}

long SourceEditor::LineStart(int line) const { return Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)); }

bool SourceEditor::Modified() const { return forcedModified_ || Send(SCI_GETMODIFY) != 0; }

void SourceEditor::SetModified(bool modified) {
  forcedModified_ = modified;
  if (!modified) Send(SCI_SETSAVEPOINT);
}

bool SourceEditor::CanUndo() const { return Send(SCI_CANUNDO) != 0; }

bool SourceEditor::CanPaste() const {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  return mime && mime->hasText();
}

bool SourceEditor::SelAvail() const { return Send(SCI_GETSELECTIONSTART) != Send(SCI_GETSELECTIONEND); }

TextPos SourceEditor::PosAt(long position) const {
  const long line = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  return {static_cast<int>(line) + 1, static_cast<int>(position - start) + 1};
}

long SourceEditor::Position(TextPos pos) const {
  const long lines = Send(SCI_GETLINECOUNT);
  const long line = std::clamp<long>(pos.line, 1, lines) - 1;
  const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end = Send(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  return std::clamp<long>(start + pos.column - 1, start, end);
}

TextPos SourceEditor::CaretPos() const { return PosAt(Send(SCI_GETCURRENTPOS)); }

void SourceEditor::SetCaretPos(TextPos pos) { Send(SCI_GOTOPOS, static_cast<unsigned long>(Position(pos))); }

void SourceEditor::SetCaretToCharacter(int line, int column) {
  const long start = Position({line, 1});
  const long end = Send(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(Send(SCI_LINEFROMPOSITION, start)));
  // Counted by the editor, which knows what a character is in this encoding;
  // it answers 0 for a count that runs past the text.
  const long at = column <= 1 ? start : Send(SCI_POSITIONRELATIVE, static_cast<unsigned long>(start), column - 1);
  Send(SCI_GOTOPOS, static_cast<unsigned long>(at == 0 || at > end ? (column <= 1 ? start : end) : at));
}

TextPos SourceEditor::SelStart() const { return PosAt(Send(SCI_GETSELECTIONSTART)); }

TextPos SourceEditor::SelEnd() const { return PosAt(Send(SCI_GETSELECTIONEND)); }

void SourceEditor::Select(TextPos anchor, TextPos caret) {
  const long a = Position(anchor);
  const long c = Position(caret);
  Send(SCI_SETSEL, static_cast<unsigned long>(a), c);
  Send(SCI_SCROLLRANGE, static_cast<unsigned long>(a), c);
}

int SourceEditor::TopLine() const {
  return static_cast<int>(Send(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(Send(SCI_GETFIRSTVISIBLELINE)))) + 1;
}

void SourceEditor::SetTopLine(int line) {
  const long visible = Send(SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(std::max(line, 1) - 1));
  Send(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(visible));
}

void SourceEditor::SetActiveLineColor(const QColor& color) {
  activeLineColor_ = color;
  setCaretLineBackgroundColor(color);
  setCaretLineVisible(color.isValid());
}

void SourceEditor::ShowMessageAt(int line, int column) {
  SetTopLine(line - 5);
  SetCaretToCharacter(line, std::max(column, 1));
  SetActiveLineColor(QColor(255, 255, 0));
}

bool SourceEditor::WordWrap() const { return wrapMode() != WrapNone; }

void SourceEditor::SetWordWrap(bool on) {
  setUpdatesEnabled(false);
  setWrapMode(on ? WrapWord : WrapNone);
  setUpdatesEnabled(true);
}

std::string SourceEditor::WordAtCaret() {
  const TextPos caret = CaretPos();
  return std::string(WordAt(LineText(caret.line - 1), static_cast<size_t>(caret.column - 1), identChars_));
}

void SourceEditor::UpdateLineNumberWidth() {
  int digits = 1;
  for (long lines = Send(SCI_GETLINECOUNT); lines >= 10; lines /= 10) ++digits;
  digits = std::max(digits, 2);
  if (digits == numberWidthDigits_) return;
  numberWidthDigits_ = digits;
  setMarginWidth(0, QString(digits + 1, QLatin1Char('9')));
}

void SourceEditor::ShowScrollHint(int value) {
  const long line = Send(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(value)) + 1;
  QToolTip::showText(QCursor::pos(), tr("Line: %1").arg(line), this);
}

bool SourceEditor::IsCommandKey(const QKeyEvent* e) const {
  const int combination = e->key() | (e->modifiers() & ~Qt::KeypadModifier).toInt();
  return standardCommands()->boundTo(combination) != nullptr;
}

bool SourceEditor::IsTypedText(const QKeyEvent* e) const {
  const QString text = e->text();
  return !text.isEmpty() && text[0].isPrint() && !IsCommandKey(e) &&
         !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

// Smart tabs, smart tab deletion and the trimming of the blanks that Enter
// would leave at the end of a line. Each is one undo step.
bool SourceEditor::HandleSmartKey(const QKeyEvent* e) {
  if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || SelAvail() || isReadOnly()) return false;
  const int key = e->key();
  if (key != Qt::Key_Tab && key != Qt::Key_Backspace && key != Qt::Key_Return && key != Qt::Key_Enter)
    return false;
  const long caret = Send(SCI_GETCURRENTPOS);
  const int line = static_cast<int>(Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret)));
  const long lineStart = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const std::string before(LineText(line).substr(0, static_cast<size_t>(caret - lineStart)));
  auto lineAt = [this](int i) { return LineText(i); };

  Send(SCI_BEGINUNDOACTION);
  bool handled = true;
  if (key == Qt::Key_Tab) {
    const int column = DisplayColumn(before, before.size());
    const int target = SmartTabColumn(lineAt, line, column);
    const std::string blanks(static_cast<size_t>(target - column), ' ');
    SendScintilla(SCI_REPLACESEL, 0UL, blanks.c_str());
  } else if (key == Qt::Key_Backspace) {
    const std::optional<int> target = SmartBackspaceColumn(lineAt, line, before);
    const int column = DisplayColumn(before, before.size());
    if (target && *target < column - 1) {
      size_t keep = IndexAtColumn(before, *target);
      // A tab that reaches past the target goes too; blanks make up the rest.
      if (keep > 0 && DisplayColumn(before, keep) > *target) --keep;
      const std::string pad(static_cast<size_t>(*target - DisplayColumn(before, keep)), ' ');
      Send(SCI_SETSEL, static_cast<unsigned long>(lineStart + static_cast<long>(keep)), caret);
      SendScintilla(SCI_REPLACESEL, 0UL, pad.c_str());
    } else {
      handled = false;
    }
  } else {
    const size_t trimFrom = TrailingBlanksStart(before);
    if (trimFrom < before.size()) {
      Send(SCI_SETSEL, static_cast<unsigned long>(lineStart + static_cast<long>(trimFrom)), caret);
      SendScintilla(SCI_REPLACESEL, 0UL, "");
    }
    Send(SCI_NEWLINE);
  }
  Send(SCI_ENDUNDOACTION);
  return handled;
}

void SourceEditor::keyPressEvent(QKeyEvent* e) {
  if (OnKeyDown) OnKeyDown(*this, e->key(), e->modifiers());
  if (HandleSmartKey(e)) {
    e->accept();
    return;
  }
  if (IsTypedText(e)) {
    if (OnKeyPress)
      for (char ch : e->text().toLatin1()) OnKeyPress(*this, ch);
    if (InsertWithReferences(e->text())) {
      e->accept();
      return;
    }
  } else if ((e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) && !IsCommandKey(e)) {
    // A control combination that nothing is bound to types nothing.
    e->ignore();
    return;
  }
  QsciScintilla::keyPressEvent(e);
}

void SourceEditor::keyReleaseEvent(QKeyEvent* e) {
  if (OnKeyUp) OnKeyUp(*this, e->key(), e->modifiers());
  QsciScintilla::keyReleaseEvent(e);
}

void SourceEditor::inputMethodEvent(QInputMethodEvent* e) {
  if (OnKeyPress)
    for (char ch : e->commitString().toLatin1()) OnKeyPress(*this, ch);
  if (e->preeditString().isEmpty() && InsertWithReferences(e->commitString())) {
    e->accept();
    return;
  }
  QsciScintilla::inputMethodEvent(e);
}

// The toolkit would put '?' for a character that ISO-8859-1 has not; it goes
// in as a character reference instead. False when there is no such character.
bool SourceEditor::InsertWithReferences(const QString& text) {
  if (encoding_ != TextEncoding::Latin1 || isReadOnly() || !NeedsCharacterReferences(text)) return false;
  const std::string bytes = EncodeForDocument(text, encoding_);
  SendScintilla(SCI_REPLACESEL, 0UL, bytes.c_str());
  return true;
}

QByteArray SourceEditor::fromMimeData(const QMimeData* source, bool& rectangular) const {
  const QByteArray bytes = QsciScintilla::fromMimeData(source, rectangular);
  if (encoding_ != TextEncoding::Latin1 || !source->hasText() || !NeedsCharacterReferences(source->text()))
    return bytes;
  return QByteArray::fromStdString(EncodeForDocument(source->text(), encoding_));
}

void SourceEditor::mouseReleaseEvent(QMouseEvent* e) {
  QsciScintilla::mouseReleaseEvent(e);
  if (OnClick) OnClick(*this);
}

void SourceEditor::contextMenuEvent(QContextMenuEvent* e) {
  if (OnContextMenu) OnContextMenu(*this, e->globalPos());
}

void SourceEditor::dragEnterEvent(QDragEnterEvent* e) {
  if (!LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
  else QsciScintilla::dragEnterEvent(e);
}

void SourceEditor::dragMoveEvent(QDragMoveEvent* e) {
  if (!LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
  else QsciScintilla::dragMoveEvent(e);
}

void SourceEditor::dropEvent(QDropEvent* e) {
  const std::vector<std::string> files = LocalFiles(e->mimeData());
  if (files.empty()) {
    QsciScintilla::dropEvent(e);
    return;
  }
  e->acceptProposedAction();
  if (OnDropFiles) OnDropFiles(*this, files);
}

}  // namespace kw
