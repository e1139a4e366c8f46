#include "trace/trace_environment.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "common/program_dir.h"

namespace kw {

namespace {

TraceStamp LocalNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  TraceStamp stamp;
  stamp.TimeOfDay = static_cast<int32_t>(((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + millis);
  stamp.Date = TraceDateOf(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                           static_cast<unsigned>(local.tm_mday));
  return stamp;
}

int32_t LocalBias() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return static_cast<int32_t>(-local.tm_gmtoff / 60);
}

// A random (version 4) GUID.
std::string RandomGuid() {
  std::random_device device;
  unsigned char bytes[16];
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(device() & 0xFF);
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  char text[39];
  std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
                bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

std::string ExecutableStem() {
  const std::string path = ExecutablePath();
  std::string name = path.substr(path.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0) name.resize(dot);
  return name;
}

}  // namespace

TraceEnvironment SystemTraceEnvironment() {
  TraceEnvironment env;
  env.Now = LocalNow;
  env.TimeZoneBias = LocalBias;
  env.ProcessId = [] { return static_cast<uint32_t>(::getpid()); };
  env.ThreadId = [] { return static_cast<uint32_t>(::gettid()); };
  env.NewGuid = RandomGuid;
  env.ComputerName = HostName;
  env.ApplicationName = ExecutableStem;
  return env;
}

}  // namespace kw
