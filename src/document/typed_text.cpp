#include "document/typed_text.h"

#include <QList>

namespace kw {

std::string EncodeForDocument(const QString& text, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return text.toStdString();
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (const uint c : text.toUcs4()) {
    if (c <= 0xFF) bytes.push_back(static_cast<char>(c));
    else bytes += "&#" + std::to_string(c) + ";";
  }
  return bytes;
}

QString DecodeFromDocument(std::string_view bytes, TextEncoding encoding) {
  const auto size = static_cast<qsizetype>(bytes.size());
  return encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes.data(), size) : QString::fromLatin1(bytes.data(), size);
}

bool NeedsCharacterReferences(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() > 0xFF) return true;
  return false;
}

}  // namespace kw
