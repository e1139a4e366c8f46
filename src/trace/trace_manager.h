// What the tracing clients of the process share: the list of live clients,
// the default destination and client, the pool of method handles and the
// stack of clients inside a traced method.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kw {

class TTraceClient;
class TTraceClientEx;

// One traced method: its client and name while a handle holds it.
class TTraceMethod {
 public:
  TTraceClientEx* Client = nullptr;
  std::string Name;
  bool Left = false;
};

// The clients inside a traced method, innermost on top.
class TTraceStack {
 public:
  void Push(TTraceClient* client) { clients_.push_back(client); }
  // Throws "Stack is empty." when there is nothing to pop.
  TTraceClient* Pop();
  size_t Count() const { return clients_.size(); }

 private:
  std::vector<TTraceClient*> clients_;
};

class TTraceObjectManager {
 public:
  static TTraceObjectManager& Instance();

  static constexpr const char* DefaultDestination = "Viewer";
  static constexpr size_t InitialPoolSize = 10;

  // Clients add and remove themselves; the list is safe from any thread.
  void AddClient(TTraceClient* client);
  void RemoveClient(TTraceClient* client);
  size_t ClientCount() const;

  // The process's own client; errors of the tracing itself go there.
  TTraceClient& DefaultClient();
  TTraceStack& Stack() { return stack_; }

  // A free handle object from the pool, or a new one when none is free.
  TTraceMethod* AcquireMethod();
  void ReleaseMethod(TTraceMethod* method);
  size_t FreeMethods() const { return free_.size(); }

 private:
  TTraceObjectManager();

  mutable std::mutex clientsLock_;
  std::vector<TTraceClient*> clients_;
  std::vector<std::unique_ptr<TTraceMethod>> methods_;
  std::vector<TTraceMethod*> free_;
  TTraceStack stack_;
  std::unique_ptr<TTraceClient> defaultClient_;
};

}  // namespace kw
