// kempwell-trace: the trace dispatcher, showing each record it receives as a
// line on standard output.
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "trace/trace_channel.h"
#include "trace/trace_dispatcher.h"
#include "trace/trace_view_line.h"

namespace {

std::atomic<kw::TraceDispatcher*> gDispatcher{nullptr};

void OnSignal(int) {
  if (kw::TraceDispatcher* dispatcher = gDispatcher.load()) dispatcher->Stop();
}

constexpr char kUsage[] =
    "Usage: kempwell-trace [--socket PATH] [--refuse]\n"
    "Receives trace records from Kempwell and prints one line for each.\n"
    "\n"
    "  --socket PATH  listen on PATH instead of the default socket\n"
    "  --refuse       answer registrations with 0, to try out a refusing dispatcher\n"
    "  --help         show this text\n"
    "\n"
    "With KEMPWELL_TRACE_ON_DEMAND set, it ends once its last client has gone.\n"
    "A client that sends no record within a minute of connecting, or stops\n"
    "halfway through one for a minute, is disconnected.\n";

struct Options {
  std::string socket;
  bool refuse = false;
};

// Exit code when the arguments end the program, else -1.
int ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--refuse") {
      options.refuse = true;
    } else if (arg == "--socket" && i + 1 < argc) {
      options.socket = argv[++i];
    } else if (arg.starts_with("--socket=")) {
      options.socket = arg.substr(9);
    } else {
      std::fprintf(stderr, "kempwell-trace: unknown or incomplete option: %s\n%s", argv[i], kUsage);
      return 2;
    }
  }
  return -1;
}

bool OnDemandWanted() {
  const char* value = std::getenv(kw::kDispatcherOnDemandVariable);
  return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  options.socket = kw::DispatcherSocketPath();
  if (const int code = ParseArguments(argc, argv, options); code >= 0) return code;

  // A reader that went away shows as a failed write, handled below.
  ::signal(SIGPIPE, SIG_IGN);
  // Flushed when the dispatcher goes idle, not per line: a flood of records
  // then costs one write per batch.
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

  kw::TraceDispatcher dispatcher;
  dispatcher.OnDemand = OnDemandWanted();
  // Before Listen, so that no signal can leave the socket file behind.
  gDispatcher.store(&dispatcher);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;  // a stopped terminal's write goes on rather than failing
  ::sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);

  if (!dispatcher.Listen(options.socket)) {
    std::fprintf(stderr, "kempwell-trace: %s\n", dispatcher.Error().c_str());
    return 1;
  }

  int outputError = 0;
  const auto flush = [&] {
    if (outputError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout))) {
      outputError = errno != 0 ? errno : EIO;
      dispatcher.Stop();
    }
  };
  dispatcher.OnRecord = [&](const kw::TraceRecord& record) -> int32_t {
    std::string line = kw::FormatTraceLine(record);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    return options.refuse && record.Type == kw::kTraceRegister ? 0 : 1;
  };
  dispatcher.OnIdle = flush;
  dispatcher.Run();
  flush();
  gDispatcher.store(nullptr);
  dispatcher.Close();

  if (!dispatcher.Error().empty()) {
    std::fprintf(stderr, "kempwell-trace: %s\n", dispatcher.Error().c_str());
    return 1;
  }
  if (outputError != 0) {
    std::fprintf(stderr, "kempwell-trace: cannot write the output: %s\n", std::strerror(outputError));
    return 1;
  }
  return 0;
}
