// The main window's document commands: open, save, save as, close, drop and
// the recent-files picks, with the questions that guard unsaved text.
#include <QAction>
#include <QMenu>

#include "app/main_window.h"
#include "common/paths.h"
#include "common/safe_write.h"
#include "controls/source_editor.h"
#include "state/recent_files_sink.h"
#include "tidy/diag_list_model.h"

namespace kw {

bool TForm1::AskAboutUnsavedText(UnsavedPrompt prompt) {
  const bool nothingToLose = Editor->LineCount() == 0 && CurrentFileName.empty();
  const char* question = UnsavedChangesQuestion(prompt, Editor->Modified(), nothingToLose);
  if (!question) return true;
  switch (dialogs_->AskToSave(this, QString::fromLatin1(question))) {
    case SaveAnswer::No: return true;
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::Yes: break;
  }
  if (YesAnswer(prompt) == UnsavedAnswer::SaveInPlace && !CurrentFileName.empty()) {
    Editor->SaveToFile(CurrentFileName);
    return true;
  }
  // Text that has no file yet goes through Save as; cancelling it keeps the text.
  return FileSaveAs1Execute();
}

void TForm1::OpenDocument(const std::string& fileName) {
  DiagModel->Clear();
  ForgetRunChanges();
  Editor->Clear();
  try {
    Editor->LoadFromFile(fileName);
  } catch (...) {
    // The text asked about is gone and the file was never read: no name
    // stays that a Save could write the few typed bytes to.
    CurrentFileName.clear();
    Editor->SetModified(false);
    UpdateCommandStates();
    throw;
  }
  RemoveStaleSaveFiles(fileName);
  DocumentDir = FolderPart(fileName);
  CurrentFileName = fileName;
  setWindowTitle(CaptionFor(fileName));
  Editor->SetModified(false);
  UpdateCommandStates();
  Recentfiles1->setEnabled(true);
  if (Mru) Mru->AddFile(CurrentFileName);
}

void TForm1::FileOpen1Execute() {
  if (!AskAboutUnsavedText(UnsavedPrompt::Open)) return;
  const std::optional<std::string> chosen = dialogs_->AskOpenFileName(this, DocumentDir);
  if (!chosen) return;
  OpenDocument(*chosen);
}

void TForm1::Korvaa1Click() {
  if (CurrentFileName.empty()) {
    FileSaveAs1Execute();
    return;
  }
  Editor->SaveToFile(CurrentFileName);
  Editor->SetModified(false);
  UpdateCommandStates();
}

bool TForm1::FileSaveAs1Execute() {
  const std::optional<std::string> chosen = dialogs_->AskSaveFileName(this, DocumentDir);
  if (!chosen) return false;
  Editor->SaveToFile(*chosen);
  CurrentFileName = *chosen;
  Editor->SetModified(false);
  UpdateCommandStates();
  return true;
}

void TForm1::Sulje1Click() {
  if (!AskAboutUnsavedText(UnsavedPrompt::Close)) return;
  CurrentFileName.clear();
  ForgetRunChanges();
  Editor->Clear();
  DiagModel->Clear();
  Editor->SetModified(false);
  UpdateCommandStates();
}

void TForm1::EditorDropFiles(const std::vector<std::string>& files) {
  if (files.empty() || TidyRunning() || !AskAboutUnsavedText(UnsavedPrompt::Drop)) return;
  OpenDocument(files.front());
}

void TForm1::MruMenuClick(const std::string& fileName) {
  if (TidyRunning() || !AskAboutUnsavedText(UnsavedPrompt::RecentFile)) return;
  OpenDocument(fileName);
}

void TForm1::MruFileNotExist(const std::string&) {
  dialogs_->Inform(this, QStringLiteral("The file does not exist!"));
}

}  // namespace kw
