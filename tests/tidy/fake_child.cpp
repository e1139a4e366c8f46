// A child process for the runner tests, for what a shell cannot show; its
// first argument chooses what it does:
//   flood N [FD]      N bytes of the test pattern to FD (default 1)
//   describe ARGS...  its open descriptors, whether it leads its process
//                     group, LC_ALL, PATH and KW_RUNNER_KEPT, one a line,
//                     then each further argument followed by a NUL byte
#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

namespace {

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) ::_exit(3);
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

// Its period does not divide the runner's chunk size, so a lost, doubled or
// swapped chunk shows. The tests hold the same rule.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('!' + i % 89);
  return bytes;
}

std::string Described(int argc, char** argv) {
  DIR* dir = ::opendir("/proc/self/fd");
  std::set<int> fds;
  while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
    if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != ::dirfd(dir)) fds.insert(std::atoi(entry->d_name));
  }
  if (dir) ::closedir(dir);
  std::string text;
  for (const int fd : fds) text += std::to_string(fd) + " ";
  text += ::getpid() == ::getpgrp() ? "leader\n" : "member\n";
  for (const char* name : {"LC_ALL", "PATH", "KW_RUNNER_KEPT"}) {
    const char* value = std::getenv(name);
    text.append(value ? value : "").push_back('\n');
  }
  for (int i = 2; i < argc; ++i) text.append(argv[i], std::strlen(argv[i]) + 1);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const char* arg = argc > 2 ? argv[2] : "";
  if (mode == "flood") {
    WriteAll(argc > 3 ? std::atoi(argv[3]) : 1, Pattern(std::strtoul(arg, nullptr, 10)));
  } else if (mode == "describe") {
    WriteAll(1, Described(argc, argv));
  } else {
    return 2;
  }
  return 0;
}
