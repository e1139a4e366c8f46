// A tracing client's records caught on their way to the dispatcher, under a
// fixed clock, fixed ids and fixed names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "trace/dispatcher_link.h"
#include "trace/trace_client.h"
#include "trace/trace_environment.h"
#include "trace/trace_record.h"

namespace kw::test {

// Answers every record with Answer from a dispatcher that is always there,
// unless told otherwise.
class CapturingLink : public DispatcherLink {
 public:
  struct Sent {
    uint32_t Tag;
    std::string Bytes;
  };
  // Shared, so that what a client sends as it is destroyed can still be read.
  std::shared_ptr<std::vector<Sent>> sent = std::make_shared<std::vector<Sent>>();
  DispatcherLookup lookup{1, false};
  TraceDelivery delivery = TraceDelivery::Answered;
  int32_t answer = 1;
  int lookups = 0;

  DispatcherLookup FindDispatcher(bool) override {
    ++lookups;
    return lookup;
  }
  TraceSendResult Send(uint32_t tag, std::string_view record) override {
    sent->push_back({tag, std::string(record)});
    return {delivery, delivery == TraceDelivery::Answered ? answer : 0};
  }

  std::vector<std::string> Messages() const { return MessagesOf(*sent); }

  // "<type> <text>" of each record, in order.
  static std::vector<std::string> MessagesOf(const std::vector<Sent>& sent) {
    std::vector<std::string> messages;
    for (const Sent& s : sent) {
      const auto record = ParseTraceRecord(s.Bytes);
      messages.push_back(record ? std::to_string(record->Type) + " " + record->Text : "unreadable");
    }
    return messages;
  }
};

inline TraceEnvironment FixedTraceEnvironment() {
  TraceEnvironment env;
  env.Now = [] { return TraceStamp{37'825'678, 739'956}; };
  env.TimeZoneBias = [] { return -120; };
  env.ProcessId = [] { return 4711u; };
  env.ThreadId = [] { return 4712u; };
  env.NewGuid = [] { return std::string("{0F1E2D3C-4B5A-4978-8796-A5B4C3D2E1F0}"); };
  env.ComputerName = [] { return std::string("workstation"); };
  env.ApplicationName = [] { return std::string("kempwell"); };
  return env;
}

// Points client at a new capturing link under the fixed environment.
inline CapturingLink& CaptureTrace(TTraceClient& client) {
  auto link = std::make_unique<CapturingLink>();
  CapturingLink& captured = *link;
  client.SetLink(std::move(link));
  client.SetEnvironment(FixedTraceEnvironment());
  return captured;
}

}  // namespace kw::test
