// Program entry: the application, its title and the main window; or, with
// --tidy, the tidy run alone, without a window.
#include <QApplication>
#include <cstring>
#include <iostream>

#include "app/main_window.h"
#include "tidy/headless_tidy.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--tidy") == 0)
    return kw::RunHeadlessTidy(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kempwell"));

  kw::TForm1 form;
  // Qt has taken its own options out of argv; the first argument left is the
  // document, kept as the bytes the file system knows it by.
  std::optional<std::string> document;
  if (argc > 1) document = argv[1];
  form.FormCreate(document);
  form.show();
  return app.exec();
}
