// The tracing client against a captured link: the record bytes of each
// message type, registration, switching off, the send handler and the
// method handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "support/temp_files.h"
#include "support/trace_capture.h"
#include "trace/trace_client.h"
#include "trace/trace_manager.h"

namespace kw {
namespace {

using Strings = std::vector<std::string>;

// The golden hex dump of a record: "<offset>  <byte> <byte> ..." per 16 bytes.
std::string HexDump(const std::string& bytes) {
  std::string out;
  char cell[24];
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 16 == 0) {
      std::snprintf(cell, sizeof cell, "%s%04zx ", i ? "\n" : "", i);
      out += cell;
    }
    std::snprintf(cell, sizeof cell, " %02x", static_cast<unsigned char>(bytes[i]));
    out += cell;
  }
  return out + "\n";
}

std::string Golden(const std::string& name) {
  return test::TempFolder::Read(std::string(KW_TRACE_GOLDEN_DIR) + "/" + name + ".hex");
}

void LookLikeTheGoldenClient(TTraceClient& client) {
  client.Category = "Tidy run";
  client.CategoryColor = 0x00F0E0D0;
}

// An error leaving a method (its entry missing from the stack) goes through
// the default client; the method's exit is sent all the same.
TEST(TraceClient, RecordsOfEachTypeMatchTheirGoldenBytes) {
  TTraceObjectManager& manager = TTraceObjectManager::Instance();
  TTraceClient& fallback = manager.DefaultClient();
  LookLikeTheGoldenClient(fallback);
  const auto errors = test::CaptureTrace(fallback).sent;
  std::shared_ptr<std::vector<test::CapturingLink::Sent>> sent;
  {
    TTraceClientEx client;
    LookLikeTheGoldenClient(client);
    sent = test::CaptureTrace(client).sent;
    const TTraceMethodHandle trace = client.TraceMethod("btRunClick");
    client.SendIntegerValue("Error Count", 2);
    client.SendStringValue("ErlistText", "line 1 column 1 - Warning: \xe9\nline 2\r\n");
    client.SendMsg(kTraceWarning, "Warning text\r\n");
    manager.Stack().Pop();
  }
  const Strings names = {"register",   "enter_method", "integer_value", "string_value",
                         "crlf_dropped", "exit_method",  "unregister"};
  ASSERT_EQ(sent->size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(HexDump((*sent)[i].Bytes), Golden(names[i])) << names[i];
    EXPECT_EQ((*sent)[i].Tag, static_cast<uint32_t>(ParseTraceRecord((*sent)[i].Bytes)->Type)) << names[i];
  }
  ASSERT_EQ(errors->size(), 2u);
  EXPECT_EQ(HexDump(errors->back().Bytes), Golden("error"));
  fallback.SetLink(std::make_unique<test::CapturingLink>());
}

TEST(TraceClient, SwitchesItselfOffAndStaysOff) {
  struct Case {
    const char* name;
    DispatcherLookup lookup;
    int32_t answer;
    TraceDelivery delivery;
    Strings sent;
  } cases[] = {
      {"cannot start a dispatcher", {0, true}, 1, TraceDelivery::Answered, {}},
      {"registration refused", {1, false}, 0, TraceDelivery::Answered, {"41 Viewer"}},
      {"no answer in time", {1, false}, 1, TraceDelivery::NoAnswer, {"41 Viewer"}},
  };
  for (const Case& c : cases) {
    TTraceClientEx client;
    test::CapturingLink& link = test::CaptureTrace(client);
    link.lookup = c.lookup;
    link.answer = c.answer;
    link.delivery = c.delivery;
    {
      const TTraceMethodHandle trace = client.TraceMethod("btRunClick");
      client.SendIntegerValue("Error Count", 1);
    }
    const int lookups = link.lookups;
    client.SendStringValue("ErlistText", "x");
    EXPECT_FALSE(client.Enabled) << c.name;
    EXPECT_EQ(link.Messages(), c.sent) << c.name;
    EXPECT_EQ(link.lookups, lookups) << c.name << ": a disabled client looked for its dispatcher";
  }
}

