// A client's way to the trace dispatcher: finding it (and starting it when
// allowed) and handing it one record at a time, synchronously.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "trace/trace_channel.h"

namespace kw {

inline constexpr off_t kMaxDispatcherLog = 1 << 20;

struct DispatcherLookup {
  // Names the dispatcher found; a new number for each new connection, 0 for none.
  uint64_t Dispatcher = 0;
  // Starting was allowed and no dispatcher could be started.
  bool CannotStart = false;
};

enum class TraceDelivery {
  Answered,  // the dispatcher handled the record and answered
  Lost,      // no dispatcher, or it went away; the next lookup tries again
  NoAnswer,  // the dispatcher did not answer in time
};

struct TraceSendResult {
  TraceDelivery Delivery = TraceDelivery::Lost;
  int32_t Result = 0;
};

class DispatcherLink {
 public:
  virtual ~DispatcherLink() = default;
  virtual DispatcherLookup FindDispatcher(bool mayStart) = 0;
  // Sends to the dispatcher of the last lookup.
  virtual TraceSendResult Send(uint32_t tag, std::string_view record) = 0;
};

// The link over the channel's socket. A dispatcher it starts runs the command
// line (split as the program splits all command lines, the program looked up
// beside this executable, then along PATH; never through a shell) with the
// on-demand variable set, so that it ends with its last client, and its
// output appended to the log file. It starts one at most once.
class SocketDispatcherLink : public DispatcherLink {
 public:
  struct Options {
    std::string SocketPath = DispatcherSocketPath();
    std::string CommandLine = DispatcherCommandLine();
    // Its folders are made when missing; a log grown past kMaxDispatcherLog
    // is first renamed to LogPath + ".old", replacing the one before.
    std::string LogPath = DispatcherLogPath();
    // How long a dispatcher has to take and answer one record.
    std::chrono::milliseconds AnswerTimeout{1000};
    // How long a started dispatcher has to begin listening.
    std::chrono::milliseconds StartTimeout{2000};
  };

  SocketDispatcherLink() : SocketDispatcherLink(Options()) {}
  explicit SocketDispatcherLink(Options options);
  ~SocketDispatcherLink() override;
  SocketDispatcherLink(const SocketDispatcherLink&) = delete;
  SocketDispatcherLink& operator=(const SocketDispatcherLink&) = delete;

  DispatcherLookup FindDispatcher(bool mayStart) override;
  TraceSendResult Send(uint32_t tag, std::string_view record) override;

 private:
  bool Connected();
  bool Connect();
  bool StartDispatcher();
  bool StartedDispatcherEnded();
  void Disconnect();

  Options options_;
  int socket_ = -1;
  uint64_t connections_ = 0;
  pid_t started_ = -1;
  bool startedOnce_ = false;
};

}  // namespace kw
