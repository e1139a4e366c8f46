// Tracing speed: a traced call once the client has found no dispatcher,
// against the same loop without tracing; and records delivered a second to a
// running kempwell-trace. Usage and the meaning of each figure: bench/README.md.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "trace/dispatcher_link.h"
#include "trace/trace_client.h"

using kwbench::Case;
using kwbench::FormatNumber;
using kwbench::Median;
using kwbench::NowNs;
using kwbench::RunRounds;

namespace {

// Keeps the compiler from dropping a loop whose work it can see through.
inline void KeepAlive(int value) { asm volatile("" : : "r"(value) : "memory"); }

std::unique_ptr<kw::SocketDispatcherLink> LinkTo(const std::string& socket, const std::string& commandLine) {
  kw::SocketDispatcherLink::Options options;
  options.SocketPath = socket;
  options.CommandLine = commandLine;
  return std::make_unique<kw::SocketDispatcherLink>(options);
}

// The trace points of one error-report pass: a traced method with one value.
void TracedCall(kw::TTraceClientEx* client, int i) {
  const kw::TTraceMethodHandle trace = kw::TraceMethodOf(client, "OutPutErrors");
  if (client) client->SendIntegerValue("aErrList.Count", i);
  KeepAlive(i);
}

double NsPerCall(kw::TTraceClientEx* client, int calls) {
  const int64_t start = NowNs();
  for (int i = 0; i < calls; ++i) TracedCall(client, i);
  return static_cast<double>(NowNs() - start) / calls;
}

void WithoutDispatcher(int rounds, int calls, const kwbench::TempDir& scratch) {
  kw::TTraceClientEx client;
  client.SetLink(LinkTo(scratch.Path() + "/absent.sock", scratch.Path() + "/no-such-dispatcher"));
  const int64_t firstStart = NowNs();
  TracedCall(&client, 0);
  const double firstMs = kwbench::Ms(NowNs() - firstStart);
  kwbench::Require(!client.Enabled, "the client did not switch itself off");

  // Samples are ns per call, carried in the cases' millisecond slots.
  std::vector<Case> cases = {
      {"untraced loop (no client)", [&] { return NsPerCall(nullptr, calls); }, {}},
      {"traced, client switched off", [&] { return NsPerCall(&client, calls); }, {}},
  };
  RunRounds(cases, rounds);
  std::printf("No dispatcher: %d calls of a traced method with one value, medians of %d rounds\n", calls, rounds);
  std::printf("  first traced call (finds none, tries to start one): %s ms\n", FormatNumber(firstMs, 3).c_str());
  for (const Case& c : cases) std::printf("  %-34s %s ns per call\n", c.label.c_str(), FormatNumber(Median(c), 2).c_str());
  std::printf("  traced - untraced: %s ns (limit 100 ns)\n", FormatNumber(Median(cases[1]) - Median(cases[0]), 2).c_str());
}

// kempwell-trace on its own socket, its lines written to output.
class RunningTrace {
 public:
  RunningTrace(const std::string& program, const std::string& socket, const std::string& output) {
    std::vector<std::string> args = {program, "--socket", socket};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int error = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    kwbench::Require(error == 0, "kempwell-trace did not start");
    for (int i = 0; i < 500 && ::access(socket.c_str(), F_OK) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~RunningTrace() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  RunningTrace(const RunningTrace&) = delete;
  RunningTrace& operator=(const RunningTrace&) = delete;

 private:
  pid_t pid_ = -1;
};

// The floor under any synchronous dispatcher on this machine: a frame's
// header out and an answer back over a Unix socket, to a thread that only
// echoes, one round trip at a time.
double RoundTripsPerSecond(int trips) {
  int ends[2];
  kwbench::Require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0, "no socket pair");
  std::thread echo([&] {
    char frame[8];
    while (::read(ends[1], frame, sizeof frame) == sizeof frame && ::write(ends[1], frame, 4) == 4) {
    }
  });
  char frame[8] = {};
  const int64_t start = NowNs();
  for (int i = 0; i < trips; ++i) {
    kwbench::Require(::write(ends[0], frame, sizeof frame) == sizeof frame && ::read(ends[0], frame, 4) == 4,
                     "the echo broke");
  }
  const double seconds = static_cast<double>(NowNs() - start) / 1e9;
  ::shutdown(ends[0], SHUT_RDWR);
  echo.join();
  ::close(ends[0]);
  ::close(ends[1]);
  return trips / seconds;
}

void ThroughKempwellTrace(int rounds, int records, const std::string& program, const kwbench::TempDir& scratch) {
  std::printf("kempwell-trace: %d information records a round, medians of %d rounds\n", records, rounds);
  std::vector<Case> floor = {{"round trips", [&] { return 1000.0 / RoundTripsPerSecond(records); }, {}}};
  RunRounds(floor, rounds);
  const double floorPerSecond = 1000.0 / Median(floor[0]);
  std::printf("  bare socket round trips (floor)  %s /s\n", FormatNumber(floorPerSecond, 0).c_str());
  for (const char* output : {"/dev/null", "file"}) {
    const std::string socket = scratch.Path() + "/trace.sock";
    const std::string path = output == std::string("file") ? scratch.Path() + "/trace.txt" : output;
    RunningTrace trace(program, socket, path);
    kw::TTraceClientEx client;
    client.SetLink(LinkTo(socket, scratch.Path() + "/no-such-dispatcher"));
    std::vector<Case> cases = {{"records", [&] {
                                  const int64_t start = NowNs();
                                  for (int i = 0; i < records; ++i) client.SendIntegerValue("aErrList.Count", i);
                                  return kwbench::Ms(NowNs() - start);
                                }, {}}};
    RunRounds(cases, rounds);
    kwbench::Require(client.Enabled, "the client lost kempwell-trace");
    const double perSecond = records / (Median(cases[0]) / 1000.0);
    std::printf("  lines to %-10s %s records/s (target >= 10,000: %sx; %s of the floor)\n", output,
                FormatNumber(perSecond, 0).c_str(), FormatNumber(perSecond / 10000.0, 1).c_str(),
                FormatNumber(perSecond / floorPerSecond, 2).c_str());
  }
}

int RunBenchmark(int argc, char** argv) {
  int rounds = 7;
  int calls = 10'000'000;
  int records = 20'000;
  if (!kwbench::ParseIntOptions(argc, argv, {{"--rounds", &rounds}, {"--calls", &calls}, {"--records", &records}})) {
    std::fprintf(stderr,
                 "usage: bench_trace [--rounds N] [--calls C] [--records R]\n"
                 "  --rounds N    timed rounds of each case (default 7)\n"
                 "  --calls C     traced calls a round without a dispatcher (default 10000000)\n"
                 "  --records R   records a round sent to kempwell-trace (default 20000)\n");
    return 2;
  }
  kwbench::TempDir scratch("kempwell-bench-trace-");
  WithoutDispatcher(rounds, calls, scratch);
  ThroughKempwellTrace(rounds, records, KW_TRACE_PROGRAM, scratch);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, RunBenchmark); }
