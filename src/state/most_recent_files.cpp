#include "state/most_recent_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "state/ini_file.h"
#include "common/paths.h"

namespace kw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsQuoted(std::string_view s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; }

// INI values lose their edge blanks, so such a path is stored in double
// quotes; so is one that is itself quoted, to keep the rule reversible.
bool NeedsQuotes(std::string_view path) {
  return !path.empty() && (IsBlank(path.front()) || IsBlank(path.back()) || IsQuoted(path));
}

std::string ToIniValue(const std::string& path) { return NeedsQuotes(path) ? '"' + path + '"' : path; }

// Only quotes that ToIniValue would have added come off, so values written
// before quoting existed read as they always did.
std::string FromIniValue(std::string_view value) {
  if (IsQuoted(value) && NeedsQuotes(value.substr(1, value.size() - 2))) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool Holds(const std::vector<std::string>& files, const std::string& path) {
  return std::find(files.begin(), files.end(), path) != files.end();
}

// Slots 1..maxFiles up to the first empty one.
std::vector<std::string> ReadSlots(const IniFile& ini, uint32_t maxFiles) {
  std::vector<std::string> files;
  for (uint32_t slot = 1; slot <= maxFiles; ++slot) {
    const std::string value = ini.ReadString(kRecentFilesSection, std::to_string(slot), "");
    if (value.empty()) break;
    files.push_back(FromIniValue(value));
  }
  return files;
}

}  // namespace

bool RecentFileList::SetMaxFiles(uint32_t value) {
  const bool changed = value != maxFiles_;
  maxFiles_ = std::clamp<uint32_t>(value, 1, kMostRecentFilesLimit);
  return changed;
}

bool RecentFileList::Add(const std::string& path) {
  if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return false;
  const auto found = std::find(files_.begin(), files_.end(), path);
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
  if (index >= files_.size()) return;
  removed_.push_back(std::move(files_[index]));
  files_.erase(files_.begin() + index);
}

void RecentFileList::LoadFromIni(const std::string& fileName) {
  files_.clear();
  if (PathExists(fileName)) files_ = ReadSlots(IniFile(fileName), maxFiles_);
}

void RecentFileList::SaveToIni(const std::string& fileName) const {
  IniFile ini(fileName);
  // Another instance may have saved since this one loaded; its entries stay.
  std::vector<std::string> merged = files_;
  for (std::string& path : ReadSlots(ini, maxFiles_))
    if (!Holds(merged, path) && !Holds(removed_, path)) merged.push_back(std::move(path));
  for (uint32_t slot = 1; slot <= maxFiles_; ++slot)
    ini.WriteString(kRecentFilesSection, std::to_string(slot), slot <= merged.size() ? ToIniValue(merged[slot - 1]) : "");
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
