// The main window: its layout, its commands and the rules that enable them.
// The handlers of each subsystem's commands are defined in a file of their own here.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop_dialogs.h"
#include "app/shortcut_router.h"
#include "widgets/user_dialogs.h"
#include "document/browser_copies.h"
#include "document/text_encoding.h"
#include "document/unsaved_prompts.h"
#include "highlight/html_highlighter.h"
#include "search/edit_search.h"
#include "search/search_settings.h"
#include "tidy/diag_kind.h"
#include "tidy/diag_rows.h"
#include "trace/trace_client.h"

class QAction;
class QFrame;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QMenu;
class QToolButton;

namespace kw {

class RecentFilesSink;
class TAboutInfoDialog;
class TChangesView;
class TMostRecentFiles;
class SourceEditor;
class TDiagListModel;
class TDiagListView;
class TFormPosSave;
class TidyChanges;
class TidyJob;
class TSplitterBar;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(std::unique_ptr<UserDialogs> dialogs = MakeDesktopDialogs(), QWidget* parent = nullptr);
  ~TForm1() override;

  // Start-up, once the window is built: the program directory, the stores,
  // the lists, the settings and the document named on the command line.
  void FormCreate(const std::optional<std::string>& commandLineDocument);

  // Recomputes which commands are enabled, then the caption.
  void UpdateCommandStates();
  void UpdateCaption();
  // The caption prefix followed by the file name.
  static QString CaptionFor(const std::string& fileName);
  void LoadSettings();
  void SaveSettings();

  // Document handling.
  void OpenDocument(const std::string& fileName);
  void FileOpen1Execute();
  void Korvaa1Click();
  // False when the save dialog was cancelled.
  bool FileSaveAs1Execute();
  void Sulje1Click();
  void EditorDropFiles(const std::vector<std::string>& files);
  void MruMenuClick(const std::string& fileName);
  void MruFileNotExist(const std::string& fileName);

  // The tidy run.
  void btRunClick();
  // Keeps the window alive while tidy runs: pending events, then 10 ms of sleep.
  void RunnerIdle();
  // Puts tidy's cleaned document into the editor.
  void RunnerFinished(const std::string& cleanedFile);
  // Moves the editor to the line and column of the list's focused row.
  void DiagListClick();
  // F8 and Shift+F8: the next or previous message, round the list, chosen.
  void GoToMessage(int step);
  // Lists the rows of a run and marks their lines in the margin.
  void ListMessages(DiagRows rows);
  // Marks the lines of the listed messages in the editor's margin.
  void MarkMessages();
  // The counts by kind beside the status text and in the View menu.
  void UpdateKindCounts();
  // Shows or hides the list's rows of one kind, keeping the focused row
  // focused while it is shown.
  void ShowKindInList(DiagKind kind, bool shown);
  // True from the start of a run until it has ended.
  bool TidyRunning() const { return tidyRun_ != nullptr; }
  // Stops the run in progress (Esc, the Run button while it reads "Stop").
  void StopTidy();
  // SIGINT or SIGTERM arrived: a run in progress is stopped and cleaned up
  // first, then the program ends as the signal would have ended it.
  void StopSignalReceived();
  // The status label's text; the label grows to show it whole.
  void SetStatusText(const QString& text);

  // What the last run that cleaned the text changed: kept from the end of
  // that run until the document is opened anew or closed, and shown in the
  // Changes window (View > Changes by tidy).
  void KeepRunChanges(std::unique_ptr<TidyChanges> changes);
  void ForgetRunChanges();
  void ShowRunChanges();
  const TidyChanges* RunChanges() const { return runChanges_.get(); }
  TChangesView* ChangesView() const { return changesView_; }

  // Editor and window key and mouse handlers.
  void EditorClick();
  void EditorKeyDown(int key, Qt::KeyboardModifiers shift);
  void EditorKeyUp(int key, Qt::KeyboardModifiers shift);
  void EditorKeyPress(char key);
  void Toolbar1Click();
  void AutRivClick();
  void actSearchExecute();
  // The search: the dialog, then a search; and a search with the stored settings.
  void ShowSearchDialog();
  void DoSearchText(bool backwards);
  // Enables Undo, Cut, Copy, Paste and Select all from the editor's state.
  void ApplyEditorRule();
  // Shows the document, or the unsaved editor text, in the desktop's viewer.
  void Avaaselaimessa1Click();
  // Where View in browser writes unsaved text when that name is free; the
  // window's close removes what it wrote.
  std::string BrowserCopyPath() const;
  void Ohjelmatiedot1Click();
  // Edit > Tidy options: tidy's options as the installed tidy lists them,
  // with the choice of params.txt's first line, which OK writes back.
  void TidyOptions1Click();
  // View > Encoding: the same bytes read the other way; the text's bytes and
  // the modified flag stay.
  void SetDocumentEncoding(TextEncoding encoding);

  // Runs a command handler; an error escaping it is shown in the standard
  // error box and the window stays usable.
  template <typename Handler>
  void Guarded(Handler&& handler);


