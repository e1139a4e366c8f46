// Answers the window's questions and dialogs from a script and records what was asked.
#pragma once

#include <QDialog>
#include <QUrl>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "about/about_box.h"
#include "options/tidy_options_dialog.h"
#include "widgets/user_dialogs.h"
#include "search/search_dialog.h"

namespace kw::test {

class ScriptedDialogs : public UserDialogs {
 public:
  SaveAnswer AskToSave(QWidget*, const QString& text) override {
    confirms.push_back(text);
    return Next(confirmAnswers, SaveAnswer::No);
  }
  void Inform(QWidget*, const QString& text) override {
    infos.push_back(text);
    if (whileInforming) whileInforming(text);
  }
  void ShowError(QWidget*, const QString& text) override { errors.push_back(text); }
  std::optional<std::string> AskOpenFileName(QWidget*, const std::string& startFolder) override {
    openFolders.push_back(startFolder);
    return Next(openAnswers, std::optional<std::string>());
  }
  std::optional<std::string> AskSaveFileName(QWidget*, const std::string& startFolder) override {
    saveFolders.push_back(startFolder);
    return Next(saveAnswers, std::optional<std::string>());
  }
  // The dialogs are shown modally for real; each script runs once its dialog
  // is up, and a dialog its script leaves open is cancelled.
  bool RunSearchDialog(QWidget*, TTextSearchDialog& dialog) override {
    ++searchDialogs;
    return RunScripted(dialog, searchScripts);
  }
  void Beep() override { ++beeps; }
  bool RunAboutBox(QWidget*, TAboutBox& box) override {
    ++aboutBoxes;
    return RunScripted(box, aboutScripts);
  }
  bool RunTidyOptionsDialog(QWidget*, TTidyOptionsDialog& dialog) override {
    return RunScripted(dialog, optionsScripts);
  }
  // Never starts anything: the address is recorded and the scripted answer given.
  void OpenInDesktop(const QUrl& url, QObject*, std::function<void()> onFailure) override {
    desktopOpens.push_back(url);
    if (!Next(desktopAnswers, true)) onFailure();
  }

  // Answers, taken in order; when a queue runs dry: No, and cancel.
  std::deque<SaveAnswer> confirmAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  // Each fills the controls of one search dialog and closes it; a dialog
  // left open, or shown when none is left, is cancelled.
  using SearchScript = std::function<void(TTextSearchDialog&)>;
  std::deque<SearchScript> searchScripts;
  using AboutScript = std::function<void(TAboutBox&)>;
  std::deque<AboutScript> aboutScripts;
  using OptionsScript = std::function<void(TTidyOptionsDialog&)>;
  std::deque<OptionsScript> optionsScripts;
  // Whether each desktop open succeeds; when the queue runs dry: it does.
  std::deque<bool> desktopAnswers;
  // Runs while a message is up, to see the state behind it.
  std::function<void(const QString&)> whileInforming;

  std::vector<QString> confirms;
  std::vector<QString> infos;
  std::vector<QString> errors;
  std::vector<std::string> openFolders;
  std::vector<std::string> saveFolders;
  std::vector<QUrl> desktopOpens;
  int searchDialogs = 0;
  int aboutBoxes = 0;
  int beeps = 0;

 private:
  template <typename Dialog>
  static bool RunScripted(Dialog& dialog, std::deque<std::function<void(Dialog&)>>& scripts) {
    QMetaObject::invokeMethod(
        &dialog,
        [&dialog, script = Next(scripts, std::function<void(Dialog&)>())] {
          if (script) script(dialog);
          if (dialog.isVisible()) dialog.reject();
        },
        Qt::QueuedConnection);
    return dialog.exec() == QDialog::Accepted;
  }
  template <typename T>
  static T Next(std::deque<T>& answers, T fallback) {
    if (answers.empty()) return fallback;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace kw::test
