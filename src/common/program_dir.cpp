#include "common/program_dir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "common/environment.h"
#include "common/paths.h"

namespace kw {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string HomeDir() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  struct passwd pw;
  struct passwd* found = nullptr;
  while (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == ERANGE && buf.size() < (1u << 20))
    buf.resize(buf.size() * 2);
  if (found && found->pw_dir) home = found->pw_dir;
  return home;
}

std::string XdgBaseDir(const char* variable, const std::string& belowHome) {
  // A relative path would depend on the working directory, so it is ignored.
  const std::string value = Environment(variable);
  if (!value.empty() && value.front() == '/') {
    const std::string trimmed = WithoutTrailingSlashes(value);
    return trimmed.empty() ? "/" : trimmed;
  }
  const std::string home = HomeDir();
  if (home.empty()) return {};
  return WithoutTrailingSlashes(home) + "/" + belowHome;
}

void CreateFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (!prefix.empty() && prefix.back() != '/') mkdir(prefix.c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

std::string ExecutablePath() {
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    // A result that fills the buffer may have been cut short.
    if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string ExecutableDir() {
  const std::string exe = ExecutablePath();
  return exe.empty() ? exe : FolderPart(exe);
}

std::string ResolveProgramDir() {
  const std::string override = Environment("KEMPWELL_PROGRAM_DIR");
  if (!override.empty()) {
    // A relative one is taken against the working directory, as any
    // relative path the user gives at start.
    if (override.front() != '/') return AbsolutePath(override);
    const std::string trimmed = WithoutTrailingSlashes(override);
    return trimmed.empty() ? "/" : trimmed;
  }

  const std::string exeDir = ExecutableDir();
  if (!exeDir.empty() && access(exeDir.c_str(), W_OK) == 0) return exeDir;

  // A system-wide install: keep the working files per user instead.
  const std::string dataHome = XdgBaseDir("XDG_DATA_HOME", ".local/share");
  // Without any home there is no better place than the install folder.
  if (dataHome.empty()) return exeDir;
  const std::string dir = dataHome + "/kempwell";
  CreateFolders(dir);
  return dir;
}

void AnchorProgramDirOverride() {
  if (!Environment("KEMPWELL_PROGRAM_DIR").empty())
    ::setenv("KEMPWELL_PROGRAM_DIR", ResolveProgramDir().c_str(), 1);
}

}  // namespace kw
