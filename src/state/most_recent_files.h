// The recent-files list without its menu: order, limits and the INI store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kw {

inline constexpr uint32_t kDefaultMaxRecentFiles = 4;
inline constexpr uint32_t kMostRecentFilesLimit = 8;
inline constexpr char kRecentFilesSection[] = "MRU List";

// Paths, most recent first, each held once. Paths are compared byte for
// byte: file names are case-sensitive here.
class RecentFileList {
 public:
  uint32_t MaxFiles() const { return maxFiles_; }
  // Stores the value clamped to 1..8 without trimming the list. True when the
  // value given differs from the current one, so 20 over 8 counts as a change.
  bool SetMaxFiles(uint32_t value);

  const std::vector<std::string>& Files() const { return files_; }

  // Puts the path first and trims the list to MaxFiles. False, with the list
  // untouched, when the path already is first, is empty (an empty slot ends
  // the stored list) or holds a line break (an INI value cannot carry one).
  bool Add(const std::string& path);
  void MoveToTop(size_t index);
  // Drops an entry on purpose (its file is gone): it is not taken back from
  // the file on disk when the list is saved.
  void Remove(size_t index);
  void Clear() { files_.clear(); }

  // Keys 1..MaxFiles of the section, up to the first empty one. A missing
  // file leaves the list empty.
  void LoadFromIni(const std::string& fileName);
  // Writes this list followed by the entries on disk that it lacks (another
  // instance's, in their stored order), MaxFiles keys in all, empty beyond
  // the entries so a longer old list is overwritten. A path with a blank at
  // either end, or with a double quote at both, is written in double quotes.
  // Throws EKempwellError when the file cannot be written.
  void SaveToIni(const std::string& fileName) const;

 private:
  uint32_t maxFiles_ = kDefaultMaxRecentFiles;
  std::vector<std::string> files_;
  std::vector<std::string> removed_;
};

// The file the list lives in: iniFile itself when it names a folder; the
// program's own name with ".ini" in programDir when it is empty; otherwise
// the bare name in programDir.
std::string ResolveRecentFilesIni(const std::string& iniFile, const std::string& programDir,
                                  const std::string& executableName);

// The file name of the running executable, without its folder.
std::string ExecutableName();

// "&<index+1>  <text>": the digit doubles as the entry's accelerator.
std::string RecentFileCaption(size_t index, const std::string& path, bool showFullPath);

// True when path names something that is not a folder (links followed).
bool IsExistingFile(const std::string& path);

}  // namespace kw
