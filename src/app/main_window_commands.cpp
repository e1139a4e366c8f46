// The command table: actions, menus, context menu, shortcuts, buttons, and
// the editor's key and mouse handlers.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "widgets/icons.h"
#include "app/main_window.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "document/typed_text.h"
#include "tidy/diag_list_model.h"

namespace kw {

namespace {

const QColor kWhite(255, 255, 255);

bool OnlyCtrl(Qt::KeyboardModifiers shift) { return (shift & ~Qt::KeypadModifier) == Qt::ControlModifier; }

}  // namespace

QAction* TForm1::NewAction(const QString& text, int icon, const QKeySequence& keys) {
  auto* action = new QAction(text, this);
  if (icon >= 0) action->setIcon(CommandIconAt(icon));
  if (!keys.isEmpty()) {
    // The router below delivers the keys; the toolkit only shows them in the menus.
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
  }
  return action;
}

void TForm1::BuildCommands() {
  FileOpen1 = NewAction(QStringLiteral("&Open"), kIconOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
  Suorita1 = NewAction(QStringLiteral("&Run tidy"), kIconRunTidy, QKeySequence(Qt::CTRL | Qt::Key_R));
  FileSaveAs1 = NewAction(QStringLiteral("Save as..."), kIconSaveAs);
  Korvaa1 = NewAction(QStringLiteral("Save"), kIconSave, QKeySequence(Qt::CTRL | Qt::Key_S));
  Sulje1 = NewAction(QStringLiteral("Close"), kIconClose, QKeySequence(Qt::CTRL | Qt::Key_F4));
  FileExit1 = NewAction(QStringLiteral("Exit"), kIconExit);
  EditUndo1 = NewAction(QStringLiteral("&Undo"), kIconUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
  EditCut1 = NewAction(QStringLiteral("Cu&t"), kIconCut, QKeySequence(Qt::CTRL | Qt::Key_X));
  EditCopy1 = NewAction(QStringLiteral("&Copy"), kIconCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
  EditPaste1 = NewAction(QStringLiteral("&Paste"), kIconPaste, QKeySequence(Qt::CTRL | Qt::Key_V));
  Valitsekaikki1 = NewAction(QStringLiteral("Select all"), kIconSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A));
  Toolbar1 = NewAction(QStringLiteral("Toolbar"), -1);
  Toolbar1->setCheckable(true);
  Toolbar1->setChecked(true);
  AutRiv = NewAction(QStringLiteral("Wordwrap"), kIconWordWrap, QKeySequence(Qt::CTRL | Qt::Key_W));
  AutRiv->setCheckable(true);
  Avaaselaimessa1 = NewAction(QStringLiteral("View in browser"), kIconViewInBrowser, QKeySequence(Qt::CTRL | Qt::Key_F12));
  actSearch = NewAction(QStringLiteral("Find"), kIconFind, QKeySequence(Qt::CTRL | Qt::Key_F));
  actSearchNext = NewAction(QStringLiteral("Find next"), -1, QKeySequence(Qt::Key_F3));
  actSearchPrev = NewAction(QStringLiteral("Find previous"), -1, QKeySequence(Qt::CTRL | Qt::Key_F3));
  actNextMessage = NewAction(QStringLiteral("Next message"), -1, QKeySequence(Qt::Key_F8));
  actPrevMessage = NewAction(QStringLiteral("Previous message"), -1, QKeySequence(Qt::SHIFT | Qt::Key_F8));
  actShowChanges = NewAction(QStringLiteral("&Changes by tidy..."), -1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
  Ohjelmatiedot1 = NewAction(QStringLiteral("&About"), -1);
  TidyOptions1 = NewAction(QStringLiteral("Tidy &options..."), -1);
  EncodingUtf8 = NewAction(QStringLiteral("UTF-8"), -1);
  EncodingLatin1 = NewAction(QStringLiteral("ISO-8859-1"), -1);
  auto* encodings = new QActionGroup(this);
  for (QAction* encoding : {EncodingUtf8, EncodingLatin1}) {
    encoding->setCheckable(true);
    encodings->addAction(encoding);
  }

  PopupUndo = NewAction(QStringLiteral("Kumoa"), kIconUndo, EditUndo1->shortcut());
  PopupCut = NewAction(QStringLiteral("Leikkaa"), kIconCut, EditCut1->shortcut());
  PopupCopy = NewAction(QStringLiteral("Kopioi"), kIconCopy, EditCopy1->shortcut());
  PopupPaste = NewAction(QString::fromUtf8("Liitä"), kIconPaste, EditPaste1->shortcut());
  EditSelectAll1 = NewAction(QStringLiteral("Select &all"), kIconSelectAll, Valitsekaikki1->shortcut());

  // The states before the first refresh.
  for (QAction* action : {Suorita1, FileSaveAs1, Korvaa1, Sulje1, AutRiv, Avaaselaimessa1, EditSelectAll1, actShowChanges})
    action->setEnabled(false);

  BuildMenus();

  auto on = [this](QAction* action, auto handler) {
    connect(action, &QAction::triggered, this, [this, handler] { Guarded(handler); });
  };
  on(FileOpen1, [this] { FileOpen1Execute(); });
  on(Suorita1, [this] { btRunClick(); });
  on(FileSaveAs1, [this] { FileSaveAs1Execute(); });
  on(Korvaa1, [this] { Korvaa1Click(); });
  on(Sulje1, [this] { Sulje1Click(); });
  on(FileExit1, [this] { close(); });
  for (QAction* undo : {EditUndo1, PopupUndo}) on(undo, [this] { Editor->undo(); });
  for (QAction* cut : {EditCut1, PopupCut})
    on(cut, [this] {
      Editor->cut();
      UpdateCommandStates();
    });
  for (QAction* copy : {EditCopy1, PopupCopy}) on(copy, [this] { Editor->copy(); });
  for (QAction* paste : {EditPaste1, PopupPaste}) on(paste, [this] { Editor->paste(); });
  for (QAction* selectAll : {Valitsekaikki1, EditSelectAll1}) on(selectAll, [this] { Editor->selectAll(); });
  on(Toolbar1, [this] { Toolbar1Click(); });
  on(AutRiv, [this] { AutRivClick(); });
  on(actSearch, [this] { actSearchExecute(); });
  on(actSearchNext, [this] { DoSearchText(false); });
  on(actSearchPrev, [this] { DoSearchText(true); });
  on(actNextMessage, [this] { GoToMessage(1); });
  on(actPrevMessage, [this] { GoToMessage(-1); });
  on(actShowChanges, [this] { ShowRunChanges(); });
  on(Avaaselaimessa1, [this] { Avaaselaimessa1Click(); });
  on(Ohjelmatiedot1, [this] { Ohjelmatiedot1Click(); });
  on(TidyOptions1, [this] { TidyOptions1Click(); });
  on(EncodingUtf8, [this] { SetDocumentEncoding(TextEncoding::Utf8); });
  on(EncodingLatin1, [this] { SetDocumentEncoding(TextEncoding::Latin1); });

  auto click = [this](QToolButton* button, QAction* action) {
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
  };
  click(btOpen, FileOpen1);
  // While tidy runs the button reads "Stop" and stops it.
  connect(btRun, &QToolButton::clicked, this, [this] {
    if (TidyRunning()) StopTidy();
    else Suorita1->trigger();
  });
  click(btSaveas, FileSaveAs1);
  click(btSave, Korvaa1);
  click(btWebBrowser, Avaaselaimessa1);
  click(btExit, FileExit1);

  router_.SetContextMenuEntries({PopupUndo, PopupCut, PopupCopy, PopupPaste, EditSelectAll1});
  router_.SetMainMenuEntries({FileOpen1, Suorita1, Korvaa1, Sulje1, EditUndo1, EditCut1, EditCopy1, EditPaste1,
                              Valitsekaikki1, AutRiv, Avaaselaimessa1, actSearch});
  router_.SetOtherCommands({actSearchNext, actSearchPrev, actNextMessage, actPrevMessage, actShowChanges});
}

void TForm1::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addActions({FileOpen1, Suorita1, FileSaveAs1, Korvaa1, Sulje1});
  Recentfiles1 = file->addMenu(QStringLiteral("Recent files"));
  Recentfiles1->setEnabled(false);
  file->addSeparator();
  file->addAction(FileExit1);

  EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
  EditMenu->addActions({EditUndo1, EditCut1, EditCopy1, EditPaste1});
  EditMenu->addSeparator();
  EditMenu->addAction(Valitsekaikki1);
  // Where desktop programs keep their preferences.
  EditMenu->addSeparator();
  EditMenu->addAction(TidyOptions1);
  connect(EditMenu, &QMenu::aboutToShow, this, &TForm1::ApplyEditorRule);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addActions({Toolbar1, AutRiv, Avaaselaimessa1, actSearch});
  view->addActions({actNextMessage, actPrevMessage});
  view->addAction(actShowChanges);
  QMenu* encoding = view->addMenu(QStringLiteral("&Encoding"));
  encoding->addActions({EncodingUtf8, EncodingLatin1});
  BuildKindFilters(view);

  menuBar()->addAction(Ohjelmatiedot1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->addActions({PopupUndo, PopupCut, PopupCopy, PopupPaste, EditSelectAll1});
  connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::ApplyEditorRule);
}

void TForm1::ConnectEditor() {
  Editor->OnKeyDown = [this](SourceEditor&, int key, Qt::KeyboardModifiers shift) {
    Guarded([&] { EditorKeyDown(key, shift); });
  };
  Editor->OnKeyUp = [this](SourceEditor&, int key, Qt::KeyboardModifiers shift) {
    Guarded([&] { EditorKeyUp(key, shift); });
  };
  Editor->OnKeyPress = [this](SourceEditor&, char key) { Guarded([&] { EditorKeyPress(key); }); };
  Editor->OnClick = [this](SourceEditor&) { EditorClick(); };
  // Handled after the drop has finished, so that its questions do not keep
  // the program that started the drag waiting.
  Editor->OnDropFiles = [this](SourceEditor&, const std::vector<std::string>& files) {
    QMetaObject::invokeMethod(
        this, [this, files] { Guarded([&] { EditorDropFiles(files); }); }, Qt::QueuedConnection);
  };
  Editor->OnContextMenu = [this](SourceEditor&, const QPoint& pos) { PopupMenu1->popup(pos); };
  // A click, Enter or Space: moving through the list with the arrow keys
  // leaves the editor alone.
  connect(DiagList, &TDiagListView::RowChosen, this, [this] { Guarded([this] { DiagListClick(); }); });
  // Once the text changes the list describes an earlier text; its jumps
  // follow the marks, which moved with the text.
  connect(Editor, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int, int type, const char*, int, int, int, int, int, int, int) {
            if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)) ||
                TidyRunning() || DiagModel->Rows().Count() == 0 || DiagModel->Stale())
              return;
            DiagModel->SetStale(true);
            SetStatusText(Label1->text() + QStringLiteral(" - the text has changed since"));
          });
  // The counts follow the rows, and the marks go with the rows they stand for.
  connect(DiagModel, &QAbstractItemModel::modelReset, this, [this] {
    UpdateKindCounts();
    if (DiagModel->Rows().Count() != 0) return;
    Editor->ClearMessageMarks();
    markHandles_.clear();
  });
  Editor->OnMarkToolTip = [this](SourceEditor&, int line) {
    QStringList messages;
    const std::vector<TTreeData>& rows = DiagModel->Rows().Rows();
    for (size_t i = 0; i < markHandles_.size(); ++i)
      if (markHandles_[i] != 0 && Editor->MessageMarkLine(markHandles_[i]) == line)
        messages << QString::fromLatin1(rows[i].Message).trimmed();
    return messages.join(QLatin1Char('\n'));
  };
}

