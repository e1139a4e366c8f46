// The main window's about command and the texts it shows.
#include "about/about_box.h"
#include "app/main_window.h"

namespace kw {

void TForm1::BuildAbout() {
  About = new TAboutInfoDialog(*dialogs_, this);
  About->Company = QStringLiteral("Kempwell");
  About->ProductName = QString::fromLatin1(kApplicationTitle);
  About->Version = QStringLiteral("Beta version 2.0.7");
  About->Copyright = QStringLiteral("Copyright (C) 2026 Kempwell");
  About->URL = QStringLiteral("https://kempwell.example/");
  About->EMail = QStringLiteral("support@kempwell.example");
}

void TForm1::Ohjelmatiedot1Click() {
  About->ProgramDir = ProgramDir;
  About->Execute(this);
}

}  // namespace kw
