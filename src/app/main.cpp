// Program entry: the application, its title and the main window; or, with
// --tidy, the tidy run alone, without a window.
#include <QApplication>
#include <QSocketNotifier>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/main_window.h"
#include "common/stop_signals.h"
#include "tidy/headless_tidy.h"

int main(int argc, char** argv) {
  // A tidy run stops its child and removes its working files before the program ends.
  kw::CatchStopSignals();
  if (argc > 1 && std::strcmp(argv[1], "--tidy") == 0) {
    const int status =
        kw::RunHeadlessTidy("kempwell --tidy", std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (kw::CaughtStopSignal() != 0) kw::EndByCaughtSignal();
    return status;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kempwell"));

  kw::TForm1 form;
  std::unique_ptr<QSocketNotifier> stopSignal;
  if (kw::StopSignalDescriptor() >= 0) {
    stopSignal = std::make_unique<QSocketNotifier>(kw::StopSignalDescriptor(), QSocketNotifier::Read);
    QObject::connect(stopSignal.get(), &QSocketNotifier::activated, &form, [&form] { form.StopSignalReceived(); });
  }
  // Qt has taken its own options out of argv; the first argument left is the
  // document, kept as the bytes the file system knows it by.
  std::optional<std::string> document;
  if (argc > 1) document = argv[1];
  form.FormCreate(document);
  form.show();
  return app.exec();
}
