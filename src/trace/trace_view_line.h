// One record as one line of a terminal.
#pragma once

#include <string>

#include "trace/trace_record.h"

namespace kw {

// "10:02:44.123  pid 4711     Enter       -  btRunClick | details": the time
// of day, process id, type and category, then the text and, when there are
// any, the details. Line breaks, other control bytes and backslashes come
// escaped (\n, \r, \t, \\, \xNN), so the line stays one line whatever the
// record holds; the other bytes are ISO-8859-1, written as UTF-8.
std::string FormatTraceLine(const TraceRecord& record);

}  // namespace kw
