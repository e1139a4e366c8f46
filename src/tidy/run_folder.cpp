#include "tidy/run_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include "common/environment.h"

namespace kw {

namespace {

constexpr int kMostFolders = 1024;

// A folder (not a link to one) of the user's that nobody else may enter.
bool IsOwnPrivateFolder(const std::string& path) {
  ::mkdir(path.c_str(), 0700);
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

RunFolder::RunFolder() {
  const std::string parent = TemporaryDir() + "/kempwell-tidy-" + std::to_string(::geteuid());
  if (IsOwnPrivateFolder(parent)) {
    for (int n = 0; n < kMostFolders; ++n) {
      const std::string folder = parent + "/" + std::to_string(n);
      if (!IsOwnPrivateFolder(folder)) continue;
      auto lock = std::make_unique<TidyRunLock>(folder);
      if (!lock->TryLock()) continue;
      lock_ = std::move(lock);
      path_ = folder;
      return;
    }
  }
  fallback_ = std::make_unique<PrivateFolder>("kempwell-tidy-");
  path_ = fallback_->Path();
}

}  // namespace kw
