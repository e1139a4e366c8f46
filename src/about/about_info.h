// The about box's system lines: the operating system and its version, and the
// machine's physical memory, from values read once from the running system.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

class QLocale;

namespace kw {

// The running system as the about box names it. Texts are UTF-8, as the
// system files hold them.
struct OsVersion {
  std::string Name;  // the distribution's name, or the kernel's when there is none
  int Major = 0;
  int Minor = 0;
  int Build = 0;
  std::string Extra;  // what the kernel release has after its three numbers
};

struct SystemFacts {
  OsVersion Os;
  uint64_t PhysicalMemory = 0;  // bytes
};

// The name in an os-release file: PRETTY_NAME, else NAME with VERSION after a
// blank; empty when neither is given. Values may be quoted as in a shell.
std::string OsReleaseName(std::string_view contents);

// Name plus the numbers of a kernel release such as "6.1.0-18-amd64": major,
// minor and patch level, and the rest ("18-amd64") without its separator.
// Numbers that are missing or too large read as 0.
OsVersion OsVersionFrom(std::string name, std::string_view kernelRelease);

// "<name> <major>.<minor> (Build <build>)", or "(Build <build>: <extra>)"
// when there is an extra text.
std::string OsLine(const OsVersion& os);

// Total memory in KB (the low 10 bits dropped) with the locale's group
// separator every three digits, then " KB". Zero KB shows no digits at all.
QString PhysMemText(uint64_t totalBytes, const QLocale& locale);

// This machine: /etc/os-release (or /usr/lib/os-release), uname, sysinfo.
SystemFacts ReadSystemFacts();

// "tidy: " and the first line of "tidy -v" from the tidy a run would use
// (AskTidy), "tidy: not found", or why it gave no version. It waits for
// tidy at most two seconds.
std::string TidyVersionLine(const std::string& programDir);

}  // namespace kw
