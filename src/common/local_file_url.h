// File names to and from file: URLs as bytes, so that a name that is not
// valid UTF-8 reaches a viewer, and comes back from a drop, unchanged.
#pragma once

#include <QUrl>
#include <string>

namespace kw {

// file:// and the path's bytes, percent-encoded where a URL needs it.
QUrl LocalFileUrl(const std::string& path);
// The path of a local file: URL as the file system's bytes; empty for any other URL.
std::string LocalFilePath(const QUrl& url);

}  // namespace kw
