#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <QString>
#include <QtGlobal>

extern char** environ;

namespace kwbench {

int64_t NowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

Summary Summarize(std::vector<double> values) {
  Summary s;
  s.count = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.min = values.front();
  s.max = values.back();
  return s;
}

std::string FormatNumber(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string FormatMs(const Summary& s) {
  // Sub-millisecond figures need more digits to say anything.
  const int decimals = s.median < 1 ? 3 : 1;
  return FormatNumber(s.median, decimals) + " ms (" + FormatNumber(s.min, decimals) + " .. " +
         FormatNumber(s.max, decimals) + ")";
}

TempDir::TempDir(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void RunRounds(std::vector<Case>& cases, int rounds) {
  for (int round = 0; round <= rounds; ++round)
    for (size_t k = 0; k < cases.size(); ++k) {
      const size_t i = (k + static_cast<size_t>(round)) % cases.size();
      const double ms = cases[i].run();
      if (round > 0) cases[i].samples.push_back(ms);
    }
}

double Median(const Case& c) { return Summarize(c.samples).median; }

bool ParseIntOptions(int argc, char** argv, const std::vector<IntOption>& options) {
  for (int i = 1; i < argc; ++i) {
    const IntOption* target = nullptr;
    for (const IntOption& option : options)
      if (std::strcmp(argv[i], option.name) == 0) target = &option;
    if (!target || i + 1 >= argc) return false;
    *target->value = std::atoi(argv[++i]);
    if (*target->value < target->minimum) return false;
  }
  return true;
}

void PrepareQtEnvironment(const TempDir& scratch) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) {
    const std::string dir = scratch.Path() + "/runtime";
    mkdir(dir.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  // A fresh program folder: the start-up of a first run, with no settings.
  const std::string programDir = scratch.Path() + "/program";
  mkdir(programDir.c_str(), 0700);
  setenv("KEMPWELL_PROGRAM_DIR", programDir.c_str(), 1);
  // The window keeps its position under the configuration folder: a fresh one too.
  const std::string configDir = scratch.Path() + "/config";
  mkdir(configDir.c_str(), 0700);
  setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
}

namespace {
QtMessageHandler g_previousHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String("This plugin does not support propagateSizeHints()") ||
      message == QLatin1String("This plugin does not support raise()"))
    return;
  if (g_previousHandler) g_previousHandler(type, context, message);
}
}  // namespace

void QuietOffscreenWarnings() { g_previousHandler = qInstallMessageHandler(QuietHandler); }

std::string SelfExecutable() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) throw std::runtime_error("cannot read /proc/self/exe");
  return std::string(buf.data(), static_cast<size_t>(n));
}

Child SpawnChild(const std::vector<std::string>& argv, bool quietErrors) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the child's stdout only.
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  if (quietErrors) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Child child;
  const int rc = posix_spawn(&child.pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("posix_spawn failed: " + std::string(std::strerror(rc)));
  }
  child.out = fds[0];
  return child;
}

std::string ReadLine(int fd) {
  std::string line;
  char c;
  for (;;) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return line;
    line.push_back(c);
    if (c == '\n') return line;
  }
}

