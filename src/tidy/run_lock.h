// Serialises tidy runs that share a folder of working files, also across program
// instances, since they all use the same working-file names there.
#pragma once

#include <string>

namespace kw {

class TidyRunLock {
 public:
  // Opens the folder; nothing is locked yet.
  explicit TidyRunLock(const std::string& folder);
  ~TidyRunLock();
  TidyRunLock(const TidyRunLock&) = delete;
  TidyRunLock& operator=(const TidyRunLock&) = delete;

  // True once the lock is held. A folder that cannot be opened cannot be
  // locked either; the run then goes ahead as it would without the lock.
  bool TryLock();

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace kw
