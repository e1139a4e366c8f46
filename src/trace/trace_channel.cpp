#include "trace/trace_channel.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "common/environment.h"
#include "common/program_dir.h"
#include "trace/little_endian.h"

namespace kw {

namespace {

void PutInt(std::string& out, uint32_t value) {
  out.resize(out.size() + 4);
  PutLittleEndian32(out.data() + out.size() - 4, value);
}

}  // namespace

std::string DispatcherSocketPath() {
  if (std::string path = Environment("KEMPWELL_TRACE_SOCKET"); !path.empty()) return path;
  if (std::string runtime = Environment("XDG_RUNTIME_DIR"); !runtime.empty()) return runtime + "/kempwell-trace.sock";
  return "/tmp/kempwell-trace-" + std::to_string(::getuid()) + ".sock";
}

std::string DispatcherCommandLine() {
  std::string command = Environment("KEMPWELL_TRACE_DISPATCHER");
  return command.empty() ? "kempwell-trace" : command;
}

std::string DispatcherLogPath() {
  const std::string stateHome = XdgBaseDir("XDG_STATE_HOME", ".local/state");
  return stateHome.empty() ? stateHome : stateHome + "/kempwell/trace.log";
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

bool PeerIsSameUser(int socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

std::string TraceFrameHeader(uint32_t tag, uint32_t byteCount) {
  std::string header;
  PutInt(header, tag);
  PutInt(header, byteCount);
  return header;
}

void ReadTraceFrameHeader(std::string_view header, uint32_t& tag, uint32_t& byteCount) {
  tag = GetLittleEndian32(header, 0);
  byteCount = GetLittleEndian32(header, 4);
}

std::string TraceAnswer(int32_t result) {
  std::string answer;
  PutInt(answer, static_cast<uint32_t>(result));
  return answer;
}

int32_t ReadTraceAnswer(std::string_view answer) { return static_cast<int32_t>(GetLittleEndian32(answer, 0)); }

}  // namespace kw
