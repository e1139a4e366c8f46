// Program entry: the application, its title and the main window; or, with
// --tidy first, the tidy run alone, without a window.
#include <QApplication>
#include <QSocketNotifier>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/main_window.h"
#include "app/program_arguments.h"
#include "common/program_dir.h"
#include "common/stop_signals.h"
#include "tidy/headless_tidy.h"

int main(int argc, char** argv) {
  // A tidy run stops its child and removes its working files before the program ends.
  kw::CatchStopSignals();
  // A run changes the working directory, which a relative override must outlive.
  kw::AnchorProgramDirOverride();
  if (argc > 1 && std::strcmp(argv[1], "--tidy") == 0) {
    const int status =
        kw::RunHeadlessTidy("kempwell --tidy", std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (kw::CaughtStopSignal() != 0) kw::EndByCaughtSignal();
    return status;
  }

  // The help, the version and a wrong command line are answered without a
  // window, so without a display too.
  if (kw::AnswersWithoutWindow(argc, argv)) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kempwell"));
  QApplication::setApplicationVersion(QStringLiteral(KEMPWELL_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(KEMPWELL_APP_ID));
  // Qt has taken its own options out of argv.
  kw::ProgramArguments arguments(argc, argv);
  if (!arguments.Valid()) {
    std::cerr << "kempwell: " << arguments.Usage().toLocal8Bit().constData();
    return kw::kHeadlessUsage;
  }
  if (arguments.AsksForAnswer()) arguments.Answer();

  kw::TForm1 form;
  std::unique_ptr<QSocketNotifier> stopSignal;
  if (kw::StopSignalDescriptor() >= 0) {
    stopSignal = std::make_unique<QSocketNotifier>(kw::StopSignalDescriptor(), QSocketNotifier::Read);
    QObject::connect(stopSignal.get(), &QSocketNotifier::activated, &form, [&form] { form.StopSignalReceived(); });
  }
  form.FormCreate(arguments.Document());
  form.show();
  return app.exec();
}
