// The about dialog: TAboutInfoDialog holds the texts and shows a fresh
// TAboutBox with them on every Execute.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "about/about_info.h"

class QFrame;
class QPushButton;

namespace kw {

class UserDialogs;

// A label that acts on a left click, as the web and mail links do.
class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;
  std::function<void(TLinkLabel&)> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // Links open through dialogs, which also shows their errors. The system
  // lines are filled from facts at once.
  explicit TAboutBox(UserDialogs& dialogs, QWidget* parent = nullptr, const SystemFacts& facts = ReadSystemFacts());

  void FormCreate(const SystemFacts& facts);
  // Opens the web address in the default browser; a failure is reported.
  void URLClick();
  // Hands "mailto:" and the address to the mail handler; a failure is reported.
  void EMAILClick();

  // Sets an auto-sized label's text; PhysMem keeps its right edge.
  void SetLabelText(QLabel* label, const QString& text);
  void FitWidth();

  QLabel* ProgramIcon = nullptr;
  QLabel* Company = nullptr;
  QLabel* ProductName1 = nullptr;
  QLabel* ProductName3 = nullptr;
  QLabel* ProductName2 = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  TLinkLabel* URL = nullptr;
  TLinkLabel* EMAIL = nullptr;
  QFrame* Bevel1 = nullptr;
  QLabel* OS = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* PhysMem = nullptr;
  // The tidy the program runs, named by itself.
  QLabel* TidyVersion = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  UserDialogs& dialogs_;
};

class TAboutInfoDialog : public QObject {
  Q_OBJECT

 public:
  explicit TAboutInfoDialog(UserDialogs& dialogs, QObject* owner = nullptr);

  // Shows the texts in a new modal box centred on the screen, with the
  // version of the tidy in ProgramDir or on PATH; true when it closed with
  // OK. An empty ProductName takes the application's title first.
  bool Execute(QWidget* parent = nullptr);

  QString Company = QStringLiteral("Kempwell");
  QString ProductName;
  QString Version;
  QString Copyright = QStringLiteral("Copyright Info");
  QString URL = QStringLiteral("Youe Web Site");
  QString EMail = QStringLiteral("Your E-Mail Address Here");
  std::string ProgramDir;

 private:
  UserDialogs& dialogs_;
};

}  // namespace kw
