#include "trace/trace_view_line.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

// Columns line up, missing parts show as such, and every byte keeps the line
// one terminal line: Latin-1 letters become UTF-8; C1 controls, NEL among
// them, stay escaped.
TEST(TraceViewLine, ColumnsAndEscapes) {
  const struct {
    int32_t type;
    std::string category, text, details, line;
  } rows[] = {
      {kTraceEnterMethod, "", "btRunClick", "", "Enter       -  btRunClick"},
      {kTraceUnregister, "Viewer", "bye", "why", "Unregister  Viewer  bye | why"},
      {77, "", "x", "", "Type 77     -  x"},
      {kTraceInfo, "a\tb", std::string("1\\2\r\n3\x01\x7F\0", 9), "x\ny",
       "Info        a\\tb  1\\\\2\\r\\n3\\x01\\x7F\\x00 | x\\ny"},
      {kTraceInfo, "", "\xE9t\xE9\xFF\xA0\x85\x9B", "",
       "Info        -  \xC3\xA9t\xC3\xA9\xC3\xBF\xC2\xA0\\x85\\x9B"},
  };
  for (const auto& row : rows) {
    TraceRecord record;
    record.Type = row.type;
    record.Stamp.TimeOfDay = ((10 * 60 + 2) * 60 + 44) * 1000 + 123;
    record.ProcessId = 4711;
    record.Category = row.category;
    record.Text = row.text;
    record.Details = row.details;
    EXPECT_EQ(FormatTraceLine(record), "10:02:44.123  pid 4711     " + row.line);
  }
}

}  // namespace
}  // namespace kw