bool TForm1::EditorHasFocus() const { return focusWidget() == Editor; }

void TForm1::ApplyEditorRule() {
  if (EditorHasFocus()) {
    const bool selection = Editor->SelAvail();
    for (QAction* undo : {EditUndo1, PopupUndo}) undo->setEnabled(Editor->CanUndo());
    for (QAction* action : {EditCut1, PopupCut, EditCopy1, PopupCopy}) action->setEnabled(selection);
    for (QAction* paste : {EditPaste1, PopupPaste}) paste->setEnabled(Editor->CanPaste());
    EditSelectAll1->setEnabled(true);
  } else {
    for (QAction* action : {EditCopy1, PopupCopy, EditPaste1, PopupPaste}) action->setEnabled(false);
  }
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* keyEvent = static_cast<QKeyEvent*>(e);
  if (TidyRunning() && keyEvent->key() == Qt::Key_Escape) {
    if (e->type() == QEvent::KeyPress) StopTidy();
    e->accept();
    return true;
  }
  QAction* entry = router_.Resolve(ShortcutRouter::Combination(*keyEvent), EditorHasFocus());
  if (!entry) return false;
  // Claim the key from the focused widget's own bindings; act when it is pressed.
  e->accept();
  if (e->type() == QEvent::KeyPress) {
    const QList<QAction*> editing = {EditUndo1, EditCut1, EditCopy1, EditPaste1,
                                     PopupUndo, PopupCut, PopupCopy, PopupPaste, EditSelectAll1};
    if (editing.contains(entry)) ApplyEditorRule();
    if (entry->isEnabled()) entry->trigger();
  }
  return true;
}

