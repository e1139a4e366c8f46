// The environment: variables read by the program, and the environments and
// argument vectors of programs it starts.
#pragma once

#include <string>
#include <vector>

namespace kw {

// The variable's value; empty when it is not set.
std::string Environment(const char* name);

// Where temporary files go: $TMPDIR, or /tmp when it is unset or empty.
std::string TemporaryDir();

// The caller's environment, with each override ("NAME=value") replacing the
// variable of its name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides);

// Pointers into strings, ended by a null pointer, as exec and spawn take them.
std::vector<char*> NullTerminated(std::vector<std::string>& strings);

}  // namespace kw
