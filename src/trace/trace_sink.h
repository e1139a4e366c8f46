// Where the program's trace points go. The tracing client fills this in; with
// no sink installed a trace point costs one null test.
#pragma once

#include <string_view>

namespace kw {

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void EnterMethod(std::string_view name) = 0;
  virtual void ExitMethod(std::string_view name) = 0;
  virtual void SendIntegerValue(std::string_view name, int value) = 0;
  virtual void SendStringValue(std::string_view name, std::string_view value) = 0;
};

// Traces a method's entry now and its exit when the scope is left, also by an exception.
class TraceMethod {
 public:
  TraceMethod(TraceSink* sink, std::string_view name) : sink_(sink), name_(name) {
    if (sink_) sink_->EnterMethod(name_);
  }
  ~TraceMethod() {
    if (sink_) sink_->ExitMethod(name_);
  }
  TraceMethod(const TraceMethod&) = delete;
  TraceMethod& operator=(const TraceMethod&) = delete;

 private:
  TraceSink* sink_;
  std::string_view name_;
};

}  // namespace kw