// A new destination unregisters, and the next message registers with it.
TEST(TraceClient, RegistersOnceAndAgainWithEachNewDispatcherOrDestination) {
  TTraceClientEx client;
  test::CapturingLink& link = test::CaptureTrace(client);
  client.SetDestinationDetails("Screen");
  client.SendMsg(kTraceInfo, "a");
  client.SendMsg(kTraceInfo, "b");
  link.lookup = {0, false};  // gone, and none started: the message is lost
  client.SendMsg(kTraceInfo, "lost");
  link.lookup = {2, false};
  client.SendMsg(kTraceInfo, "c");
  EXPECT_TRUE(client.Enabled);
  EXPECT_EQ(client.InstanceId(), "{0F1E2D3C-4B5A-4978-8796-A5B4C3D2E1F0}");
  client.SetDestinationDetails("SCREEN");  // the same, letter case aside
  client.SendMsg(kTraceInfo, "d");
  client.SetDestinationDetails("Screen 2");
  EXPECT_TRUE(client.InstanceId().empty());
  client.SendMsg(kTraceInfo, "e");
  EXPECT_EQ(link.Messages(),
            (Strings{"41 Screen", "0 a", "0 b", "41 Screen", "0 c", "0 d", "42 ", "41 Screen 2", "0 e"}));
}

TEST(TraceClient, SendHandlerSeesOnlyOrdinaryMessagesAndMayKeepThem) {
  TTraceClientEx client;
  test::CapturingLink& link = test::CaptureTrace(client);
  client.Category = "run";
  Strings offered;
  bool keep = true;
  client.OnSendMsg = [&](TTraceClient&, const TTraceMsgData& data, bool& handled) {
    offered.push_back(std::to_string(data.MsgType) + " " + data.Msg + " [" + data.Category + "] " +
                      std::to_string(data.Details.size()) + " " + std::to_string(data.ProcessId));
    handled = keep;
  };
  client.SendMsg(kTraceInfo, "kept");
  EXPECT_TRUE(link.sent->empty());
  keep = false;
  client.SendMsg(kTraceWarning, "passed on");
  client.SetDestinationDetails("Other");
  EXPECT_EQ(offered, (Strings{"0 kept [run] 0 4711", "1 passed on [run] 0 4711"}));
  EXPECT_EQ(link.Messages(), (Strings{"41 Viewer", "1 passed on", "42 "}));
}

TEST(TraceClient, MethodHandlesComeFromThePoolAndBalanceTheStack) {
  TTraceObjectManager& manager = TTraceObjectManager::Instance();
  const size_t freeBefore = manager.FreeMethods();
  ASSERT_EQ(freeBefore, TTraceObjectManager::InitialPoolSize);
  TTraceClientEx client;
  test::CapturingLink& link = test::CaptureTrace(client);
  {
    std::vector<TTraceMethodHandle> nested;
    for (int i = 0; i < 12; ++i) nested.push_back(client.TraceMethod(std::string("m").append(std::to_string(i))));
    EXPECT_EQ(manager.Stack().Count(), 12u);
    EXPECT_EQ(manager.FreeMethods(), 0u);
    TTraceMethodHandle moved = std::move(nested.back());
    nested.pop_back();
    EXPECT_EQ(manager.Stack().Count(), 12u) << "moving a handle left its method";
  }
  EXPECT_EQ(manager.Stack().Count(), 0u);
  EXPECT_EQ(manager.FreeMethods(), 12u);
  const Strings messages = link.Messages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "10 m11"), 1);

  EXPECT_THROW(
      {
        const TTraceMethodHandle trace = client.TraceMethod("Throwing");
        throw std::runtime_error("out");
      },
      std::runtime_error);
  EXPECT_EQ(link.Messages().back(), "10 Throwing");

  client.Enabled = false;
  const TTraceMethodHandle off = client.TraceMethod("off");
  EXPECT_EQ(manager.FreeMethods(), 12u);
  EXPECT_EQ(manager.Stack().Count(), 0u);
}

TEST(TraceRecord, DatesCountFromTheFirstDayOfYearOne) {
  EXPECT_EQ(TraceDateOf(1, 1, 1), 1);
  EXPECT_EQ(TraceDateOf(1970, 1, 1), 719163);
  EXPECT_EQ(TraceDateOf(2000, 2, 29), 730179);
  EXPECT_EQ(TraceDateOf(2026, 12, 6), 739956);
}

// Sizes that disagree are the dispatcher test's malformed frames.
TEST(TraceRecord, ReadsBackWhatItWrites) {
  TraceRecord record;
  record.Type = kTraceObject;
  record.InstanceId = std::string(60, 'i');  // longer than its field
  record.TypeName = "TForm1";
  record.Text = std::string("a\0b", 3);
  record.Details = "x = 1\r\ny = 2\r\n";
  const std::optional<TraceRecord> back = ParseTraceRecord(BuildTraceRecord(record));
  ASSERT_TRUE(back);
  record.InstanceId.resize(41);
  EXPECT_EQ(BuildTraceRecord(*back), BuildTraceRecord(record));
  EXPECT_EQ(back->Text, record.Text);
  EXPECT_EQ(back->Details, record.Details);
}

}  // namespace
}  // namespace kw
