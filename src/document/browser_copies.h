// The copies of unsaved text written beside a document for the browser to
// show, so that the page's relative links still work: never written over a
// file the program did not write (the document itself, a file of the user's,
// a link planted in a shared folder), and removed only while they are still
// the files written.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "document/text_format.h"

namespace kw {

class BrowserCopies {
 public:
  // Writes text, with its breaks in the given style, to folder/~modified.htm,
  // or when that name holds anything this object did not write, to the first
  // free ~modified-2.htm, ~modified-3.htm ... Returns the path written.
  // Throws EKempwellError "Cannot create file ..." when no copy can be written.
  std::string Write(const std::string& folder, std::string_view text, BreakStyle breaks);
  // Removes every copy written that is still the same file.
  void RemoveAll();

 private:
  struct Copy {
    std::string path;
    dev_t device;
    ino_t inode;
  };
  const Copy* Find(const std::string& path) const;

  std::vector<Copy> copies_;
};

}  // namespace kw
