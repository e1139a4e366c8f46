#include "common/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kw {

namespace {

// Collapses "//", "." and ".." without asking the file system.
std::string NormaliseAbsolute(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  if (parts.empty()) return "/";
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

std::string CurrentDirectory() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  if (path.front() == '/') return NormaliseAbsolute(path);
  return NormaliseAbsolute(CurrentDirectory() + "/" + path);
}

// Existence is checked on the normalised result: through a symbolic link the
// kernel's "a/link/.." can name another entry than the lexical one.
std::string ExpandLongPath(const std::string& path) {
  std::string full = AbsolutePath(path);
  if (!PathExists(full)) return {};
  return full;
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

}  // namespace kw
