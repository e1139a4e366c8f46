#include "common/safe_write.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <system_error>

#include "support/temp_files.h"

namespace kw {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// The errno that replacing path's content fails with, or 0.
int Replace(const std::string& path, const std::string& content = "new") {
  try {
    ReplaceFileContent(path, [&](ContentSink& sink) {
      sink.Write(content.substr(0, content.size() / 2));
      sink.Write(content.substr(content.size() / 2));
    });
  } catch (const std::system_error& e) {
    return e.code().value();
  }
  return 0;
}

// As Replace, but in a child process of a user without privileges, since
// root passes every permission check.
int ReplaceAsOrdinaryUser(const std::string& path) {
  constexpr uid_t kNobody = 65534;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(255);
    }
    ::_exit(Replace(path));
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class SafeWriteTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp_.File(name); }
  // Leftover temporary files show up here.
  std::set<std::string> Entries(const std::string& folder = "") const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder.empty() ? tmp_.Path() : folder)) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  TempFolder tmp_;
};

// The file keeps what makes it itself: its mode bits (a new one gets the
// umask's), a symbolic link stays and its target changes, and hard links stay
// one file, as renaming over one name would leave the other with the old
// text. The temporary name is built from the file's: the longest name must
// still fit. Pieces past the write buffer arrive whole; a producer that
// throws leaves the old text; no temporary file is left behind. A fifo is
// refused, as renaming would swap the node for a file.
TEST_F(SafeWriteTest, TheFileKeepsItsModeLinksAndName) {
  const std::string longest(255, 'n');
  for (const std::string name : {"kept", "page.htm", "hard.htm", "thrown.htm", longest.c_str()})
    tmp_.Write(name, "old and longer");
  ::chmod(Path("kept").c_str(), 0604);
  ASSERT_EQ(::symlink("page.htm", Path("link.htm").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", Path("dangling").c_str()), 0);
  ASSERT_EQ(::link(Path("hard.htm").c_str(), Path("twin.htm").c_str()), 0);
  ASSERT_EQ(::mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::string big(300u << 10, ' ');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  const mode_t previous = ::umask(027);
  const std::pair<std::string, int> replaced[] = {
      {"kept", 0}, {"link.htm", 0}, {"dangling", 0}, {"hard.htm", 0}, {"fresh", 0}, {longest, 0},
      {"fifo", EINVAL}, {"folder", EISDIR}, {"missing/page.htm", ENOENT}};
  for (const auto& [name, error] : replaced)
    EXPECT_EQ(Replace(Path(name), name == "hard.htm" ? big : "new"), error) << name;
  EXPECT_EQ(Replace(""), ENOENT);
  ::umask(previous);
  const auto produce = [](ContentSink& sink) {
    sink.Write(std::string(1u << 20, 'x'));  // past the write buffer, so the temporary file has data
    throw std::logic_error("producer failed");
  };
  for (const char* name : {"thrown.htm", "twin.htm"})
    EXPECT_THROW(ReplaceFileContent(Path(name), produce), std::logic_error);
  EXPECT_EQ(TempFolder::Mode(Path("kept")), 0604u);
  EXPECT_EQ(TempFolder::Mode(Path("fresh")), 0640u);
  EXPECT_TRUE(fs::is_symlink(Path("link.htm")));
  for (const std::string name : {"page.htm", "dangling", longest.c_str()})
    EXPECT_EQ(TempFolder::Read(Path(name)), "new") << name;
  EXPECT_TRUE(TempFolder::Read(Path("twin.htm")) == big) << "the other name has the old text";
  EXPECT_TRUE(fs::equivalent(Path("hard.htm"), Path("twin.htm")));
  EXPECT_EQ(TempFolder::Read(Path("thrown.htm")), "old and longer");
  const std::set<std::string> entries = {"dangling", "fifo",    "folder",     "fresh",   "hard.htm", "kept",
                                         "link.htm", longest, "page.htm", "thrown.htm", "twin.htm"};
  EXPECT_EQ(Entries(), entries);
}

// Only this file's own leftovers go; whatever merely looks like one, and a
// save under way, stay.
TEST_F(SafeWriteTest, LeftoversOfInterruptedSavesAreRemoved) {
  tmp_.Write("page.htm", "old");
  ASSERT_EQ(::symlink("page.htm", Path("link.htm").c_str()), 0);
  std::set<std::string> kept = {"page.htm", "link.htm", ".page.htm.kwsave-abc12", ".page.htm.kwsave-abc1234",
                                ".other.htm.kwsave-abc123", ".link.htm.kwsave-abc123", ".page.htm.kwsave-run123",
                                ".page.htm.kwsave-:@[`{~"};  // just outside the letters and digits
  for (const std::string& name : kept)
    if (name != "link.htm") tmp_.Write(name, "x");
  const int busy = ::open(Path(".page.htm.kwsave-run123").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);
  ASSERT_EQ(::mkdir(Path(".page.htm.kwsave-dir123").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("page.htm", Path(".page.htm.kwsave-lnk123").c_str()), 0);
  kept.insert({".page.htm.kwsave-dir123", ".page.htm.kwsave-lnk123"});
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(tmp_.Write(".page.htm.kwsave-usr123", "x").c_str(), 65534, 65534), 0);
    kept.insert(".page.htm.kwsave-usr123");
  }

  const std::function<void()> cleanUps[] = {
      [&] { RemoveStaleSaveFiles(Path("link.htm")); },  // as a document is opened
      [&] { Replace(Path("link.htm")); },
  };
  for (const auto& cleanUp : cleanUps) {
    tmp_.Write(".page.htm.kwsave-09AZaz", "stale");
    cleanUp();
    EXPECT_EQ(Entries(), kept);
  }
  EXPECT_EQ(TempFolder::Read(Path("page.htm")), "new");
  ::close(busy);
}

// A folder the user cannot write still lets a file the user can write be
// saved (in place); renaming needs only the folder's permission, so the
// file's must be checked.
TEST_F(SafeWriteTest, PermissionsOfFileAndFolder) {
  struct Case {
    const char* name;
    bool exists;
    mode_t fileMode, folderMode;
    int error;
  };
  const Case cases[] = {
      {"writable file, read-only folder", true, 0644, 0555, 0},
      {"read-only file, writable folder", true, 0444, 0777, EACCES},
      {"new file, read-only folder", false, 0, 0555, EACCES},
  };
  ASSERT_EQ(::chmod(tmp_.Path().c_str(), 0711), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = Path(c.name);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/page.htm";
    if (c.exists) {
      ::chmod(tmp_.Write(std::string(c.name) + "/page.htm", "old text").c_str(), c.fileMode);
      if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
      }
    }
    ::chmod(folder.c_str(), c.folderMode);
    EXPECT_EQ(ReplaceAsOrdinaryUser(file), c.error);
    EXPECT_EQ(TempFolder::Read(file), !c.exists ? "" : c.error == 0 ? "new" : "old text");
    EXPECT_EQ(Entries(folder), c.exists ? std::set<std::string>{"page.htm"} : std::set<std::string>{});
    ::chmod(folder.c_str(), 0755);
  }
}

}  // namespace
}  // namespace kw
