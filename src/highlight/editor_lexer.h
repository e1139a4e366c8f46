// Paints the source editor with the HTML highlighter: one style per token
// kind, lines lexed as the editor shows them and the rest while the user is
// idle, each line's ranges kept beside the text.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <QColor>
#include <QFont>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "highlight/html_highlighter.h"
#include "highlight/line_ranges.h"

namespace kw {

class EditorLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  // What the highlighter leaves to the editor (a colour of none, the font)
  // is taken from `font`, `text` and `paper`.
  EditorLexer(THTMLHighlighter& highlighter, const QFont& font, const QColor& text, const QColor& paper,
              QObject* parent = nullptr);

  // The editor style of a token kind; 0 stays the editor's own plain style.
  static constexpr int StyleOf(int tokenKind) { return tokenKind + 1; }

  const char* language() const override;
  QString description(int style) const override;
  QColor defaultColor(int style) const override;
  QColor defaultPaper(int style) const override;
  QFont defaultFont(int style) const override;
  const char* wordCharacters() const override;

  void setEditor(QsciScintilla* editor) override;
  void styleText(int start, int end) override;

  // Ignores style requests while set: attaching to an editor asks for the
  // whole document, which must stay unstyled until it is shown.
  void SetSuspended(bool suspended) { suspended_ = suspended; }

  // Reads the text as UTF-8 or as ISO-8859-1 (see THTMLHighlighter::SetUtf8):
  // switches the highlighter, gives the editor the word characters of that
  // reading and styles again, as it is shown, what was styled in the other.
  // Attaching to an editor takes the reading of its code page.
  void SetUtf8(bool utf8);
  // The highlighter's word bytes in the current reading.
  const IdentCharTable& IdentChars() const { return highlighter_.GetIdentChars(); }

  // Lines run through the highlighter so far; the rest were found unchanged.
  long LinesScanned() const { return linesScanned_; }

 private:
  using Clock = std::chrono::steady_clock;
  long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const;
  void TakeWordChars();
  const THighlighterAttributes* AttributeOfStyle(int style) const;
  void BeforeChange(long position, int type, long length);
  void TakeChange();
  void ForgetLines();
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Styles lines [firstLine, endLine), skipping those still current and
  // scanning those before styleFrom for their ranges only, or fewer once
  // `deadline` has passed; gives the first line left unstyled.
  long StyleLines(long firstLine, long endLine, long styleFrom, Clock::time_point deadline);
  long StyleUnstyled(long firstLine, long endLine, Clock::time_point deadline);
  void StyleIdleSlice();
  void BeginPass();
  long NextLineStart(long line, long start);
  int ScanInto(long line, long start, long next, int range, bool styled);
  void SendStyles();
  // Writes the styles of one line of `total` bytes with its break, scanned
  // from `range`, to `styles` unless null; returns its end range.
  int ScanLine(long line, const char* text, long total, int range, char* styles);

  THTMLHighlighter& highlighter_;
  QFont font_;
  QColor text_;
  QColor paper_;
  std::string wordChars_;
  std::vector<char> styles_;
  bool suspended_ = false;
  long linesScanned_ = 0;

  LineRanges ranges_;
  QTimer idle_;

  // The pass under way: the text window it reads in place and the styles it
  // has not handed to the editor yet, for the bytes from batchStart_.
  long length_ = 0;
  const char* window_ = nullptr;
  long windowStart_ = 0;
  long windowEnd_ = 0;
  long batchStart_ = 0;
  size_t batched_ = 0;

  // The change reported before it happened, taken into account once done.
  struct Change {
    long position = 0;
    long insertLength = 0;  // 0 for a deletion
    long line = 0;
    long lastLine = 0;  // of the deleted bytes
  };
  bool changePending_ = false;
  Change change_;
};

}  // namespace kw
