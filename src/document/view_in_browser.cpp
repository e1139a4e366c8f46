// The main window's View in browser command: the document, or a copy of the
// unsaved editor text, opened in the desktop's viewer for HTML.
#include <QFile>
#include <QUrl>

#include "app/main_window.h"
#include "common/paths.h"
#include "controls/source_editor.h"
#include "document/file_io.h"

namespace kw {

void TForm1::Avaaselaimessa1Click() {
  std::string target = CurrentFileName;
  if (Editor->Modified()) {
    // Typed text saved under a new name has no document folder yet; the
    // program directory is one the user may write to.
    target = JoinPath(DocumentDir.empty() ? ProgramDir : DocumentDir, "~modified.htm");
    SaveTextFile(target, Editor->Text(), Editor->Breaks());
  }
  // A URL, not a command line: the path reaches the viewer as one argument.
  dialogs_->OpenInDesktop(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(target))));
}

}  // namespace kw
