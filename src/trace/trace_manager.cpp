#include "trace/trace_manager.h"

#include <algorithm>

#include "common/error.h"
#include "trace/trace_client.h"

namespace kw {

TTraceClient* TTraceStack::Pop() {
  if (clients_.empty()) throw EKempwellError("Stack is empty.");
  TTraceClient* top = clients_.back();
  clients_.pop_back();
  return top;
}

TTraceObjectManager& TTraceObjectManager::Instance() {
  static TTraceObjectManager manager;
  return manager;
}

TTraceObjectManager::TTraceObjectManager() {
  for (size_t i = 0; i < InitialPoolSize; ++i) methods_.push_back(std::make_unique<TTraceMethod>());
  for (const auto& method : methods_) free_.push_back(method.get());
}

void TTraceObjectManager::AddClient(TTraceClient* client) {
  const std::lock_guard lock(clientsLock_);
  clients_.push_back(client);
}

void TTraceObjectManager::RemoveClient(TTraceClient* client) {
  const std::lock_guard lock(clientsLock_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

size_t TTraceObjectManager::ClientCount() const {
  const std::lock_guard lock(clientsLock_);
  return clients_.size();
}

TTraceClient& TTraceObjectManager::DefaultClient() {
  if (!defaultClient_) defaultClient_ = std::make_unique<TTraceClient>();
  return *defaultClient_;
}

TTraceMethod* TTraceObjectManager::AcquireMethod() {
  if (free_.empty()) {
    methods_.push_back(std::make_unique<TTraceMethod>());
    return methods_.back().get();
  }
  TTraceMethod* method = free_.back();
  free_.pop_back();
  return method;
}

void TTraceObjectManager::ReleaseMethod(TTraceMethod* method) { free_.push_back(method); }

}  // namespace kw