  // State of the current document and of the program.
  std::string ProgramDir;
  std::string CurrentFileName;
  std::string DocumentDir;
  std::vector<std::string> OptionsList;
  std::vector<std::string> IgnoreList;
  // The window's own recent-files list; Mru points to it unless a test swaps it.
  std::unique_ptr<TMostRecentFiles> MruList;
  RecentFilesSink* Mru = nullptr;
  TTraceObjectEx Tracer;
  TAboutInfoDialog* About = nullptr;
  // The search settings of the run; they change only when the dialog closes with OK.
  TSearchSettings SearchSettings;
  // False: a search covers the whole text (or the selection); true: it starts at the caret.
  bool SearchFromCaret = false;

  // The window's destroy event, raised first thing in its destructor.
  std::function<void(QObject* sender)> OnDestroy;

  // Components.
  SourceEditor* Editor = nullptr;
  THTMLHighlighter HTMLHighlighter1;
  TEditSearch EditSearch;
  TDiagListView* DiagList = nullptr;
  TDiagListModel* DiagModel = nullptr;
  QWidget* ToolbarPanel = nullptr;
  QWidget* StatusPanel = nullptr;
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  TSplitterBar* Splitter1 = nullptr;
  TFormPosSave* FormPosSave1 = nullptr;
  QFrame* Bevel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* EncodingLabel = nullptr;
  QToolButton* btOpen = nullptr;
  QToolButton* btRun = nullptr;
  QToolButton* btSaveas = nullptr;
  QToolButton* btSave = nullptr;
  QToolButton* btWebBrowser = nullptr;
  QToolButton* btExit = nullptr;

  // Commands. Main menu entries and actions:
  QAction* FileOpen1 = nullptr;
  QAction* Suorita1 = nullptr;  // Run tidy
  QAction* FileSaveAs1 = nullptr;
  QAction* Korvaa1 = nullptr;  // Save
  QAction* Sulje1 = nullptr;   // Close
  QMenu* Recentfiles1 = nullptr;
  QAction* FileExit1 = nullptr;
  QAction* EditUndo1 = nullptr;
  QAction* EditCut1 = nullptr;
  QAction* EditCopy1 = nullptr;
  QAction* EditPaste1 = nullptr;
  QAction* Valitsekaikki1 = nullptr;  // Edit > Select all
  QAction* Toolbar1 = nullptr;
  QAction* AutRiv = nullptr;  // Wordwrap
  QAction* Avaaselaimessa1 = nullptr;  // View in browser
  QAction* actSearch = nullptr;
  QAction* actSearchNext = nullptr;
  QAction* actSearchPrev = nullptr;
  QAction* actNextMessage = nullptr;
  QAction* actPrevMessage = nullptr;
  QAction* actShowChanges = nullptr;
  QAction* Ohjelmatiedot1 = nullptr;  // About
  QAction* TidyOptions1 = nullptr;
  // The list's filter by kind: a choice under View > Show in list and a
  // button with its count in the status bar, for each kind.
  struct KindFilter {
    DiagKind kind;
    QAction* action;
    QToolButton* button;
  };
  std::vector<KindFilter> KindFilters;
  QAction* EncodingUtf8 = nullptr;
  QAction* EncodingLatin1 = nullptr;
  QMenu* EditMenu = nullptr;
  // The editor's context menu and its entries:
  QMenu* PopupMenu1 = nullptr;
  QAction* PopupUndo = nullptr;
  QAction* PopupCut = nullptr;
  QAction* PopupCopy = nullptr;
  QAction* PopupPaste = nullptr;
  QAction* EditSelectAll1 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildLayout();
  void BuildCommands();
  void BuildMenus();
  void BuildButtons();
  void BuildAbout();
  void BuildKindFilters(QMenu* view);
  void ConnectEditor();
  void ConnectRunChanges();
  QAction* NewAction(const QString& text, int icon, const QKeySequence& keys = {});
  void FormShow();
  // False when the close must not go on (cancelled, or a save that was asked for failed).
  bool FormClose();
  // Asks the unsaved-changes question of the operation and carries out a
  // Yes; false when the operation must stop (the save dialog was cancelled).
  bool AskAboutUnsavedText(UnsavedPrompt prompt);
  bool EditorHasFocus() const;
  void ShowError(const std::exception& error);

  std::unique_ptr<UserDialogs> dialogs_;
  ShortcutRouter router_;
  BrowserCopies browserCopies_;
  // The margin mark of each listed row, in the list's order; 0 for none.
  std::vector<int> markHandles_;
  // Room before the kind buttons in the status bar, as wide as the status text.
  QSpacerItem* statusLead_ = nullptr;
  QHBoxLayout* kindButtonRow_ = nullptr;
  std::unique_ptr<TidyChanges> runChanges_;
  // Built when first shown.
  TChangesView* changesView_ = nullptr;
  // The run in progress, while btRunClick is on the stack.
  TidyJob* tidyRun_ = nullptr;
  // The window was asked to close during a run; it closes once the run is over.
  bool closeAfterRun_ = false;
  // A stop signal came during a run; the program ends once the run is over.
  bool endAfterRun_ = false;
};

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

}  // namespace kw
