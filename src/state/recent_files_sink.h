// What the main window asks of the recent-files list.
#pragma once

#include <string>

namespace kw {

class RecentFilesSink {
 public:
  virtual ~RecentFilesSink() = default;
  // The file the list is stored in; setting it loads the list from there.
  virtual void SetIniFile(const std::string& path) = 0;
  // Puts the path at the top of the list.
  virtual void AddFile(const std::string& path) = 0;
};

}  // namespace kw
