#include "state/most_recent_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "app/ini_file.h"
#include "common/latin1.h"
#include "common/paths.h"

namespace kw {

bool RecentFileList::SetMaxFiles(uint32_t value) {
  const bool changed = value != maxFiles_;
  maxFiles_ = std::clamp<uint32_t>(value, 1, kMostRecentFilesLimit);
  return changed;
}

bool RecentFileList::Add(const std::string& path) {
  if (path.find_first_of("\r\n") != std::string::npos) return false;
  const auto found = std::find_if(files_.begin(), files_.end(),
                                  [&](const std::string& file) { return EqualIgnoringCaseLatin1(file, path); });
  if (found == files_.begin() && found != files_.end()) return false;
  if (found != files_.end()) files_.erase(found);
  files_.insert(files_.begin(), path);
  while (files_.size() > maxFiles_) files_.erase(files_.begin() + maxFiles_);
  return true;
}

void RecentFileList::MoveToTop(size_t index) {
  if (index == 0 || index >= files_.size()) return;
  std::rotate(files_.begin(), files_.begin() + index, files_.begin() + index + 1);
}

void RecentFileList::Remove(size_t index) {
  if (index < files_.size()) files_.erase(files_.begin() + index);
}

void RecentFileList::LoadFromIni(const std::string& fileName) {
  files_.clear();
  if (!PathExists(fileName)) return;
  const IniFile ini(fileName);
  for (uint32_t slot = 1; slot <= maxFiles_; ++slot) {
    std::string path = ini.ReadString(kRecentFilesSection, std::to_string(slot), "");
    if (path.empty()) break;
    files_.push_back(std::move(path));
  }
}

void RecentFileList::SaveToIni(const std::string& fileName) const {
  IniFile ini(fileName);
  for (uint32_t slot = 1; slot <= maxFiles_; ++slot)
    ini.WriteString(kRecentFilesSection, std::to_string(slot), slot <= files_.size() ? files_[slot - 1] : "");
}

std::string ResolveRecentFilesIni(const std::string& iniFile, const std::string& programDir,
                                  const std::string& executableName) {
  if (iniFile.find('/') != std::string::npos) return iniFile;
  if (!iniFile.empty()) return JoinPath(programDir, iniFile);
  const size_t dot = executableName.rfind('.');
  // A leading dot marks a hidden file, not an extension.
  const std::string stem = dot == std::string::npos || dot == 0 ? executableName : executableName.substr(0, dot);
  return JoinPath(programDir, stem + ".ini");
}

std::string ExecutableName() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).filename().string();
}

std::string RecentFileCaption(size_t index, const std::string& path, bool showFullPath) {
  std::string caption = "&";
  caption += std::to_string(index + 1);
  caption += "  ";
  caption += showFullPath ? std::string_view(path) : std::string_view(path).substr(path.rfind('/') + 1);
  return caption;
}

bool IsExistingFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace kw
