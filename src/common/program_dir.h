// Where the program keeps its working files.
#pragma once

#include <string>

namespace kw {

// The path of the running executable (from /proc/self/exe); empty when unknown.
std::string ExecutablePath();

// $HOME, or the user's home from the password database when that is unset.
std::string HomeDir();

// A base folder of the user's: the variable when it holds an absolute path,
// otherwise the home folder + "/" + belowHome; without trailing '/'. Empty
// when neither is known.
std::string XdgBaseDir(const char* variable, const std::string& belowHome);

// Creates each missing folder of path (mode 0700); folders that exist keep
// their mode. Errors are not checked: a parent that refuses mkdir may still exist.
void CreateFolders(const std::string& path);

// The folder of the running executable (from /proc/self/exe), without a
// trailing '/' unless it is the root.
std::string ExecutableDir();

// The program directory: KEMPWELL_PROGRAM_DIR when that is set and not empty
// (a relative one made absolute against the working directory, lexically
// normalised); otherwise the executable's folder when the user may write
// there; otherwise $XDG_DATA_HOME/kempwell (default ~/.local/share/kempwell),
// created with its parents when missing.
std::string ResolveProgramDir();

// Makes a relative KEMPWELL_PROGRAM_DIR absolute in the environment, so that
// it names the same folder after a run changes the working directory. Call
// it at start, before anything reads the program directory.
void AnchorProgramDirOverride();

}  // namespace kw
