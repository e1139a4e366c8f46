#include "trace/trace_client.h"

#include <exception>
#include <utility>

#include "common/latin1.h"
#include "document/string_list.h"

namespace kw {

namespace {

constexpr size_t kComputerNameLimit = 15;
constexpr size_t kApplicationNameLimit = 40;

}  // namespace

TTraceClient::TTraceClient()
    : link_(std::make_unique<SocketDispatcherLink>()),
      environment_(SystemTraceEnvironment()),
      manager_(TTraceObjectManager::Instance()) {
  timeZoneBias_ = environment_.TimeZoneBias();
  manager_.AddClient(this);
}

TTraceClient::~TTraceClient() {
  Unregister();
  manager_.RemoveClient(this);
}

void TTraceClient::SetDestinationDetails(const std::string& destination) {
  if (!EqualIgnoringCaseLatin1(destination, destination_)) Unregister();
  destination_ = destination;
}

void TTraceClient::SetLink(std::unique_ptr<DispatcherLink> link) {
  link_ = std::move(link);
  dispatcher_ = 0;
}

void TTraceClient::SetEnvironment(TraceEnvironment environment) {
  environment_ = std::move(environment);
  timeZoneBias_ = environment_.TimeZoneBias();
  computerName_.clear();
  applicationName_.clear();
}

void TTraceClient::EnterMethod(std::string_view name) { SendMsgData(kTraceEnterMethod, name, {}); }

void TTraceClient::ExitMethod(std::string_view name) { SendMsgData(kTraceExitMethod, name, {}); }

void TTraceClient::SendIntegerValue(std::string_view name, int value) {
  if (!Enabled) return;
  std::string text(name);
  text += " = ";
  text += std::to_string(value);
  SendMsgData(kTraceInfo, text, {});
}

void TTraceClient::SendStringValue(std::string_view name, std::string_view value) {
  if (!Enabled) return;
  std::string text;
  text.reserve(name.size() + value.size() + 5);
  text.append(name).append(" = ").append(1, QuoteChar).append(value).append(1, QuoteChar);
  SendMsgData(kTraceInfo, text, {});
}

int32_t TTraceClient::SendMsg(int32_t type, std::string_view text) { return SendMsgData(type, text, {}); }

int32_t TTraceClient::SendMsgData(int32_t type, std::string_view text, std::string_view details) {
  if (!Enabled) return 0;
  const TraceStamp stamp = environment_.Now();
  if (OnSendMsg && !IsTraceControlType(type) && OfferToHandler(type, text, details, stamp)) return 0;

  const DispatcherLookup found = link_->FindDispatcher(type != kTraceUnregister);
  if (found.CannotStart) {
    Enabled = false;
    return 0;
  }
  if (!IsTraceControlType(type)) {
    const bool newDispatcher = found.Dispatcher != 0 && found.Dispatcher != dispatcher_;
    dispatcher_ = found.Dispatcher;
    if (instanceId_.empty() || newDispatcher) {
      Register();
      if (!Enabled) return 0;
    }
  }
  if (found.Dispatcher == 0) return 0;

  TraceRecord record = MakeRecord(type, stamp);
  record.Text = text;
  record.Details = details;
  const TraceSendResult sent = link_->Send(static_cast<uint32_t>(type), BuildTraceRecord(record));
  // A dispatcher that holds the program up is worse than no tracing.
  if (sent.Delivery == TraceDelivery::NoAnswer) Enabled = false;
  return sent.Result;
}

bool TTraceClient::OfferToHandler(int32_t type, std::string_view text, std::string_view details,
                                  const TraceStamp& stamp) {
  const TraceRecord record = MakeRecord(type, stamp);
  TTraceMsgData data;
  data.MsgType = type;
  data.Msg = text;
  data.Details = SplitStringList(details);
  data.ProcessId = record.ProcessId;
  data.ThreadId = record.ThreadId;
  data.ComputerName = record.ComputerName;
  data.ApplicationName = record.ApplicationName;
  data.TypeName = record.TypeName;
  data.Category = record.Category;
  data.CategoryColor = record.CategoryColor;
  data.TimeStamp = stamp;
  bool handled = true;
  OnSendMsg(*this, data, handled);
  return handled;
}

void TTraceClient::Register() {
  if (instanceId_.empty()) instanceId_ = environment_.NewGuid();
  const std::string& destination =
      destination_.empty() ? std::string(TTraceObjectManager::DefaultDestination) : destination_;
  if (SendMsgData(kTraceRegister, destination, {}) == 0) Enabled = false;
}

void TTraceClient::Unregister() {
  if (instanceId_.empty()) return;
  SendMsgData(kTraceUnregister, {}, {});
  instanceId_.clear();
}

TraceRecord TTraceClient::MakeRecord(int32_t type, const TraceStamp& stamp) {
  // Names are looked up once, when the first record needs them.
  if (computerName_.empty()) computerName_ = environment_.ComputerName().substr(0, kComputerNameLimit);
  if (applicationName_.empty()) applicationName_ = environment_.ApplicationName().substr(0, kApplicationNameLimit);
  TraceRecord record;
  record.Type = type;
  record.Stamp = stamp;
  record.TimeZoneBias = timeZoneBias_;
  record.ProcessId = environment_.ProcessId();
  record.ThreadId = environment_.ThreadId();
  record.InstanceId = instanceId_;
  record.ComputerName = computerName_;
  record.ApplicationName = applicationName_;
  record.Category = Category;
  record.CategoryColor = CategoryColor;
  return record;
}

TTraceMethodHandle& TTraceMethodHandle::operator=(TTraceMethodHandle&& other) noexcept {
  if (this != &other) {
    Release();
    method_ = std::exchange(other.method_, nullptr);
  }
  return *this;
}

void TTraceMethodHandle::Release() noexcept {
  TTraceMethod* method = std::exchange(method_, nullptr);
  if (!method) return;
  TTraceObjectManager& manager = TTraceObjectManager::Instance();
  if (!method->Left) {
    method->Left = true;
    try {
      method->Client->ExitMethod(method->Name);
      manager.Stack().Pop();
    } catch (const std::exception& error) {
      try {
        manager.DefaultClient().SendMsg(kTraceError, error.what());
      } catch (...) {
      }
    }
  }
  manager.ReleaseMethod(method);
}

TTraceMethodHandle TTraceClientEx::TraceMethod(std::string_view name) {
  if (!Enabled) return {};
  TTraceObjectManager& manager = TTraceObjectManager::Instance();
  TTraceMethod* method = manager.AcquireMethod();
  method->Client = this;
  method->Name = name;
  method->Left = false;
  EnterMethod(name);
  manager.Stack().Push(this);
  return TTraceMethodHandle(method);
}

}  // namespace kw
