// The main window's View in browser command: the document, or a copy of the
// unsaved editor text, opened in the desktop's viewer for HTML.
#include <QFile>

#include "app/main_window.h"
#include "common/local_file_url.h"
#include "common/paths.h"
#include "controls/source_editor.h"

namespace kw {

std::string TForm1::BrowserCopyPath() const {
  // Typed text saved under a new name has no document folder yet; the
  // program directory is one the user may write to.
  return JoinPath(DocumentDir.empty() ? ProgramDir : DocumentDir, "~modified.htm");
}

void TForm1::Avaaselaimessa1Click() {
  std::string target = CurrentFileName;
  if (Editor->Modified()) target = browserCopies_.Write(FolderPart(BrowserCopyPath()), Editor->Text(), Editor->Breaks());
  // A URL, not a command line: the path reaches the viewer as one argument, byte for byte.
  dialogs_->OpenOrSayWhyNot(this, LocalFileUrl(target), QFile::decodeName(QByteArray::fromStdString(target)));
}

}  // namespace kw