bool FinishChild(Child& child, std::string* rest) {
  char buf[4096];
  for (;;) {
    const ssize_t n = read(child.out, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (rest) rest->append(buf, static_cast<size_t>(n));
  }
  close(child.out);
  child.out = -1;
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  child.pid = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

bool ResetPeakResident() {
  // "5" is the peak-RSS reset of clear_refs (Linux 4.0 and later).
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = write(fd, "5", 1) == 1;
  close(fd);
  return ok;
}

std::string Field(const std::string& line, const std::string& key) {
  const std::string prefix = key + "=";
  size_t at = 0;
  while ((at = line.find(prefix, at)) != std::string::npos) {
    if (at == 0 || line[at - 1] == ' ') {
      const size_t start = at + prefix.size();
      const size_t end = line.find_first_of(" \n", start);
      return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    at += prefix.size();
  }
  return {};
}

namespace {

// splitmix64: fixed seed, so every run measures the same bytes.
class Random {
 public:
  Random() = default;
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }

 private:
  uint64_t state_ = 20240611;
};

const char* const kWords[] = {
    "lorem",   "ipsum",    "dolor",     "sit",      "amet",     "consectetur", "adipiscing", "elit",
    "sed",     "do",       "eiusmod",   "tempor",   "incididunt", "ut",        "labore",     "et",
    "dolore",  "magna",    "aliqua",    "enim",     "ad",       "minim",       "veniam",     "quis",
    "nostrud", "exercitation", "ullamco", "laboris", "nisi",    "aliquip",     "ex",         "ea",
    "commodo", "consequat", "duis",     "aute",     "irure",    "in",          "reprehenderit", "voluptate",
    "velit",   "esse",     "cillum",    "fugiat",   "nulla",    "pariatur",    "excepteur",  "sint",
    "occaecat", "cupidatat", "non",     "proident", "sunt",     "culpa",       "qui",        "officia",
    "deserunt", "mollit",  "anim",      "id",       "est",      "laborum",     "table",      "page",
    "index",   "report",   "summary",   "annual",   "figure",   "section",     "contents",   "notes"};
const char* const kEntities[] = {"&amp;", "&lt;", "&gt;", "&nbsp;", "&quot;", "&copy;", "&#169;",
                                 "&#8212;", "&eacute;", "&auml;", "&hellip;", "&#x2019;"};
const char* const kClasses[] = {"item", "row", "lead", "note", "box", "wide", "muted", "intro", "col", "main"};

std::string Word(Random& r) { return kWords[r.Below(static_cast<int>(std::size(kWords)))]; }

std::string Words(Random& r, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    if (i) s += ' ';
    s += Word(r);
  }
  return s;
}

// Running text up to about `target` bytes, with entities and inline markup.
std::string TextLine(Random& r, size_t target) {
  std::string s;
  while (s.size() < target) {
    if (!s.empty()) s += ' ';
    const int kind = r.Below(20);
    if (kind == 0) s += kEntities[r.Below(static_cast<int>(std::size(kEntities)))];
    else if (kind == 1) s += "<b>" + Word(r) + "</b>";
    else if (kind == 2) s += "<em>" + Words(r, 2) + "</em>";
    else if (kind == 3) s += Word(r) + ",";
    else s += Word(r);
  }
  return s;
}

std::string Indent(int depth) { return std::string(static_cast<size_t>(depth) * 2, ' '); }

class HtmlWriter {
 public:
  explicit HtmlWriter(std::FILE* f) : f_(f) {}
  void Line(const std::string& s) {
    out_ += s;
    out_ += '\n';
    ++lines_;
    if (out_.size() >= (1 << 20)) Flush();
  }
  void Flush() {
    if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), f_) != out_.size())
      throw std::runtime_error("cannot write the generated document");
    written_ += out_.size();
    out_.clear();
  }
  uint64_t Size() const { return written_ + out_.size(); }
  uint64_t Lines() const { return lines_; }

 private:
  std::FILE* f_;
  std::string out_;
  uint64_t written_ = 0;
  uint64_t lines_ = 0;
};

