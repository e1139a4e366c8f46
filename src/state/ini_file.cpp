#include "state/ini_file.h"

#include <exception>
#include <utility>

#include "common/error.h"
#include "common/latin1.h"
#include "common/safe_write.h"
#include "document/file_io.h"
#include "document/string_list.h"

namespace kw {

namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The section name of a "[name]" line; nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return Trim(t.substr(1, t.size() - 2));
}

bool IsComment(std::string_view line) {
  const std::string_view t = Trim(line);
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Position of the '=' of a "key=value" line, or npos when the line holds no key.
size_t KeySeparator(std::string_view line) {
  if (IsComment(line) || SectionName(line)) return npos;
  const size_t eq = line.find('=');
  if (eq == npos || Trim(line.substr(0, eq)).empty()) return npos;
  return eq;
}

std::string_view KeyOf(std::string_view line, size_t eq) { return Trim(line.substr(0, eq)); }

// Anything but a readable regular file is an empty settings file.
std::vector<std::string> ReadLines(const std::string& path) {
  try {
    return SplitStringList(ReadWholeFile(path));
  } catch (const EKempwellError&) {
    return {};
  }
}

std::string UnableToWrite(const std::string& path) {
  std::string message = "Unable to write to ";
  message += path;
  return message;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != npos; }

// Names and values that would read back as something else (or split the
// line) cannot be stored.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (key.empty() || key.find('=') != npos) return false;
  return key.front() != '[' && key.front() != ';' && key.front() != '#';
}

std::optional<uint32_t> ParseDigits(std::string_view digits, bool hex) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : digits) {
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    value = value * (hex ? 16 : 10) + d;
    // 2^31 is still needed for the most negative decimal; leading zeros
    // never overflow, so "$000000000" is a number.
    if (value > (hex ? 0xFFFFFFFFu : 0x80000000u)) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  std::string_view t = Trim(text);
  const bool signed_ = !t.empty() && (t.front() == '+' || t.front() == '-');
  const bool negative = signed_ && t.front() == '-';
  if (signed_) t.remove_prefix(1);
  bool hex = false;
  if (!t.empty() && t.front() == '$') {
    hex = true;
    t.remove_prefix(1);
  } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    hex = true;
    t.remove_prefix(2);
  }
  // A sign belongs to decimal text only: "-$10" is no number.
  if (hex && signed_) return std::nullopt;
  const std::optional<uint32_t> magnitude = ParseDigits(t, hex);
  if (!magnitude) return std::nullopt;
  if (!hex && !negative && *magnitude > 0x7FFFFFFFu) return std::nullopt;
  // Hexadecimal wraps on purpose: "$FFFFFFFF" is -1.
  const uint32_t bits = negative ? 0u - *magnitude : *magnitude;
  return static_cast<int32_t>(bits);
}

IniFile::IniFile(std::string path) : path_(std::move(path)), lines_(ReadLines(path_)) {}

size_t IniFile::FindSection(std::string_view section) const {
  const std::string_view wanted = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::optional<std::string_view> name = SectionName(lines_[i]);
    if (name && EqualIgnoringCaseLatin1(*name, wanted)) return i;
  }
  return npos;
}

size_t IniFile::FindKey(size_t sectionLine, std::string_view key) const {
  const std::string_view wanted = Trim(key);
  for (size_t i = sectionLine + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
    const size_t eq = KeySeparator(lines_[i]);
    if (eq != npos && EqualIgnoringCaseLatin1(KeyOf(lines_[i], eq), wanted)) return i;
  }
  return npos;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  const size_t s = FindSection(section);
  if (s == npos) return std::string(def);
  const size_t k = FindKey(s, key);
  if (k == npos) return std::string(def);
  const std::string& line = lines_[k];
  return std::string(Trim(std::string_view(line).substr(line.find('=') + 1)));
}

// A missing key reads as empty text, which is no number.
int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  return ParseIniInteger(ReadString(section, key, {})).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  const std::optional<int32_t> n = ParseIniInteger(ReadString(section, key, {}));
  return n ? *n != 0 : def;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  const size_t s = FindSection(section);
  if (s == npos) return keys;
  for (size_t i = s + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
    const size_t eq = KeySeparator(lines_[i]);
    if (eq == npos) continue;
    const std::string_view key = KeyOf(lines_[i], eq);
    bool seen = false;
    for (const std::string& k : keys) seen = seen || EqualIgnoringCaseLatin1(k, key);
    if (!seen) keys.emplace_back(key);
  }
  return keys;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  value = Trim(value);
  if (!Storable(section, key, value)) throw EKempwellError(UnableToWrite(path_));

  // Changes go to a copy so a failed write leaves memory as the disk is.
  std::vector<std::string> lines = lines_;
  const size_t s = FindSection(section);
  if (s == npos) {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back(std::string("[").append(section).append("]"));
    lines.push_back(std::string(key).append("=").append(value));
  } else if (const size_t k = FindKey(s, key); k != npos) {
    // Keep the key's spelling and the spacing around '='.
    const std::string& old = lines[k];
    size_t start = old.find('=') + 1;
    while (start < old.size() && IsBlank(old[start])) ++start;
    lines[k] = old.substr(0, start).append(value);
  } else {
    size_t insertAt = s + 1;
    for (size_t i = s + 1; i < lines.size() && !SectionName(lines[i]); ++i)
      if (KeySeparator(lines[i]) != npos) insertAt = i + 1;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 std::string(key).append("=").append(value));
  }
  Save(lines);
  lines_ = std::move(lines);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::Save(const std::vector<std::string>& lines) const {
  try {
    ReplaceFileContent(path_, [&lines](ContentSink& sink) {
      std::string text;
      for (const std::string& line : lines) {
        text += line;
        text += '\n';
      }
      sink.Write(text);
    });
  } catch (const std::exception&) {
    throw EKempwellError(UnableToWrite(path_));
  }
}

}  // namespace kw
