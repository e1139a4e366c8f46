#include "about/about_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <QLocale>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "tidy/tidy_query.h"

namespace kw {

namespace {

// A shell-style value: "double" quotes take backslash escapes, 'single'
// quotes none; an unquoted value is kept as written.
std::string Unquote(std::string_view value) {
  if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front())
    return std::string(value);
  const char quote = value.front();
  value = value.substr(1, value.size() - 2);
  if (quote == '\'') return std::string(value);
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Digits at the front of s, taken off it; 0 when there are none or too many.
int TakeNumber(std::string_view& s) {
  size_t digits = 0;
  while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
  int value = 0;
  if (std::from_chars(s.data(), s.data() + digits, value).ec != std::errc()) value = 0;
  s.remove_prefix(digits);
  return value;
}

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string OsReleaseName(std::string_view contents) {
  std::map<std::string, std::string, std::less<>> values;
  while (!contents.empty()) {
    const size_t end = contents.find('\n');
    const std::string_view line = Trim(contents.substr(0, end));
    contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
    values[std::string(Trim(line.substr(0, equals)))] = Unquote(Trim(line.substr(equals + 1)));
  }
  auto value = [&](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
  if (std::string pretty = value("PRETTY_NAME"); !pretty.empty()) return pretty;
  std::string name = value("NAME");
  if (const std::string version = value("VERSION"); !name.empty() && !version.empty()) name += " " + version;
  return name;
}

OsVersion OsVersionFrom(std::string name, std::string_view kernelRelease) {
  OsVersion os;
  os.Name = std::move(name);
  std::string_view rest = kernelRelease;
  int* const numbers[] = {&os.Major, &os.Minor, &os.Build};
  for (size_t i = 0; i < std::size(numbers); ++i) {
    if (i > 0) {
      if (rest.size() < 2 || rest.front() != '.' || !std::isdigit(static_cast<unsigned char>(rest[1]))) break;
      rest.remove_prefix(1);
    }
    *numbers[i] = TakeNumber(rest);
  }
  while (!rest.empty() && (rest.front() == '-' || rest.front() == '.' || rest.front() == '+' || rest.front() == '_'))
    rest.remove_prefix(1);
  os.Extra = std::string(rest);
  return os;
}

std::string OsLine(const OsVersion& os) {
  std::string line = os.Name + " " + std::to_string(os.Major) + "." + std::to_string(os.Minor) + " (Build " +
                     std::to_string(os.Build);
  if (!os.Extra.empty()) line += ": " + os.Extra;
  return line + ")";
}

QString PhysMemText(uint64_t totalBytes, const QLocale& locale) {
  const uint64_t kilobytes = totalBytes >> 10;
  // "#,###" writes no digit for zero.
  const QString digits = kilobytes == 0 ? QString() : QString::number(kilobytes);
  QString grouped;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += locale.groupSeparator();
    grouped += digits[i];
  }
  return grouped + QStringLiteral(" KB");
}

SystemFacts ReadSystemFacts() {
  SystemFacts facts;
  std::string osRelease = ReadFile("/etc/os-release");
  if (osRelease.empty()) osRelease = ReadFile("/usr/lib/os-release");
  std::string name = OsReleaseName(osRelease);
  struct utsname uts {};
  const bool haveUname = ::uname(&uts) == 0;
  if (name.empty() && haveUname) name = uts.sysname;
  facts.Os = OsVersionFrom(std::move(name), haveUname ? uts.release : "");
  struct sysinfo info {};
  if (::sysinfo(&info) == 0)
    facts.PhysicalMemory = static_cast<uint64_t>(info.totalram) * static_cast<uint64_t>(info.mem_unit);
  return facts;
}

std::string TidyVersionLine(const std::string& programDir) {
  const TidyAnswer answer = AskTidy(programDir, "-v", std::chrono::seconds(2));
  if (answer.StartError == ENOENT) return "tidy: not found";
  if (answer.StartError != 0) return "tidy: cannot be started (" + std::generic_category().message(answer.StartError) + ")";
  if (answer.TimedOut) return "tidy: gave no version within two seconds";
  std::string_view output = answer.Output;
  while (!output.empty()) {
    const size_t end = output.find('\n');
    if (const std::string_view line = Trim(output.substr(0, end)); !line.empty()) return "tidy: " + std::string(line);
    output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
  }
  return "tidy: gave no version";
}

}  // namespace kw
