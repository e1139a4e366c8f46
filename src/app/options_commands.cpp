// The main window's Tidy options command.
#include "app/main_window.h"
#include "controls/source_editor.h"
#include "options/params_file.h"
#include "options/tidy_options_dialog.h"
#include "tidy/tidy_job.h"

namespace kw {

void TForm1::TidyOptions1Click() {
  if (TidyRunning()) return;  // the run has read its options; a new choice waits for the next one
  std::vector<TidyOption> options = LoadInstalledTidyOptions(ProgramDir);
  ParamsFile file(ProgramDir, DefaultTidyOptionsFor(Editor->Encoding()));
  TTidyOptionsDialog dialog(*dialogs_, std::move(options), file, this);
  dialogs_->RunTidyOptionsDialog(this, dialog);
}

}  // namespace kw
