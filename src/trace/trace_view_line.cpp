#include "trace/trace_view_line.h"

#include <cstdio>
#include <string_view>

namespace kw {

namespace {

// Padded to the longest word, "Unregister".
constexpr int kTypeWidth = 10;
// Linux process ids have up to seven digits.
constexpr int kPidWidth = 7;

std::string TypeWord(int32_t type) {
  switch (type) {
    case kTraceInfo: return "Info";
    case kTraceWarning: return "Warning";
    case kTraceError: return "Error";
    case kTraceObject: return "Object";
    case kTraceEnterMethod: return "Enter";
    case kTraceExitMethod: return "Exit";
    case kTraceRegister: return "Register";
    case kTraceUnregister: return "Unregister";
    default: return "Type " + std::to_string(type);
  }
}

void AppendEscaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      // 0x80..0x9F too: as UTF-8 they are C1 controls, which terminals act on
      // and of which U+0085 is a line break.
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace

std::string FormatTraceLine(const TraceRecord& record) {
  // Unsigned, so a nonsensical time still prints as digits.
  const auto ms = static_cast<uint32_t>(record.Stamp.TimeOfDay);
  char head[96];
  std::snprintf(head, sizeof head, "%02u:%02u:%02u.%03u  pid %-*u  %-*s  ",
                static_cast<unsigned>(ms / 3600000), static_cast<unsigned>(ms / 60000 % 60),
                static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000), kPidWidth,
                static_cast<unsigned>(record.ProcessId), kTypeWidth, TypeWord(record.Type).c_str());
  std::string line = head;
  line.reserve(line.size() + record.Category.size() + record.Text.size() + record.Details.size() + 8);
  if (record.Category.empty()) line += '-';
  else AppendEscaped(line, record.Category);
  line += "  ";
  AppendEscaped(line, record.Text);
  if (!record.Details.empty()) {
    line += " | ";
    AppendEscaped(line, record.Details);
  }
  return line;
}

}  // namespace kw
