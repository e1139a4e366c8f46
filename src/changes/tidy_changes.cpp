#include "changes/tidy_changes.h"

#include <QTemporaryFile>
#include <utility>

namespace kw {

namespace {

// zlib's fastest level, for the text kept in memory when no temporary file
// can be written: about a quarter of the size of generated HTML.
constexpr int kPackLevel = 1;

const char* BreakName(BreakStyle style) {
  switch (style) {
    case BreakStyle::CR: return "CR";
    case BreakStyle::LF: return "LF";
    case BreakStyle::CRLF: break;
  }
  return "CR LF";
}

}  // namespace

PackedText PackedText::Pack(std::string_view text) {
  PackedText packed;
  // Written as it is: compressing a large text costs a run more than tidy's
  // own second pass, writing it costs a copy into the page cache.
  auto file = std::make_shared<QTemporaryFile>();
  const auto size = static_cast<qint64>(text.size());
  if (file->open() && file->write(text.data(), size) == size && file->flush()) {
    packed.file_ = std::move(file);
    return packed;
  }
  packed.memory_ = qCompress(reinterpret_cast<const uchar*>(text.data()), size, kPackLevel);
  packed.memory_.squeeze();  // the compressor's buffer is as large as the text
  return packed;
}

QByteArray PackedText::Unpack() const {
  if (!file_) return qUncompress(memory_);
  if (!file_->seek(0)) return {};
  return file_->readAll();
}

TidyChanges::TidyChanges(PackedText packedBefore, std::optional<BreakStyle> beforeBreaks, BreakStyle afterBreaks,
                         TextEncoding encoding, DiagRows firstRunRows)
    : packedBefore_(std::move(packedBefore)),
      beforeBreaks_(beforeBreaks),
      afterBreaks_(afterBreaks),
      encoding_(encoding),
      firstRunRows_(std::move(firstRunRows)) {}

QByteArray TidyChanges::Before() const { return packedBefore_.Unpack(); }

void TidyChanges::KeepCleanedText(std::string_view editorText) {
  if (kept_) return;
  after_ = editorText;
  kept_ = true;
}

std::string TidyChanges::BreaksNote() const {
  if (!beforeBreaks_ || *beforeBreaks_ == afterBreaks_) return {};
  return std::string("Line breaks: ") + BreakName(*beforeBreaks_) + " before the run, " + BreakName(afterBreaks_) +
         " after it (not marked as changes).";
}

std::string ChangeCountText(size_t count) {
  if (count == 0) return "No changes";
  return std::to_string(count) + (count == 1 ? " change" : " changes");
}

}  // namespace kw
