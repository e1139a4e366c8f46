#include "app/program_dir.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace kw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kVariables[] = {"KEMPWELL_PROGRAM_DIR", "XDG_DATA_HOME", "HOME"};

void Set(const char* name, const char* value) {
  if (value) setenv(name, value, 1);
  else unsetenv(name);
}

class ProgramDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      const char* v = std::getenv(name);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < std::size(kVariables); ++i) Set(kVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    if (!tmp_.empty()) fs::remove_all(tmp_);
  }

  std::vector<std::optional<std::string>> saved_;
  std::string tmp_;
};

// Runs ResolveProgramDir in a child that may not write the executable's folder
// ("nobody" when the tests run as root); nullopt when that cannot be arranged.
std::optional<std::string> ResolveWithoutWriteAccess() {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    umask(022);
    std::string out(1, '-');
    const bool dropped = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
    if (dropped && access(ExecutableDir().c_str(), W_OK) != 0) {
      out[0] = '+';
      out += ResolveProgramDir();
    }
    _exit(write(fds[1], out.data(), out.size()) < 0);
  }
  close(fds[1]);
  std::string got;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  if (got.empty() || got[0] != '+') return std::nullopt;
  return got.substr(1);
}

unsigned Mode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(ProgramDirTest, OverrideIsTakenAsGivenWithoutTrailingSlashes) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/kw/", "/opt/kw"}, {"/opt/kw///", "/opt/kw"}, {"/", "/"}, {"///", "/"},
      {"relative/dir/", "relative/dir"}, {"/a b/$(x);&'\xE9", "/a b/$(x);&'\xE9"},
  };
  for (const auto& [given, want] : cases) {
    setenv("KEMPWELL_PROGRAM_DIR", given, 1);
    EXPECT_EQ(ResolveProgramDir(), want) << given;
  }
  EXPECT_FALSE(fs::exists("relative")) << "an override is not created";
}

TEST_F(ProgramDirTest, ExecutableDirHoldsTheRunningProgram) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_TRUE(dir == "/" || dir.back() != '/') << dir;
  struct stat self, st;
  ASSERT_EQ(stat("/proc/self/exe", &self), 0);
  bool found = false;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    found |= stat(e.path().c_str(), &st) == 0 && st.st_dev == self.st_dev && st.st_ino == self.st_ino;
  EXPECT_TRUE(found);

  setenv("KEMPWELL_PROGRAM_DIR", "", 1);  // empty counts as unset
  if (access(dir.c_str(), W_OK) == 0) {
    EXPECT_EQ(ResolveProgramDir(), dir);
  }
}

TEST_F(ProgramDirTest, UnwritableInstallUsesThePerUserDataFolder) {
  unsetenv("KEMPWELL_PROGRAM_DIR");
  std::string t = (fs::temp_directory_path() / "kw-pdir-XXXXXX").string();
  ASSERT_NE(mkdtemp(t.data()), nullptr);
  tmp_ = t;
  const std::string home = t + "/home", file = t + "/file", xdg = t + "/data/deep/";
  fs::create_directory(home);
  chmod(t.c_str(), 0777);  // the child may be another user
  chmod(home.c_str(), 0777);
  std::ofstream(file) << "x";
  const struct {
    const char *name, *xdgDataHome, *home;
    std::string want;
    std::vector<std::string> created;  // each must have mode 0700
  } cases[] = {
      {"absolute XDG_DATA_HOME, parents missing", xdg.c_str(), home.c_str(), t + "/data/deep/kempwell",
       {t + "/data", t + "/data/deep", t + "/data/deep/kempwell"}},
      {"relative XDG_DATA_HOME is ignored", "rel/data", home.c_str(), home + "/.local/share/kempwell",
       {home + "/.local", home + "/.local/share/kempwell"}},
      {"no XDG_DATA_HOME", nullptr, home.c_str(), home + "/.local/share/kempwell", {}},
      {"folder cannot be made", nullptr, file.c_str(), file + "/.local/share/kempwell", {}},
  };
  for (const auto& c : cases) {
    Set("XDG_DATA_HOME", c.xdgDataHome);
    Set("HOME", c.home);
    const std::optional<std::string> got = ResolveWithoutWriteAccess();
    if (!got) GTEST_SKIP() << "cannot run without write access to the executable folder";
    EXPECT_EQ(*got, c.want) << c.name;
    for (const std::string& d : c.created) EXPECT_EQ(Mode(d), 0700u) << c.name << ": " << d;
  }
  EXPECT_EQ(Mode(home), 0777u) << "an existing folder keeps its mode";
}

}  // namespace
}  // namespace kw
