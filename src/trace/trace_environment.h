// What a trace record takes from the machine: the clock, the ids and the
// names. Tests replace it to get fixed bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "trace/trace_record.h"

namespace kw {

struct TraceEnvironment {
  std::function<TraceStamp()> Now;
  // Minutes to add to local time to get UTC.
  std::function<int32_t()> TimeZoneBias;
  std::function<uint32_t()> ProcessId;
  std::function<uint32_t()> ThreadId;
  // A new GUID as text in braces: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
  std::function<std::string()> NewGuid;
  std::function<std::string()> ComputerName;
  // The executable's file name without folder and extension.
  std::function<std::string()> ApplicationName;
};

TraceEnvironment SystemTraceEnvironment();

}  // namespace kw
