// Environments and argument vectors for programs this one starts.
#pragma once

#include <string>
#include <vector>

namespace kw {

// The caller's environment, with each override ("NAME=value") replacing the
// variable of its name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides);

// Pointers into strings, ended by a null pointer, as exec and spawn take them.
std::vector<char*> NullTerminated(std::vector<std::string>& strings);

}  // namespace kw
