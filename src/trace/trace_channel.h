// The local channel between tracing clients and the dispatcher: a Unix
// stream socket on which each message goes as a frame (its numeric tag and
// its byte count, two little-endian 32-bit integers, then the record) and is
// answered by the dispatcher's result, one little-endian 32-bit integer.
// A stream rather than datagrams, because a record can run to megabytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sockaddr_un;

namespace kw {

inline constexpr size_t kTraceFrameHeaderSize = 8;
inline constexpr size_t kTraceAnswerSize = 4;
// The dispatcher refuses larger records; the client does not send them.
inline constexpr uint32_t kMaxTraceRecordSize = 64u << 20;

// KEMPWELL_TRACE_SOCKET when set and not empty; otherwise
// $XDG_RUNTIME_DIR/kempwell-trace.sock; without a runtime folder,
// /tmp/kempwell-trace-<uid>.sock.
std::string DispatcherSocketPath();

// The command line that starts a dispatcher: KEMPWELL_TRACE_DISPATCHER when
// set and not empty, otherwise "kempwell-trace".
std::string DispatcherCommandLine();

// Where a dispatcher that a client started writes its output:
// $XDG_STATE_HOME/kempwell/trace.log (default ~/.local/state); empty when
// the user has no home.
std::string DispatcherLogPath();

// Set in the environment of a dispatcher that a client started: such a
// dispatcher ends once its last client has gone.
inline constexpr char kDispatcherOnDemandVariable[] = "KEMPWELL_TRACE_ON_DEMAND";

// Fills address for the socket at path; false when the path does not fit.
bool MakeSocketAddress(const std::string& path, sockaddr_un& address);

// True when the process at the other end of the connected socket runs as
// this process's user: records and answers cross only between one user's
// processes.
bool PeerIsSameUser(int socket);

std::string TraceFrameHeader(uint32_t tag, uint32_t byteCount);
void ReadTraceFrameHeader(std::string_view header, uint32_t& tag, uint32_t& byteCount);

std::string TraceAnswer(int32_t result);
int32_t ReadTraceAnswer(std::string_view answer);

}  // namespace kw
