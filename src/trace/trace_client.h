// The tracing client: reports which method the program is in and a few
// values to an external trace dispatcher, one synchronous record at a time.
// A client that cannot reach a dispatcher switches itself off; no tracing
// failure ever reaches the user.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "trace/dispatcher_link.h"
#include "trace/trace_environment.h"
#include "trace/trace_manager.h"
#include "trace/trace_record.h"

namespace kw {

// A message as OnSendMsg sees it before it is sent.
struct TTraceMsgData {
  int32_t MsgType = kTraceInfo;
  std::string Msg;
  std::vector<std::string> Details;
  uint32_t ProcessId = 0;
  uint32_t ThreadId = 0;
  std::string ComputerName;
  std::string ApplicationName;
  std::string TypeName;
  std::string Category;
  uint32_t CategoryColor = 0;
  TraceStamp TimeStamp;
};

class TTraceClient;
using TTraceSendMsgEvent = std::function<void(TTraceClient& sender, const TTraceMsgData& data, bool& handled)>;

// White, the window colour of the default desktop theme, as 0x00BBGGRR.
inline constexpr uint32_t kDefaultCategoryColor = 0x00FFFFFF;

class TTraceClient {
 public:
  TTraceClient();
  virtual ~TTraceClient();
  TTraceClient(const TTraceClient&) = delete;
  TTraceClient& operator=(const TTraceClient&) = delete;

  bool Enabled = true;
  std::string Category;
  uint32_t CategoryColor = kDefaultCategoryColor;
  std::string HexNumPrefix = "$";
  int HexViewWidth = 8;
  char QuoteChar = '\'';
  std::string DateTimeFormat;
  TTraceSendMsgEvent OnSendMsg;

  const std::string& DestinationDetails() const { return destination_; }
  // A different destination (letter case aside) unregisters; the next
  // message registers with the new one.
  void SetDestinationDetails(const std::string& destination);
  const std::string& InstanceId() const { return instanceId_; }

  void EnterMethod(std::string_view name);
  void ExitMethod(std::string_view name);
  // "<name> = <value>" as an information message.
  void SendIntegerValue(std::string_view name, int value);
  // "<name> = <quote><value><quote>" as an information message.
  void SendStringValue(std::string_view name, std::string_view value);
  // The dispatcher's answer; 0 when nothing was delivered.
  int32_t SendMsg(int32_t type, std::string_view text);

  // Where records go, and where their clock, ids and names come from.
  void SetLink(std::unique_ptr<DispatcherLink> link);
  void SetEnvironment(TraceEnvironment environment);

 private:
  int32_t SendMsgData(int32_t type, std::string_view text, std::string_view details);
  bool OfferToHandler(int32_t type, std::string_view text, std::string_view details, const TraceStamp& stamp);
  void Register();
  void Unregister();
  TraceRecord MakeRecord(int32_t type, const TraceStamp& stamp);

  std::string destination_;
  std::string instanceId_;
  std::string computerName_;
  std::string applicationName_;
  int32_t timeZoneBias_ = 0;
  uint64_t dispatcher_ = 0;
  std::unique_ptr<DispatcherLink> link_;
  TraceEnvironment environment_;
  TTraceObjectManager& manager_;
};

class TTraceMethod;

// A traced method: the exit message goes when the handle is released, by the
// end of its scope or by an exception leaving it. Move-only.
class TTraceMethodHandle {
 public:
  TTraceMethodHandle() = default;
  explicit TTraceMethodHandle(TTraceMethod* method) : method_(method) {}
  TTraceMethodHandle(TTraceMethodHandle&& other) noexcept : method_(other.method_) { other.method_ = nullptr; }
  TTraceMethodHandle& operator=(TTraceMethodHandle&& other) noexcept;
  TTraceMethodHandle(const TTraceMethodHandle&) = delete;
  TTraceMethodHandle& operator=(const TTraceMethodHandle&) = delete;
  ~TTraceMethodHandle() { Release(); }

  void Release() noexcept;

 private:
  TTraceMethod* method_ = nullptr;
};

// Adds method tracing through the manager's pooled handles.
class TTraceClientEx : public TTraceClient {
 public:
  // Sends the enter message now, the exit message when the handle goes.
  [[nodiscard]] TTraceMethodHandle TraceMethod(std::string_view name);
};

// The component the main window holds.
class TTraceObjectEx : public TTraceClientEx {};

// A traced method of client, or nothing when there is no client.
[[nodiscard]] inline TTraceMethodHandle TraceMethodOf(TTraceClientEx* client, std::string_view name) {
  return client ? client->TraceMethod(name) : TTraceMethodHandle();
}

}  // namespace kw
