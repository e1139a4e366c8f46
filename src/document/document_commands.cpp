// The main window's document commands: open, save, save as, close, drop and
// the recent-files picks, with the questions that guard unsaved text.
#include <QAction>
#include <QMenu>

#include "app/main_window.h"
#include "common/paths.h"
#include "controls/source_editor.h"
#include "state/recent_files_sink.h"
#include "tidy/diag_list_model.h"

namespace kw {

bool TForm1::AskAboutUnsavedText(UnsavedPrompt prompt) {
  const char* question = UnsavedChangesQuestion(prompt, Editor->Modified(), Editor->LineCount());
  if (!question || !dialogs_->Confirm(this, QString::fromLatin1(question))) return true;
  if (YesAnswer(prompt) == UnsavedAnswer::SaveInPlace) {
    Editor->SaveToFile(CurrentFileName);
    return true;
  }
  // The user asked to keep the text: cancelling the save dialog keeps it too.
  return FileSaveAs1Execute();
}

void TForm1::OpenDocument(const std::string& fileName) {
  DiagModel->Clear();
  Editor->Clear();
  Editor->LoadFromFile(fileName);
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
  CurrentFileName = *chosen;
  DocumentDir = FolderPart(*chosen);
  Editor->Clear();
  OpenDocument(CurrentFileName);
  Editor->SetModified(false);
  UpdateCommandStates();
}

void TForm1::Korvaa1Click() {
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
  Editor->Clear();
  DiagModel->Clear();
  Editor->SetModified(false);
  UpdateCommandStates();
}

void TForm1::EditorDropFiles(const std::vector<std::string>& files) {
  if (files.empty() || TidyRunning() || !AskAboutUnsavedText(UnsavedPrompt::Drop)) return;
  CurrentFileName = files.front();
  Editor->Clear();
  OpenDocument(CurrentFileName);
}

void TForm1::MruMenuClick(const std::string& fileName) {
  if (TidyRunning() || !AskAboutUnsavedText(UnsavedPrompt::RecentFile)) return;
  CurrentFileName = fileName;
  DocumentDir = FolderPart(fileName);
  Editor->Clear();
  OpenDocument(CurrentFileName);
}

void TForm1::MruFileNotExist(const std::string&) {
  dialogs_->Inform(this, QStringLiteral("The file does not exist!"));
}

}  // namespace kw
