// A working folder for one tidy run that no other run uses while it lasts,
// also in other processes: a numbered folder in a folder of the user's own
// under the temporary folder, held by a lock for the run. The numbered
// folders stay for later runs (a run removes its files), since removing a
// folder costs milliseconds on some file systems, as much as a small run.
#pragma once

#include <memory>
#include <string>

#include "common/private_folder.h"
#include "tidy/run_lock.h"

namespace kw {

class RunFolder {
 public:
  // The folder is "$TMPDIR/kempwell-tidy-<uid>/<n>" (TMPDIR unset or empty:
  // /tmp), the first n whose lock is free. Where that folder of the user's
  // cannot be had as a folder only the user can reach, a PrivateFolder
  // (removed afterwards) stands in. Throws EKempwellError when neither can.
  RunFolder();
  const std::string& Path() const { return path_; }

 private:
  std::unique_ptr<TidyRunLock> lock_;
  std::unique_ptr<PrivateFolder> fallback_;
  std::string path_;
};

}  // namespace kw
