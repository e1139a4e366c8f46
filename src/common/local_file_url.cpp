#include "common/local_file_url.h"

#include <QByteArray>

namespace kw {

QUrl LocalFileUrl(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"), QUrl::StrictMode);
}

std::string LocalFilePath(const QUrl& url) {
  if (!url.isLocalFile()) return {};
  // The encoded form still holds the bytes; the decoded one would be UTF-8 with losses.
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

}  // namespace kw
