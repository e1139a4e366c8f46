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

// Writes the content that produce hands to its sink into a temporary file
// ".<name>.kwsave-XXXXXX" in the target's folder, flushes it to disk and
// renames it over the target. Save files that earlier interrupted saves left
// there are removed first (RemoveStaleSaveFiles).
// A symbolic link is followed, so the link stays and its target is replaced.
// An existing target keeps its permission bits (and, where allowed, its owner);
// a new one gets the bits the process's umask gives a new file.
// An existing target that the user may not write, or a directory, is refused.
// On any failure the target is untouched, the temporary file is removed, and
// std::system_error carries the errno of the failing step.
//
// The exception: a target with several hard links, or a writable one in a
// folder where no temporary file may be created, is overwritten in place
// (renaming would split the links, or is impossible). The whole content is
// produced before the file is opened, but a crash or a write error during the
// overwrite can leave the file half-written, which is why the rename stays
// the rule.
void ReplaceFileContent(const std::string& path,
                        const std::function<void(ContentSink&)>& produce);

// Removes the temporary files that saves of path interrupted by a crash or a
// kill left in the folder of path's target (a symbolic link is followed):
// regular files of the current user named as ReplaceFileContent names them,
// and not held by a save still under way. Errors are ignored.
void RemoveStaleSaveFiles(const std::string& path);

}  // namespace kw
