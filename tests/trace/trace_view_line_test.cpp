#include "trace/trace_view_line.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

TraceRecord Record(int32_t type, std::string category, std::string text, std::string details = {}) {
  TraceRecord record;
  record.Type = type;
  record.Stamp.TimeOfDay = ((10 * 60 + 2) * 60 + 44) * 1000 + 123;
  record.ProcessId = 4711;
  record.Category = std::move(category);
  record.Text = std::move(text);
  record.Details = std::move(details);
  return record;
}

TEST(TraceViewLine, ColumnsLineUpAndMissingPartsShowAsSuch) {
  EXPECT_EQ(FormatTraceLine(Record(kTraceEnterMethod, "", "btRunClick")),
            "10:02:44.123  pid 4711     Enter       -  btRunClick");
  EXPECT_EQ(FormatTraceLine(Record(kTraceUnregister, "Viewer", "bye", "why")),
            "10:02:44.123  pid 4711     Unregister  Viewer  bye | why");
  EXPECT_EQ(FormatTraceLine(Record(77, "", "x")), "10:02:44.123  pid 4711     Type 77     -  x");
}

TEST(TraceViewLine, EveryByteKeepsTheLineOneTerminalLine) {
  const std::string line =
      FormatTraceLine(Record(kTraceInfo, "a\tb", std::string("1\\2\r\n3\x01\x7F\0", 9), "x\ny"));
  EXPECT_EQ(line, "10:02:44.123  pid 4711     Info        a\\tb  1\\\\2\\r\\n3\\x01\\x7F\\x00 | x\\ny");
  // Latin-1 letters become UTF-8; C1 controls, NEL among them, stay escaped.
  EXPECT_EQ(FormatTraceLine(Record(kTraceInfo, "", "\xE9t\xE9\xFF\xA0\x85\x9B")),
            "10:02:44.123  pid 4711     Info        -  \xC3\xA9t\xC3\xA9\xC3\xBF\xC2\xA0\\x85\\x9B");
}

}  // namespace
}  // namespace kw
