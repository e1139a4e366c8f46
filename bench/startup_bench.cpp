// Start-up to the first painted window, measured from outside the process:
// the benchmark starts itself again as a child that does what the program's
// main does and reports when the window has been exposed and painted.
// Usage and the meaning of each figure: bench/README.md.
#include <sys/stat.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"

using kwbench::FormatMs;
using kwbench::FormatNumber;
using kwbench::Ms;
using kwbench::NowNs;
using kwbench::Summarize;

namespace {

// Notes the first expose of a visible window. The event's delivery paints the
// window, so once the event loop returns after it the window is on screen.
class ExposeWatcher : public QObject {
 public:
  bool exposed = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Expose)
      if (auto* window = qobject_cast<QWindow*>(watched); window && window->isExposed()) exposed = true;
    return false;
  }
};

void WaitForExpose(const ExposeWatcher& watcher) {
  while (!watcher.exposed) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Every step's moment on the shared monotonic clock, for the parent to
// subtract its own start from.
void Report(const std::vector<std::pair<const char*, int64_t>>& steps) {
  std::string line = "exposed";
  for (const auto& [name, ns] : steps) line += std::string(" ") + name + "=" + std::to_string(ns);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

// What src/app/main.cpp does, without a document.
int ProgramChild(int argc, char** argv) {
  const int64_t main = NowNs();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kempwell"));
  ExposeWatcher watcher;
  app.installEventFilter(&watcher);
  const int64_t application = NowNs();
  kw::TForm1 form;
  const int64_t built = NowNs();
  form.FormCreate(std::nullopt);
  const int64_t created = NowNs();
  form.show();
  const int64_t shown = NowNs();
  WaitForExpose(watcher);
  Report({{"main", main}, {"app", application}, {"form", built}, {"create", created}, {"show", shown},
          {"painted", NowNs()}});
  return 0;
}

int BareChild(int argc, char** argv) {
  const int64_t main = NowNs();
  QApplication app(argc, argv);
  ExposeWatcher watcher;
  app.installEventFilter(&watcher);
  const int64_t application = NowNs();
  QWidget widget;
  widget.resize(625, 458);
  widget.show();
  const int64_t shown = NowNs();
  WaitForExpose(watcher);
  Report({{"main", main}, {"app", application}, {"show", shown}, {"painted", NowNs()}});
  return 0;
}

struct Run {
  double total = 0;  // spawn to the line read by the parent
  std::string line;
  int64_t start = 0;
};

Run StartChild(const std::string& self, const char* mode) {
  Run run;
  run.start = NowNs();
  kwbench::Child child = kwbench::SpawnChild({self, "--child", mode});
  run.line = kwbench::ReadLine(child.out);
  run.total = Ms(NowNs() - run.start);
  if (!kwbench::FinishChild(child) || run.line.rfind("exposed", 0) != 0)
    throw std::runtime_error(std::string("start-up child '") + mode + "' failed");
  return run;
}

// Milliseconds from the parent's start, or from the previous step, to a step.
double StepMs(const Run& run, const char* step, const char* previous) {
  const int64_t at = std::stoll(kwbench::Field(run.line, step));
  const int64_t from = previous ? std::stoll(kwbench::Field(run.line, previous)) : run.start;
  return Ms(at - from);
}

void PrintSteps(const char* label, const std::vector<Run>& runs,
                const std::vector<std::pair<const char*, const char*>>& steps) {
  std::string text = std::string("  ") + label + ":";
  const char* previous = nullptr;
  for (size_t i = 0; i < steps.size(); ++i) {
    std::vector<double> values;
    for (const Run& r : runs) values.push_back(StepMs(r, steps[i].first, previous));
    text += std::string(i ? ", " : " ") + steps[i].second + " " + FormatNumber(Summarize(values).median, 1);
    previous = steps[i].first;
  }
  std::vector<double> tail;
  for (const Run& r : runs) tail.push_back(r.total - StepMs(r, previous, nullptr));
  text += ", line to parent " + FormatNumber(Summarize(tail).median, 1) + " ms";
  std::printf("%s\n", text.c_str());
}

int RunBenchmark(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
    int childArgc = 1;
    if (std::strcmp(argv[2], "program") == 0) return ProgramChild(childArgc, argv);
    if (std::strcmp(argv[2], "bare") == 0) return BareChild(childArgc, argv);
    return 2;
  }
  int runs = 15;
  if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::atoi(argv[2]);
  if (runs < 1 || (argc != 1 && argc != 3)) {
    std::fprintf(stderr, "usage: bench_startup [--runs N]   (default 15)\n");
    return 2;
  }

  kwbench::TempDir scratch("kempwell-bench-startup-");
  kwbench::PrepareQtEnvironment(scratch);

  const std::string self = kwbench::SelfExecutable();
  // One untimed start of each fills the page cache and the font caches.
  StartChild(self, "program");
  StartChild(self, "bare");

  std::vector<Run> program, bare;
  for (int i = 0; i < runs; ++i) {
    // Alternate which goes first, so that neither always follows the other.
    if (i % 2 == 0) {
      program.push_back(StartChild(self, "program"));
      bare.push_back(StartChild(self, "bare"));
    } else {
      bare.push_back(StartChild(self, "bare"));
      program.push_back(StartChild(self, "program"));
    }
  }

  auto totals = [](const std::vector<Run>& rs) {
    std::vector<double> v;
    for (const Run& r : rs) v.push_back(r.total);
    return Summarize(v);
  };
  const kwbench::Summary p = totals(program);
  const kwbench::Summary b = totals(bare);
  std::printf("start-up to the first painted window (platform %s): medians of %d runs each, alternating, (min .. max)\n",
              qgetenv("QT_QPA_PLATFORM").constData(), runs);
  std::printf("  %-60s %s\n", "program: QApplication, TForm1, FormCreate, show", FormatMs(p).c_str());
  std::printf("  %-60s %s\n", "baseline: QApplication, an empty QWidget shown", FormatMs(b).c_str());
  std::printf("  %-60s %s ms (ratio %s)\n", "difference of the medians", FormatNumber(p.median - b.median, 1).c_str(),
              FormatNumber(p.median / b.median, 2).c_str());
  std::printf("where the time goes (medians, ms):\n");
  PrintSteps("program", program,
             {{"main", "spawn to main"}, {"app", "QApplication"}, {"form", "TForm1"}, {"create", "FormCreate"},
              {"show", "show"}, {"painted", "expose and paint"}});
  PrintSteps("baseline", bare,
             {{"main", "spawn to main"}, {"app", "QApplication"}, {"show", "QWidget and show"},
              {"painted", "expose and paint"}});
  return 0;
}
}  // namespace

int main(int argc, char** argv) { return kwbench::BenchmarkMain(argc, argv, RunBenchmark); }
