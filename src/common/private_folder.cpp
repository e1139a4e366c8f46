#include "common/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/environment.h"
#include "common/error.h"

namespace kw {

PrivateFolder::PrivateFolder(const std::string& prefix) {
  const std::string base = TemporaryDir();
  std::string pattern = base + "/" + prefix + "XXXXXX";
  if (!::mkdtemp(pattern.data()))
    throw EKempwellError("Cannot create a working folder in \"" + base + "\". " +
                         std::generic_category().message(errno));
  path_ = std::move(pattern);
}

PrivateFolder::~PrivateFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kw
