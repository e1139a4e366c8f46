// The source editor control: 8-bit text shown as ISO-8859-1, loaded and saved
// byte for byte in the document text format.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_pos.h"
#include "document/text_encoding.h"
#include "document/text_format.h"
#include "highlight/ident_chars.h"

namespace kw {

class EditorLexer;
class THTMLHighlighter;

class SourceEditor : public QsciScintilla {
  Q_OBJECT

 public:
  explicit SourceEditor(QWidget* parent = nullptr);

  // Loading and saving in the document text format. Loading replaces the text
  // without an undo step, records the file's break style and clears the
  // modified flag; when it fails the editor is left empty and the error
  // (EKempwellError) goes on. Saving writes the text with the recorded breaks.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path);
  // Replaces the whole text with the file's bytes as one undo step and takes
  // its break style, also while the editor is read-only. False, with no undo
  // step, when the file holds the text there already; when it cannot be read
  // the text stays as it was.
  bool ReplaceFromFile(const std::string& path);
  // The break style of the last load; CR LF before any load.
  BreakStyle Breaks() const { return breaks_; }
  // How the bytes are shown, typed and searched: found by the document
  // encoding rule at each load, UTF-8 for a new document; changing it keeps
  // the bytes and the modified flag.
  TextEncoding Encoding() const { return encoding_; }
  void SetEncoding(TextEncoding encoding);

  // Empties the editor; the undo history goes with the text, and what is
  // typed next is UTF-8.
  void Clear();

  // The whole text in place, valid until the next change.
  std::string_view Text();
  // Line i (from 0) in place, without its break, valid until the next change.
  std::string_view LineText(int line);
  // 0 for an empty text, else the number of lines (a final break adds an empty one).
  int LineCount() const;
  // Offset in Text() of line i's (from 0) first byte.
  long LineStart(int line) const;

  // Set by every change of the text and by SetModified(true); cleared by
  // SetModified(false) and when undo or redo returns to the text of that moment.
  bool Modified() const;
  void SetModified(bool modified);

  bool CanUndo() const;
  bool CanPaste() const;
  bool SelAvail() const;

  TextPos CaretPos() const;
  // Clamped to the text: line 1 at least, the last line at most; column 1 at least, the line's end at most.
  void SetCaretPos(TextPos pos);
  // The caret on line `line` before character `column` (both from 1) as the
  // editor shows characters; the line's end when it is shorter.
  void SetCaretToCharacter(int line, int column);
  TextPos SelStart() const;
  TextPos SelEnd() const;
  // Selects from anchor to caret, each clamped as by SetCaretPos, and scrolls
  // both into view, the caret first.
  void Select(TextPos anchor, TextPos caret);
  int TopLine() const;
  // The editor clamps it: never above line 1 or past its last possible top line.
  void SetTopLine(int line);

  // The background of the caret's line; invalid (none painted) until first set.
  QColor ActiveLineColor() const { return activeLineColor_; }
  void SetActiveLineColor(const QColor& color);
  // A message's place: its line near the top with a few lines above, the
  // caret before character `column` (from 1; 1 when none), the line yellow.
  void ShowMessageAt(int line, int column);

  bool WordWrap() const;
  void SetWordWrap(bool on);

  // Paints the text with the highlighter, or as plain text for none, and
  // takes its word characters. Styling follows what is shown: nothing is
  // styled until it is painted. The highlighter must outlive its use here.
  void SetHighlighter(THTMLHighlighter* highlighter);

  // Marks in the margin beside a line (from 1) by kind: error, warning or
  // information. They move with the text; AddMessageMark gives the handle
  // that MessageMarkLine follows (0 once the mark's line is gone).
  // The higher kind is drawn over the others on one line.
  enum class MarkKind { Information = 0, Warning = 1, Error = 2 };
  int AddMessageMark(int line, MarkKind kind);
  int MessageMarkLine(int handle) const;
  // The kinds marked on a line, as a bit set (1 << MarkKind).
  int MessageMarksOn(int line) const;
  void ClearMessageMarks();
  // The text for a mark's tooltip; the line is counted from 1.
  std::function<QString(SourceEditor&, int line)> OnMarkToolTip;

  // The bytes that make up words, as the attached highlighter defines them.
  void SetIdentChars(const IdentCharTable& identChars) { identChars_ = identChars; }
  // The word around the caret (see WordAt).
  std::string WordAtCaret();

  // Events, each with the editor as sender; unset events are skipped.
  // Key-down comes for every key that reaches the editor, before it acts on it.
  std::function<void(SourceEditor&, int key, Qt::KeyboardModifiers)> OnKeyDown;
  std::function<void(SourceEditor&, int key, Qt::KeyboardModifiers)> OnKeyUp;
  // One call for each typed character, before it is inserted.
  std::function<void(SourceEditor&, char ch)> OnKeyPress;
  std::function<void(SourceEditor&)> OnClick;
  std::function<void(SourceEditor&, const std::vector<std::string>& files)> OnDropFiles;
  std::function<void(SourceEditor&, const QPoint& globalPos)> OnContextMenu;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool viewportEvent(QEvent* e) override;
  // Pasted and dropped text, in the document's encoding.
  QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;

 private:
  // Empties the text and appends the file's bytes in pieces, the buffer grown
  // once beforehand (with room for later edits when asked); replaced is set
  // once the old text is gone. Gives the file's break style.
  BreakStyle ReplaceWithFile(const std::string& path, bool roomToGrow, bool& replaced);
  long Position(TextPos pos) const;
  TextPos PosAt(long position) const;
  long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const;
  bool IsCommandKey(const QKeyEvent* e) const;
  bool IsTypedText(const QKeyEvent* e) const;
  bool HandleSmartKey(const QKeyEvent* e);
  bool InsertWithReferences(const QString& text);
  // The attached highlighter's word bytes, or plain text's in this encoding.
  const IdentCharTable& WordBytes() const;
  void UpdateLineNumberWidth();
  void ApplyFonts();
  void UseLightColors();
  void ShowScrollHint(int value);

  BreakStyle breaks_ = BreakStyle::CRLF;
  TextEncoding encoding_ = TextEncoding::Utf8;
  bool forcedModified_ = false;
  QColor activeLineColor_;
  IdentCharTable identChars_ = kHtmlIdentChars;
  EditorLexer* lexer_ = nullptr;  // a child of the editor
  int numberWidthDigits_ = 0;
};

}  // namespace kw