void WriteSection(HtmlWriter& w, Random& r, int n) {
  const std::string cls = kClasses[r.Below(static_cast<int>(std::size(kClasses)))];
  w.Line(Indent(2) + "<!-- section " + std::to_string(n) + ": " + Words(r, r.Between(2, 6)) + " -->");
  w.Line(Indent(2) + "<div class=\"section " + cls + "\" id=\"sec-" + std::to_string(n) + "\">");
  w.Line(Indent(3) + "<h2 class=\"title\">" + Words(r, r.Between(3, 8)) + "</h2>");
  w.Line(Indent(3) + "<p class=\"" + cls + "\">");
  for (int i = r.Between(1, 6); i > 0; --i) w.Line(Indent(4) + TextLine(r, static_cast<size_t>(r.Between(64, 140))));
  w.Line(Indent(3) + "</p>");
  if (r.Below(2)) {
    w.Line(Indent(3) + "<ul class=\"links\">");
    for (int i = r.Between(2, 6); i > 0; --i) {
      const int page = r.Below(100000);
      w.Line(Indent(4) + "<li><a href=\"/docs/page-" + std::to_string(page) + ".html?id=" +
             std::to_string(r.Below(1000)) + "&amp;lang=en\" title=\"" + Words(r, 2) + "\">" + Words(r, r.Between(1, 4)) +
             "</a></li>");
    }
    w.Line(Indent(3) + "</ul>");
  }
  if (r.Below(3) == 0) {
    w.Line(Indent(3) + "<table class=\"data\" border=\"0\" cellpadding=\"2\">");
    for (int i = r.Between(2, 8); i > 0; --i)
      w.Line(Indent(4) + "<tr><td class=\"num\">" + std::to_string(r.Below(100000)) + "</td><td>" + Words(r, r.Between(1, 3)) +
             "</td><td align=\"right\">" + std::to_string(r.Below(1000)) + "." + std::to_string(r.Below(100)) +
             "</td></tr>");
    w.Line(Indent(3) + "</table>");
  }
  if (r.Below(4) == 0)
    w.Line(Indent(3) + "<img src=\"images/pic-" + std::to_string(r.Below(5000)) + ".png\" alt=\"" + Words(r, 2) +
           "\" width=\"" + std::to_string(r.Between(16, 640)) + "\" height=\"" + std::to_string(r.Between(16, 480)) + "\">");
  w.Line(Indent(2) + "</div>");
}

}  // namespace

GeneratedDocument WriteHtmlDocument(const std::string& path, uint64_t bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot create " + path);
  Random r;
  HtmlWriter w(f);
  w.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  w.Line("<html lang=\"en\">");
  w.Line("<head>");
  w.Line("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
  w.Line("  <title>Generated document for the open benchmark</title>");
  w.Line("</head>");
  w.Line("<body>");
  w.Line("  <div id=\"content\">");
  const std::string closing = "  </div>\n</body>\n</html>\n";
  for (int n = 1; w.Size() + 4096 < bytes; ++n) WriteSection(w, r, n);
  // Pad with comment lines to land on the requested size exactly.
  uint64_t left = bytes - w.Size() - closing.size();
  while (left >= 10) {
    const uint64_t take = left >= 90 ? 70 : left;  // a line with its break
    std::string filler;
    while (filler.size() < take - 10) filler += "padding ";
    filler.resize(take - 10);
    w.Line("<!-- " + filler + " -->");
    left -= take;
  }
  w.Line("  </div>");
  w.Line("</body>");
  w.Line("</html>");
  w.Flush();
  if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
  return {w.Size(), w.Lines()};
}

GeneratedDocument WriteSmallPage(const std::string& path, int variant) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot create " + path);
  Random r(static_cast<uint64_t>(variant) * 7919 + 1);
  const int kind = variant % 5;
  HtmlWriter w(f);
  w.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  w.Line("<html>");
  w.Line("<head>");
  if (kind == 3) w.Line("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  if (kind != 1) w.Line("  <title>" + Words(r, r.Between(1, 5)) + "</title>");
  w.Line("</head>");
  w.Line("<body>");
  for (int n = r.Between(1, 10); n > 0; --n) {
    WriteSection(w, r, n);
    if (kind == 1) w.Line("<p>" + TextLine(r, 60));
    if (kind == 2 && r.Below(2) == 0) w.Line("<xyz class=\"odd\">" + Words(r, 3) + "</xyz>");
    if (kind == 3) w.Line("<p>Voil\xC3\xA0 \xE2\x82\xAC caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 " + Words(r, 4) + "</p>");
    if (kind == 4) w.Line("<p>Caf\xE9 na\xEFve \xC0 la carte " + Words(r, 4) + "</p>\r");
  }
  if (kind == 2) w.Line("<xyz>" + Words(r, 2) + "</xyz>");
  w.Line("</body>");
  w.Line("</html>");
  w.Flush();
  if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
  return {w.Size(), w.Lines()};
}

int BenchmarkMain(int argc, char** argv, int (*run)(int, char**)) {
  // Output piped into a pager that quits early must not skip the clean-up.
  std::signal(SIGPIPE, SIG_IGN);
  QuietOffscreenWarnings();
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "benchmark failed: " << e.what() << "\n";
    return 2;
  }
}

}  // namespace kwbench
