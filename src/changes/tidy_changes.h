// What one Run tidy changed, as the window keeps it for the Changes view:
// the text before the run and the cleaned text (the document's bytes), their
// encoding and break styles, and the first run's messages about the text
// before.
#pragma once

#include <QByteArray>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/text_encoding.h"
#include "document/text_format.h"
#include "tidy/diag_rows.h"

class QTemporaryFile;

namespace kw {

// The text before a run, in a temporary file of its own (compressed in
// memory when none can be written): it is read back only when the Changes
// window opens, and a second copy of a large document in memory during the
// run is what the run can least afford.
class PackedText {
 public:
  static PackedText Pack(std::string_view text);
  QByteArray Unpack() const;

 private:
  // Written once, then only read: copies share it.
  std::shared_ptr<QTemporaryFile> file_;
  QByteArray memory_;
};

class TidyChanges {
 public:
  // beforeBreaks is empty for a text without a line break.
  TidyChanges(PackedText packedBefore, std::optional<BreakStyle> beforeBreaks, BreakStyle afterBreaks,
              TextEncoding encoding, DiagRows firstRunRows);

  QByteArray Before() const;
  // The cleaned text. Right after the run it is the editor's text, which is
  // not copied (a large document would cost its size again) until the editor
  // is about to change it: KeepCleanedText takes that copy, once.
  std::string_view After(std::string_view editorText) const { return kept_ ? std::string_view(after_) : editorText; }
  void KeepCleanedText(std::string_view editorText);
  bool Kept() const { return kept_; }
  // True when the editor no longer holds the cleaned text.
  bool EditedSince(std::string_view editorText) const { return kept_ && editorText != after_; }

  TextEncoding Encoding() const { return encoding_; }
  const DiagRows& FirstRunRows() const { return firstRunRows_; }
  // What the view says when the run changed the break style (line breaks
  // are not compared, so no line is marked for them); empty otherwise.
  std::string BreaksNote() const;

 private:
  PackedText packedBefore_;
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
