#include "bench_window.h"

#include <QCoreApplication>
#include <QTest>
#include <iostream>
#include <stdexcept>

#include "app/user_dialogs.h"

namespace kwbench {

namespace {

bool g_failed = false;

// Errors go to stderr and fail the run, questions are answered No, file
// dialogs are cancelled.
class SilentDialogs : public kw::UserDialogs {
 public:
  bool Confirm(QWidget*, const QString& text) override {
    std::cerr << "question answered No: " << text.toStdString() << "\n";
    return false;
  }
  void Inform(QWidget*, const QString& text) override { std::cerr << "message: " << text.toStdString() << "\n"; }
  void ShowError(QWidget*, const QString& text) override {
    std::cerr << "error: " << text.toStdString() << "\n";
    g_failed = true;
  }
  std::optional<std::string> AskOpenFileName(QWidget*, const std::string&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(QWidget*, const std::string&) override { return std::nullopt; }
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

std::unique_ptr<kw::TForm1> ShownWindow() {
  auto form = std::make_unique<kw::TForm1>(std::make_unique<SilentDialogs>());
  form->FormCreate(std::nullopt);
  form->show();
  Require(QTest::qWaitForWindowExposed(form.get()), "window not exposed");
  Drain();
  return form;
}

}  // namespace kwbench
