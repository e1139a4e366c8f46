// The main window's part of the Changes window: what a run changed, kept
// from the end of the run, the command that shows it, and the note that the
// text has been edited since.
#include <QAction>
#include <QFile>

#include "app/main_window.h"
#include "changes/changes_view.h"
#include "changes/tidy_changes.h"
#include "controls/source_editor.h"

namespace kw {

void TForm1::ConnectRunChanges() {
  // Called before the editor changes: the cleaned text is still there to keep.
  connect(Editor, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int, int type, const char*, int, int, int, int, int, int, int) {
            if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)) ||
                !runChanges_ || TidyRunning())
              return;
            // Only once: reaching the whole text moves the editor's gap to its end.
            if (!runChanges_->Kept()) runChanges_->KeepCleanedText(Editor->Text());
            if (changesView_ && !changesView_->EditedSince()) changesView_->SetEditedSince(true);
          });
}

void TForm1::KeepRunChanges(std::unique_ptr<TidyChanges> changes) {
  runChanges_ = std::move(changes);
  if (changesView_ && changesView_->isVisible()) ShowRunChanges();
}

void TForm1::ForgetRunChanges() {
  if (changesView_) changesView_->hide();
  runChanges_.reset();
}

void TForm1::ShowRunChanges() {
  if (!runChanges_) return;
  if (!changesView_) changesView_ = new TChangesView(this);
  const std::string_view after = runChanges_->After(Editor->Text());
  if (changesView_->Shown() != runChanges_.get())
    changesView_->ShowChanges(QFile::decodeName(QByteArray::fromStdString(CurrentFileName)), *runChanges_, after);
  changesView_->SetEditedSince(runChanges_->EditedSince(Editor->Text()));
  changesView_->show();
  changesView_->raise();
  changesView_->activateWindow();
}

}  // namespace kw
