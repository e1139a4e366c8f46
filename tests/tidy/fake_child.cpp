// A child process for the runner tests; its first argument chooses what it does:
//   exit [N]          ends at once, writing nothing, with exit status N (default 0)
//   flood N           N bytes of the test pattern to stdout
//   stderr N          the same to stderr
//   both              numbered lines to stdout and stderr in turn
//   ignore-term       ignores SIGTERM, says "ready" and sleeps
//   read-stdin        says "reading", then echoes stdin after its end as "eof:<bytes>"
//   fds               its open descriptors, ascending, separated by blanks
//   args              each further argument followed by a NUL byte
//   env NAME          the value of every environment entry named NAME, one a line
//   group             "leader" when it leads its process group, else "member"
//   grandchild        starts a process that keeps stdout open and sleeps, names it, ends
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

std::string OpenDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return "?";
  std::vector<int> fds;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    if (fd != ::dirfd(dir)) fds.push_back(fd);
  }
  ::closedir(dir);
  std::sort(fds.begin(), fds.end());
  std::string text;
  for (const int fd : fds) {
    if (!text.empty()) text += ' ';
    text += std::to_string(fd);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const char* arg = argc > 2 ? argv[2] : "";
  if (mode == "exit") {
    return std::atoi(arg);
  } else if (mode == "flood" || mode == "stderr") {
    WriteAll(mode == "flood" ? 1 : 2, Pattern(std::strtoul(arg, nullptr, 10)));
  } else if (mode == "both") {
    for (int i = 0; i < 5; ++i) {
      WriteAll(1, "o" + std::to_string(i) + "\n");
      WriteAll(2, "e" + std::to_string(i) + "\n");
    }
  } else if (mode == "ignore-term") {
    ::signal(SIGTERM, SIG_IGN);
    WriteAll(1, "ready\n");
    ::sleep(300);
  } else if (mode == "read-stdin") {
    WriteAll(1, "reading\n");
    std::string input;
    char buffer[4096];
    ssize_t size;
    while ((size = ::read(0, buffer, sizeof buffer)) > 0) input.append(buffer, size);
    WriteAll(1, "eof:" + input);
  } else if (mode == "fds") {
    WriteAll(1, OpenDescriptors());
  } else if (mode == "args") {
    for (int i = 2; i < argc; ++i) WriteAll(1, std::string_view(argv[i], std::strlen(argv[i]) + 1));
  } else if (mode == "env") {
    const size_t length = std::strlen(arg);
    for (char** entry = environ; *entry; ++entry) {
      if (std::strncmp(*entry, arg, length) == 0 && (*entry)[length] == '=') {
        WriteAll(1, std::string(*entry + length + 1) + "\n");
      }
    }
  } else if (mode == "group") {
    WriteAll(1, ::getpid() == ::getpgrp() ? "leader" : "member");
  } else if (mode == "grandchild") {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::sleep(300);
      ::_exit(0);
    }
    WriteAll(1, "grandchild " + std::to_string(pid) + "\n");
  } else {
    WriteAll(2, "fake_child: unknown mode " + mode + "\n");
    return 2;
  }
  return 0;
}
