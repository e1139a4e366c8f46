// Every question, message, sound and dialog the program gives, behind one
// interface so that tests can answer them without a modal box; the desktop
// implements it in the program, tests script it.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QObject;
class QUrl;
class QWidget;

namespace kw {

class TAboutBox;
class TTextSearchDialog;
class TTidyOptionsDialog;

inline constexpr char kApplicationTitle[] = "Kempwell 2";

// The answers to a question about unsaved text.
enum class SaveAnswer { Yes, No, Cancel };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A confirmation box titled "Confirm" with a question icon and the buttons
  // "&Yes" (default), "&No" and "Cancel". Esc and the title bar's close
  // button cancel: closing the box must never throw the text away.
  virtual SaveAnswer AskToSave(QWidget* parent, const QString& text) = 0;
  // A plain message box titled with the application title and an OK button.
  virtual void Inform(QWidget* parent, const QString& text) = 0;
  // The standard error box: a critical message titled with the application title.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // The open dialog with the HTML filter; nullopt when cancelled. File names
  // are bytes as the file system holds them.
  virtual std::optional<std::string> AskOpenFileName(QWidget* parent, const std::string& startFolder) = 0;
  // The save dialog: no filter, no added extension; an existing file is
  // replaced only after the toolkit's own question.
  virtual std::optional<std::string> AskSaveFileName(QWidget* parent, const std::string& startFolder) = 0;
  // The search dialog, shown modally; true when it closed with OK.
  virtual bool RunSearchDialog(QWidget* parent, TTextSearchDialog& dialog) = 0;
  // The system's information sound.
  virtual void Beep() = 0;
  // The about box, shown modally; true when it closed with OK.
  virtual bool RunAboutBox(QWidget* parent, TAboutBox& box) = 0;
  // The tidy options dialog, shown modally; true when it closed with OK.
  virtual bool RunTidyOptionsDialog(QWidget* parent, TTidyOptionsDialog& dialog) = 0;
  // Hands url to the desktop's default application for it (browser, mail
  // program, viewer); never through a shell. onFailure runs, at once or once
  // the desktop's opener has given up, when no application could open it;
  // not after context is gone.
  virtual void OpenInDesktop(const QUrl& url, QObject* context, std::function<void()> onFailure) = 0;
  // OpenInDesktop, with an error over parent when nothing could open
  // `shown` (the target as the user knows it).
  void OpenOrSayWhyNot(QWidget* parent, const QUrl& url, const QString& shown);
};

}  // namespace kw
