#include "common/program_dir.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/scoped_env.h"
#include "support/temp_files.h"

namespace kw {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Empty unsets, as the program reads an empty variable as a missing one.
void Set(const char* name, const std::string& value) {
  if (value.empty()) unsetenv(name);
  else setenv(name, value.c_str(), 1);
}

// Writes to out what ResolveProgramDir gives, with these variables, in a child that may not write
// the executable's folder ("nobody" when the tests run as root); false when that cannot be arranged.
bool ResolveWithoutWriteAccess(const std::string& xdgHome, const std::string& home, const std::string& out) {
  const pid_t pid = fork();
  if (pid == 0) {
    unsetenv("KEMPWELL_PROGRAM_DIR");
    Set("XDG_DATA_HOME", xdgHome);
    Set("HOME", home);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
    if (access(ExecutableDir().c_str(), W_OK) == 0) _exit(1);
    std::ofstream file(out);
    file << ResolveProgramDir();
    file.close();
    _exit(file ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ProgramDir, OverrideIsTakenAsGivenWithoutTrailingSlashes) {
  const test::ScopedEnv restore("KEMPWELL_PROGRAM_DIR", "");
  const std::string cwd = fs::current_path().string();
  const std::pair<const char*, std::string> cases[] = {
      {"/opt/kw///", "/opt/kw"}, {"///", "/"}, {"relative/dir/", cwd + "/relative/dir"},
      {"./a/../b", cwd + "/b"}, {"/a b/$(x);&'\xE9", "/a b/$(x);&'\xE9"},
  };
  for (const auto& [given, want] : cases) {
    setenv("KEMPWELL_PROGRAM_DIR", given, 1);
    EXPECT_EQ(ResolveProgramDir(), want) << given;
  }
  EXPECT_FALSE(fs::exists("relative")) << "an override is not created";

  // Anchored at start, a relative override survives a change of the working directory.
  setenv("KEMPWELL_PROGRAM_DIR", "relative", 1);
  AnchorProgramDirOverride();
  fs::current_path("/");
  EXPECT_EQ(ResolveProgramDir(), cwd + "/relative");
  fs::current_path(cwd);

  setenv("KEMPWELL_PROGRAM_DIR", "", 1);  // empty counts as unset
  const std::string exeDir = ExecutableDir();
  EXPECT_EQ(exeDir, fs::canonical("/proc/self/exe").parent_path().string());
  if (access(exeDir.c_str(), W_OK) == 0) {
    EXPECT_EQ(ResolveProgramDir(), exeDir);
  }
}

TEST(ProgramDir, WithoutHomeTheAccountsHomeFolderIsTaken) {
  const test::ScopedEnv noHome("HOME", "");
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(HomeDir(), account->pw_dir);
}

TEST(ProgramDir, UnwritableInstallUsesThePerUserDataFolder) {
  const TempFolder tmp;
  const std::string t = tmp.Path(), home = t + "/home", file = tmp.Write("file", "x");
  fs::create_directory(home);
  for (const std::string& d : {t, home}) chmod(d.c_str(), 0777);  // the child may be another user
  const struct {
    const char* name;
    std::string xdgDataHome, home, want;
    std::vector<std::string> created;  // each must have mode 0700
  } cases[] = {
      {"absolute XDG_DATA_HOME, parents missing", t + "/data/deep/", home, t + "/data/deep/kempwell",
       {t + "/data", t + "/data/deep", t + "/data/deep/kempwell"}},
      {"relative XDG_DATA_HOME is ignored", "rel/data", home, home + "/.local/share/kempwell",
       {home + "/.local", home + "/.local/share/kempwell"}},
      {"folder cannot be made", "", file, file + "/.local/share/kempwell", {}},
  };
  for (const auto& c : cases) {
    if (!ResolveWithoutWriteAccess(c.xdgDataHome, c.home, t + "/got"))
      GTEST_SKIP() << "cannot run without write access to the executable folder";
    EXPECT_EQ(TempFolder::Read(t + "/got"), c.want) << c.name;
    for (const std::string& d : c.created) EXPECT_EQ(TempFolder::Mode(d), 0700u) << c.name << ": " << d;
  }
  EXPECT_EQ(TempFolder::Mode(home), 0777u) << "an existing folder keeps its mode";
}

}  // namespace
}  // namespace kw
