// Replacing a file's content so that a failure never leaves neither the old nor the new text.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kw {

// Hands out the bytes of the new content; Write may be called any number of times.
class ContentSink {
 public:
  virtual ~ContentSink() = default;
  virtual void Write(std::string_view bytes) = 0;
};

// Writes the content that produce hands to its sink into a temporary file in
// the target's folder, flushes it to disk and renames it over the target.
// A symbolic link is followed, so the link stays and its target is replaced.
// An existing target keeps its permission bits (and, where allowed, its owner);
// a new one gets the bits the process's umask gives a new file.
// An existing target that the user may not write, or a directory, is refused.
// On any failure the target is untouched, the temporary file is removed, and
// std::system_error carries the errno of the failing step.
void ReplaceFileContent(const std::string& path,
                        const std::function<void(ContentSink&)>& produce);

}  // namespace kw
