#include "common/environment.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace kw {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string TemporaryDir() {
  const std::string dir = Environment("TMPDIR");
  return dir.empty() ? "/tmp" : dir;
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
  const auto nameOf = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const auto& o) {
      return nameOf(o) == nameOf(*entry);
    });
    if (!replaced) env.emplace_back(*entry);
  }
  env.insert(env.end(), overrides.begin(), overrides.end());
  return env;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace kw
