// Command lines as one string: the C runtime's splitting rules, quoting that
// survives them, and the lookup of the program the line names.
#include "common/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// 0 for an executable regular file, EACCES for a regular file that may not
// be executed, ENOENT for anything else.
int ExecutableFileError(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ENOENT;
  return ::access(path.c_str(), X_OK) == 0 ? 0 : EACCES;
}

// An empty directory is the working directory, as in PATH.
std::string InDirectory(const std::string& dir, const std::string& name) {
  if (dir.empty()) return "./" + name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string SearchPath() {
  if (const char* path = std::getenv("PATH")) return path;
  // Without PATH, the C library's own default.
  const size_t size = ::confstr(_CS_PATH, nullptr, 0);
  std::string fallback(size, '\0');
  if (size > 0) ::confstr(_CS_PATH, fallback.data(), size);
  return fallback.c_str();
}

// A file that may not be executed is passed over for one further on, as a
// shell does, and only named in failure (EACCES) when there is none.
std::string SearchProgram(const std::string& program, const std::string& searchDir, int& failure) {
  const auto usable = [&failure](const std::string& candidate) {
    const int result = ExecutableFileError(candidate);
    if (result == EACCES) failure = EACCES;
    return result == 0;
  };
  if (program.find('/') != std::string::npos) return program;
  if (!searchDir.empty() && usable(InDirectory(searchDir, program))) return InDirectory(searchDir, program);
  const std::string path = SearchPath();
  for (size_t start = 0;;) {
    const size_t colon = path.find(':', start);
    const std::string candidate = InDirectory(path.substr(start, colon - start), program);
    if (usable(candidate)) return candidate;
    if (colon == std::string::npos) return {};
    start = colon + 1;
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  for (SplitArgument& arg : SplitCommandLineAt(line)) args.push_back(std::move(arg.Text));
  return args;
}

std::vector<SplitArgument> SplitCommandLineAt(std::string_view line) {
  std::vector<SplitArgument> args;
  const size_t end = line.size();
  size_t i = 0;
  for (;;) {
    if (!args.empty()) args.back().End = i;
    while (i < end && IsBlank(line[i])) ++i;
    if (i == end) return args;
    args.push_back({{}, i, i});
    std::string& arg = args.back().Text;
    bool quoted = false;
    while (i < end && (quoted || !IsBlank(line[i]))) {
      size_t backslashes = 0;
      for (; i < end && line[i] == '\\'; ++i) ++backslashes;
      if (i < end && line[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else if (quoted && i + 1 < end && line[i + 1] == '"') {
          arg += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < end && (quoted || !IsBlank(line[i]))) arg += line[i++];
      }
    }
  }
}

std::string QuoteArgument(std::string_view argument, bool alwaysQuote) {
  const bool quote =
      alwaysQuote || argument.empty() || argument.find_first_of(" \t") != std::string_view::npos;
  std::string quoted;
  if (quote) quoted += '"';
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '"') quoted.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    quoted += c;
  }
  if (quote) {
    // Doubled, the backslashes at the end leave the closing quote a quote.
    quoted.append(backslashes, '\\');
    quoted += '"';
  }
  return quoted;
}

std::string FindProgram(const std::string& program, const std::string& searchDir, int* error) {
  int failure = ENOENT;
  const std::string found = program.empty() ? std::string() : SearchProgram(program, searchDir, failure);
  if (error) *error = found.empty() ? failure : 0;
  return found;
}

}  // namespace kw