void TForm1::keyPressEvent(QKeyEvent* e) {
  // Keys reach the window itself only when no control has the focus.
  const QWidget* focus = QApplication::focusWidget();
  if ((focus == nullptr || focus == this) && e->key() == Qt::Key_A && OnlyCtrl(e->modifiers())) {
    Editor->selectAll();
    return;
  }
  QMainWindow::keyPressEvent(e);
}

void TForm1::EditorClick() { Editor->SetActiveLineColor(kWhite); }

void TForm1::EditorKeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_Delete && !Editor->isReadOnly()) {
    Editor->SetModified(true);
    UpdateCommandStates();
  } else if (key == Qt::Key_F1) {
    const std::string word = Editor->WordAtCaret();
    dialogs_->Inform(this, DecodeFromDocument(word, Editor->Encoding()));
  }
  Editor->SetActiveLineColor(kWhite);
}

void TForm1::EditorKeyPress(char) {
  if (Editor->isReadOnly()) return;  // the key types nothing
  Editor->SetModified(true);
  UpdateCommandStates();
}

void TForm1::EditorKeyUp(int key, Qt::KeyboardModifiers shift) {
  if (!OnlyCtrl(shift)) return;
  if (key == Qt::Key_A) Editor->selectAll();
  else if (key == Qt::Key_F) actSearchExecute();
}

void TForm1::SetDocumentEncoding(TextEncoding encoding) {
  Editor->SetEncoding(encoding);
  UpdateCommandStates();
}

void TForm1::Toolbar1Click() { ToolbarPanel->setVisible(Toolbar1->isChecked()); }

void TForm1::AutRivClick() { Editor->SetWordWrap(AutRiv->isChecked()); }

void TForm1::actSearchExecute() { ShowSearchDialog(); }

}  // namespace kw
