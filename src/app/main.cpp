// Program entry: the application, its title and the main window.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
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
