// What one Run tidy changed, as the window keeps it for the Changes view:
// the text before the run and the cleaned text (the document's bytes), their
// encoding and break styles, and the first run's messages about the text
// before.
#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

#include "document/text_encoding.h"
#include "document/text_format.h"
#include "tidy/diag_rows.h"

namespace kw {

class TidyChanges {
 public:
  // The text before, compressed: it is read back only when the Changes
  // window opens, and a whole second copy of a large document during the
  // run is what the run can least afford.
  static QByteArray Pack(std::string_view text);

  // beforeBreaks is empty for a text without a line break.
  TidyChanges(QByteArray packedBefore, std::optional<BreakStyle> beforeBreaks, BreakStyle afterBreaks,
              TextEncoding encoding, DiagRows firstRunRows);

  QByteArray Before() const;
  // The cleaned text. Right after the run it is the editor's text, which is
  // not copied (a large document would cost its size again) until the editor
  // is about to change it: KeepCleanedText takes that copy, once.
  std::string_view After(std::string_view editorText) const { return kept_ ? std::string_view(after_) : editorText; }
  void KeepCleanedText(std::string_view editorText);
  // True when the editor no longer holds the cleaned text.
  bool EditedSince(std::string_view editorText) const { return kept_ && editorText != after_; }

  TextEncoding Encoding() const { return encoding_; }
  const DiagRows& FirstRunRows() const { return firstRunRows_; }
  // What the view says when the run changed the break style (line breaks
  // are not compared, so no line is marked for them); empty otherwise.
  std::string BreaksNote() const;

 private:
  QByteArray packedBefore_;
  std::string after_;
  bool kept_ = false;
  std::optional<BreakStyle> beforeBreaks_;
  BreakStyle afterBreaks_;
  TextEncoding encoding_;
  DiagRows firstRunRows_;
};

// "No changes", "1 change", "12 changes".
std::string ChangeCountText(size_t count);

}  // namespace kw
