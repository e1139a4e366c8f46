#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <unistd.h>

#include "widgets/icons.h"
#include "state/ini_file.h"
#include "common/program_dir.h"
#include "common/error.h"
#include "changes/tidy_changes.h"
#include "common/paths.h"
#include "controls/source_editor.h"
#include "document/file_io.h"
#include "document/string_list.h"
#include "state/recent_files_menu.h"
#include "state/form_pos_save.h"
#include "state/recent_files_sink.h"
#include "tidy/diag_list_model.h"
#include "tidy/tidy_job.h"

namespace kw {

namespace {

constexpr char kCaptionPrefix[] = "Kempwell Beta 2.0.7 ";


}  // namespace

TForm1::TForm1(std::unique_ptr<UserDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  setObjectName(QStringLiteral("Form1"));
  setWindowIcon(WindowIcon());
  resize(625, 458);
  move(347, 108);
  setMinimumHeight(358);
  BuildLayout();
  BuildCommands();
  BuildAbout();
  ConnectEditor();
  ConnectRunChanges();
  MruList = std::make_unique<TMostRecentFiles>(this);
  MruList->BeginLoading();
  MruList->SetDialogs(dialogs_.get());
  MruList->SetMaxFiles(8);
  MruList->SetShowFullPath(true);
  MruList->SetOwnerMenuItem(Recentfiles1);
  MruList->MenuPosition = 0;
  MruList->OnMenuClick = [this](QAction*, const std::string& fileName) { Guarded([&] { MruMenuClick(fileName); }); };
  MruList->OnFileNotExist = [this](QAction*, const std::string& fileName) {
    Guarded([&] { MruFileNotExist(fileName); });
  };
  Mru = MruList.get();
  // Tracing reports under the desktop's window colour, as 0x00BBGGRR; the
  // "$" hex prefix and the apostrophe quote are the client's defaults.
  const QColor window = palette().color(QPalette::Base);
  Tracer.CategoryColor = static_cast<uint32_t>(window.red() | window.green() << 8 | window.blue() << 16);
  // Last, so that the restored bounds win over the designed ones.
  FormPosSave1 = new TFormPosSave(this, OnDestroy);
  FormPosSave1->UseIniFile = true;
  FormPosSave1->Loaded();
  qApp->installEventFilter(this);
}

TForm1::~TForm1() {
  Guarded([this] {
    if (OnDestroy) OnDestroy(this);
  });
  qApp->removeEventFilter(this);
}

void TForm1::ShowError(const std::exception& error) {
  const bool outOfMemory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
  dialogs_->ShowError(this, outOfMemory ? QStringLiteral("Out of memory") : QString::fromLocal8Bit(error.what()));
}

void TForm1::FormCreate(const std::optional<std::string>& commandLineDocument) {
  Guarded([&] {
    // The window's description ends here; a window that never starts up
    // leaves the stores alone.
    MruList->Loaded();
    ProgramDir = ResolveProgramDir();
    const std::string mruFile = JoinPath(ProgramDir, "kwmru.ini");
    if (Mru) Mru->SetIniFile(mruFile);
    if (PathExists(mruFile)) Recentfiles1->setEnabled(true);
    OptionsList.clear();
    IgnoreList.clear();
    const std::string ignoreFile = JoinPath(ProgramDir, "ignorelist.txt");
    if (PathExists(ignoreFile)) IgnoreList = LoadStringList(ignoreFile);
    LoadSettings();
    if (commandLineDocument) {
      const std::string document = ExpandLongPath(*commandLineDocument);
      // Name the file the user asked for, not the empty path it expands to.
      if (document.empty()) throw EKempwellError(CannotOpenFileMessage(*commandLineDocument, ENOENT));
      OpenDocument(document);
    }
  });
}

void TForm1::LoadSettings() {
  const IniFile ini(JoinPath(ProgramDir, "Kempwell.ini"));
  const bool visible = ini.ReadBool("Options", "Toolbarvisible", true);
  ToolbarPanel->setVisible(visible);
  Toolbar1->setChecked(visible);
}

void TForm1::SaveSettings() {
  if (ProgramDir.empty()) return;  // start-up never ran: there is no settings file to write
  IniFile ini(JoinPath(ProgramDir, "Kempwell.ini"));
  ini.WriteBool("Options", "Toolbarvisible", Toolbar1->isChecked());
}

void TForm1::showEvent(QShowEvent* e) {
  FormShow();
  QMainWindow::showEvent(e);
}

void TForm1::FormShow() { UpdateCommandStates(); }

void TForm1::closeEvent(QCloseEvent* e) {
  if (TidyRunning()) {
    // Tidy is stopped and the run cleans up; the usual close follows it.
    closeAfterRun_ = true;
    tidyRun_->Cancel();
    e->ignore();
    return;
  }
  bool mayClose = false;
  Guarded([&] { mayClose = FormClose(); });
  if (mayClose) e->accept();
  else e->ignore();
}

bool TForm1::FormClose() {
  if (!AskAboutUnsavedText(UnsavedPrompt::WindowClose)) return false;
  // Only the copies this session wrote for the browser go; a file of the
  // same name that the user keeps there is not ours.
  browserCopies_.RemoveAll();
  OptionsList.clear();
  IgnoreList.clear();
  // The settings are not worth keeping the window open for: the error is
  // shown and the window closes all the same.
  Guarded([this] { SaveSettings(); });
  return true;
}

void TForm1::UpdateCommandStates() {
  const bool document = !CurrentFileName.empty();
  const bool modified = Editor->Modified();
  const bool selection = Editor->SelAvail();
  // A run in progress must not see its document replaced or the window go.
  const bool idle = !TidyRunning();
  for (QAction* action : {FileOpen1, FileExit1, TidyOptions1}) action->setEnabled(idle);
  for (QToolButton* button : {btOpen, btExit}) button->setEnabled(idle);
  Suorita1->setEnabled(document && idle);
  btRun->setEnabled(document);
  btRun->setText(idle ? QStringLiteral("&Run tidy") : QStringLiteral("Stop"));
  FileSaveAs1->setEnabled(modified && idle);
  btSaveas->setEnabled(modified && idle);
  Sulje1->setEnabled(document && idle);
  Korvaa1->setEnabled(modified && idle);
  btSave->setEnabled(modified && idle);
  Avaaselaimessa1->setEnabled(document);
  btWebBrowser->setEnabled(document);
  AutRiv->setEnabled(document);
  actShowChanges->setEnabled(runChanges_ && idle);
  actSearch->setEnabled(document);
  Valitsekaikki1->setEnabled(document);
  for (QAction* action : {EditCut1, PopupCut, EditPaste1, PopupPaste}) action->setEnabled(selection);
  for (QAction* action : {EditUndo1, PopupUndo}) action->setEnabled(Editor->CanUndo());
  const bool utf8 = Editor->Encoding() == TextEncoding::Utf8;
  (utf8 ? EncodingUtf8 : EncodingLatin1)->setChecked(true);
  EncodingLabel->setText(utf8 ? QStringLiteral("UTF-8") : QStringLiteral("ISO-8859-1"));
  // Read the other way, the text must wait for a run in progress.
  for (QAction* encoding : {EncodingUtf8, EncodingLatin1}) encoding->setEnabled(idle);
  UpdateCaption();
}

QString TForm1::CaptionFor(const std::string& fileName) {
  return QString::fromLatin1(kCaptionPrefix) + QFile::decodeName(QByteArray::fromStdString(fileName));
}

void TForm1::UpdateCaption() {
  QString caption = CaptionFor(CurrentFileName);
  if (Editor->Modified()) caption += QLatin1Char('*');
  setWindowTitle(caption);
}

}  // namespace kw
