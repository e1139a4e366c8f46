// The trace record: one message as the dispatcher receives it. A 217-byte
// header of little-endian integers and zero-terminated 8-bit texts, then the
// message text, the details text and three zero bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// Message types. 40..99 are the client's own control messages.
enum TraceMsgType : int32_t {
  kTraceInfo = 0,
  kTraceWarning = 1,
  kTraceError = 2,
  kTraceObject = 4,
  kTraceEnterMethod = 9,
  kTraceExitMethod = 10,
  kTraceRegister = 41,
  kTraceUnregister = 42,
};

inline bool IsTraceControlType(int32_t type) { return type >= 40 && type <= 99; }

// Local time of a message.
struct TraceStamp {
  int32_t TimeOfDay = 0;  // milliseconds since local midnight
  int32_t Date = 0;       // days since 1 January of year 1, plus one
};

struct TraceRecord {
  int32_t Type = kTraceInfo;
  TraceStamp Stamp;
  int32_t TimeZoneBias = 0;  // minutes to add to local time to get UTC
  uint32_t ProcessId = 0;
  uint32_t ThreadId = 0;
  std::string InstanceId;    // "{...}" GUID text; at most 41 bytes are sent
  std::string ComputerName;  // at most 15
  std::string ApplicationName;  // at most 40
  std::string Category;         // at most 40
  uint32_t CategoryColor = 0;
  std::string TypeName;  // at most 40
  std::string Text;
  std::string Details;
};

inline constexpr size_t kTraceHeaderSize = 217;
inline constexpr size_t kTraceTrailerSize = 3;

// The record's bytes: 220 + L + D of them, where L is the text's length
// without a trailing CR LF and D the details' length. Longer fixed-size
// texts are cut to their field.
std::string BuildTraceRecord(const TraceRecord& record);

// The record those bytes hold, or nothing when their size disagrees with the
// lengths they declare. Fixed-size texts end at their first zero byte.
std::optional<TraceRecord> ParseTraceRecord(std::string_view bytes);

// The date field for a civil date (1 January 0001 gives 1).
int32_t TraceDateOf(int year, unsigned month, unsigned day);

}  // namespace kw
