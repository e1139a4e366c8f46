// Settings files of sections ("[name]") and "key=value" lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The integer rules of the settings files: decimal text with an optional
// sign, or hexadecimal without a sign after a leading "$", or after a leading
// "0x" / "0X" when the text is longer than two characters, with as many
// digits as it likes. Anything else, or a value outside 32 bits, is no
// number. Blanks around the text are ignored.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// One settings file. Sections and keys are found without regard to letter
// case (ISO-8859-1); writing keeps every other section, key, comment and
// line as it was. The file is read when the object is made; a missing or
// unreadable file reads as empty. Every write goes to disk at once, through
// a temporary file renamed over the old one.
class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& FileName() const { return path_; }

  // The value with the blanks around it removed, or def when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // Any non-zero number is true and zero is false; def for no number.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // The keys of a section in file order; empty when there is no such section.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;

  // Sets the key (adding the section or key where missing) and writes the
  // file. Throws EKempwellError("Unable to write to <path>") when it cannot.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  // "1" for true, "0" for false.
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  std::string path_;
  std::vector<std::string> lines_;  // the file as read, without line breaks

  // Index of the "[section]" line, or npos.
  size_t FindSection(std::string_view section) const;
  // Index of the key's line within the section that starts at sectionLine, or npos.
  size_t FindKey(size_t sectionLine, std::string_view key) const;
  // Writes these lines as the file's new content.
  void Save(const std::vector<std::string>& lines) const;
};

}  // namespace kw
