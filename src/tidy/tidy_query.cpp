#include "tidy/tidy_query.h"

#include "tidy/console_runner.h"

namespace kw {

namespace {

constexpr size_t kAnswerLimit = size_t{1} << 20;
constexpr int kStopGrace = 500;  // ms between SIGTERM and SIGKILL

}  // namespace

TidyAnswer AskTidy(const std::string& programDir, const std::string& arguments,
                   std::chrono::milliseconds timeout) {
  TRedirectedConsole runner("tidy " + arguments);
  runner.SearchDir = programDir;
  runner.CollectLimit = kAnswerLimit;
  runner.TerminateTimeout = kStopGrace;
  // Column titles and type names are read in English.
  runner.EnvironmentOverrides = {"LC_ALL=C"};
  TidyAnswer answer;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  runner.OnIdle = [&answer, deadline](TRedirectedConsole& sender) {
    if (sender.StopRequested() || std::chrono::steady_clock::now() < deadline) return;
    answer.TimedOut = true;
    sender.RequestStop();
  };
  runner.Run();
  answer.StartError = runner.StartError;
  answer.Output = std::move(runner.StdOutText);
  return answer;
}

}  // namespace kw
