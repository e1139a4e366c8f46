// The receiving end of the trace channel: listens on the socket, takes frames
// from any number of clients at once and answers each with the handler's
// result. One thread, one poll loop; no client can hold up another.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "trace/trace_record.h"

namespace kw {

class TraceDispatcher {
 public:
  TraceDispatcher();
  // Closes (see Close).
  ~TraceDispatcher();
  TraceDispatcher(const TraceDispatcher&) = delete;
  TraceDispatcher& operator=(const TraceDispatcher&) = delete;

  // Binds a socket at path that only this user can use, replacing a socket
  // file that nobody listens on any more. False, with Error() saying why,
  // when another dispatcher answers there, the path does not fit a socket
  // address or the socket cannot be made.
  bool Listen(const std::string& path);
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return path_; }

  // Serves clients until Stop, or in on-demand mode until the last client
  // has gone (or none came within FirstClientTimeout). Returns at once when
  // not listening or once stopped.
  void Run();
  // Ends Run soon after; safe from a signal handler and from another thread.
  // It sticks: a later Run returns at once.
  void Stop();
  // Drops every client and the listening socket, and removes the socket file
  // when it is still the one Listen made.
  void Close();

  // The result each accepted record is answered with; 1 without a handler.
  std::function<int32_t(const TraceRecord&)> OnRecord;
  // Called once the loop has had nothing to do for 10 ms after some work, and
  // at least every IdleInterval while it stays busy: the moment to flush
  // what the handler buffered.
  std::function<void()> OnIdle;

  bool OnDemand = false;
  std::chrono::milliseconds FirstClientTimeout{10000};
  // A client is dropped when it lets this pass without sending its first
  // frame, or the rest of a frame it began, or without taking its answers.
  // So a half-sent frame holds its place and its memory (at most the record
  // size the header names) no longer than this.
  std::chrono::milliseconds SilentClientTimeout{60000};
  std::chrono::milliseconds IdleInterval{100};

 private:
  struct Connection;
  using Clock = std::chrono::steady_clock;

  void Accept();
  // False when the connection is to be dropped.
  bool Receive(Connection& connection);
  bool HandleFrames(Connection& connection);
  bool SendAnswers(Connection& connection);
  int32_t Handle(uint32_t tag, std::string_view bytes);
  void CallIdle(Clock::time_point& lastIdle);
  // Drops the clients that owe for longer than SilentClientTimeout; returns
  // when the next one would be due, or max.
  Clock::time_point DropSilentClients(Clock::time_point now);

  std::string error_;
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  int listener_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> stopped_{false};
  bool everConnected_ = false;
  Clock::time_point acceptPausedUntil_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace kw
