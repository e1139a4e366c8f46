// Path rules shared by the subsystems. Paths are byte strings with '/' separators.
#pragma once

#include <string>

namespace kw {

// True when a directory entry of that name exists (file, folder, link, anything).
bool PathExists(const std::string& path);

// The absolute, lexically normalised form of an existing path, relative paths
// taken against the current working directory; symbolic links are kept.
// An empty string when the path does not exist.
std::string ExpandLongPath(const std::string& path);

// Path completed against the current working directory and lexically
// normalised, whether it exists or not; empty stays empty.
std::string AbsolutePath(const std::string& path);

// The folder of a path: everything before its last '/', keeping the '/' only
// when it is the root itself. Empty when the path holds no '/'.
std::string FolderPart(const std::string& path);

// folder + "/" + name, without looking at what folder already ends with.
std::string JoinPath(const std::string& folder, const std::string& name);

// The process's working directory.
std::string CurrentDirectory();

}  // namespace kw
