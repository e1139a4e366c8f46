// A fresh folder of the user's own under the temporary folder, removed with
// everything in it when its owner goes.
#pragma once

#include <string>

namespace kw {

class PrivateFolder {
 public:
  // Creates "$TMPDIR/<prefix>XXXXXX" (TMPDIR unset or empty: /tmp), mode
  // 0700. Throws EKempwellError with the system's reason when it cannot.
  explicit PrivateFolder(const std::string& prefix);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kw
