#include "bench_window.h"

#include <QCoreApplication>
#include <QTest>
#include <iostream>
#include <stdexcept>

#include "widgets/user_dialogs.h"
#include "bench_support.h"

namespace kwbench {

namespace {

bool g_failed = false;

// Errors go to stderr and fail the run, questions are answered No, dialogs
// are cancelled, nothing is opened.
class SilentDialogs : public kw::UserDialogs {
 public:
  kw::SaveAnswer AskToSave(QWidget*, const QString& text) override {
    std::cerr << "question answered No: " << text.toStdString() << "\n";
    return kw::SaveAnswer::No;
  }
  void Inform(QWidget*, const QString& text) override { std::cerr << "message: " << text.toStdString() << "\n"; }
  void ShowError(QWidget*, const QString& text) override {
    std::cerr << "error: " << text.toStdString() << "\n";
    g_failed = true;
  }
  std::optional<std::string> AskOpenFileName(QWidget*, const std::string&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(QWidget*, const std::string&) override { return std::nullopt; }
  bool RunSearchDialog(QWidget*, kw::TTextSearchDialog&) override { return false; }
  void Beep() override {}
  bool RunAboutBox(QWidget*, kw::TAboutBox&) override { return false; }
  bool RunTidyOptionsDialog(QWidget*, kw::TTidyOptionsDialog&) override { return false; }
  void OpenInDesktop(const QUrl&, QObject*, std::function<void()> onFailure) override { onFailure(); }
};

}  // namespace

bool WindowReportedError() { return g_failed; }

void Require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

void Drain() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool PaintCounter::eventFilter(QObject*, QEvent* e) {
  if (e->type() == QEvent::Paint) ++paints;
  return false;
}

void WaitForPaint(const PaintCounter& counter) {
  const int before = counter.paints;
  const int64_t deadline = NowNs() + int64_t{10} * 1000000000;
  while (counter.paints == before) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    Require(NowNs() < deadline, "no paint within 10 s");
  }
}

void PlaceCaretInMiddle(QsciScintillaBase* sci, QWidget* window) {
  const long length = sci->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  sci->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(length / 2));
  window->activateWindow();
  sci->setFocus();
  // The offscreen platform may not activate windows; focus is what matters.
  (void)QTest::qWaitForWindowActive(window, 1000);
  Drain();
}

std::vector<double> TypeKeys(QWidget* editor, QsciScintillaBase* sci, int keys, double slowMs, int slowKeys) {
  PaintCounter counter(sci->viewport());
  std::vector<double> samples;
  for (int i = 0; i < keys; ++i) {
    const long before = sci->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const int64_t t0 = NowNs();
    QTest::keyClick(editor, 'x');
    WaitForPaint(counter);
    const int64_t t1 = NowNs();
    Require(sci->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == before + 1, "the key did not insert a character");
    samples.push_back(Ms(t1 - t0));
    // A slow editor gets only a few keys: the point is made by then.
    if (slowKeys > 0 && i == 0 && samples[0] > slowMs) keys = slowKeys;
  }
  return samples;
}

std::unique_ptr<kw::TForm1> ShownWindow() {
  auto form = std::make_unique<kw::TForm1>(std::make_unique<SilentDialogs>());
  form->FormCreate(std::nullopt);
  form->show();
  Require(QTest::qWaitForWindowExposed(form.get()), "window not exposed");
  Drain();
  return form;
}

}  // namespace kwbench
