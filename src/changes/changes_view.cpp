#include "changes/changes_view.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include "changes/tidy_changes.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "highlight/html_highlighter.h"
#include "tidy/diag_kind_delegate.h"
#include "tidy/diag_list_model.h"

namespace kw {

namespace {

// Markers of the two texts, beside the editor's own message marks (0 to 2).
constexpr int kChangedLine = 3;   // the line's background
constexpr int kChangedSign = 4;   // a boxed minus or plus in the mark margin
constexpr int kOtherSideHere = 5;  // an underline: the other text's lines stand below this line
constexpr unsigned long kSignMargin = 1;
constexpr int kSignWidth = 14;
const QColor kYellow(255, 255, 0);

struct SideLook {
  long lineColour;  // 0xBBGGRR, as the editor takes colours
  long signColour;
  int sign;
};
constexpr SideLook kBeforeLook{0xDCDCFF, 0x0000C0, QsciScintillaBase::SC_MARK_MINUS};  // light red, red
constexpr SideLook kAfterLook{0xD2F5D2, 0x007000, QsciScintillaBase::SC_MARK_PLUS};    // light green, green

long Send(SourceEditor* pane, unsigned int message, unsigned long w = 0, long l = 0) {
  return pane->SendScintilla(message, w, l);
}

SourceEditor* NewPane(QWidget* parent, THTMLHighlighter* highlighter, const SideLook& look) {
  auto* pane = new SourceEditor(parent);
  pane->setReadOnly(true);
  pane->SetHighlighter(highlighter);
  // The line shown for a message or a change stays marked while the focus is elsewhere.
  Send(pane, QsciScintillaBase::SCI_SETCARETLINEVISIBLEALWAYS, 1);
  Send(pane, QsciScintillaBase::SCI_MARKERDEFINE, kChangedLine, QsciScintillaBase::SC_MARK_BACKGROUND);
  Send(pane, QsciScintillaBase::SCI_MARKERSETBACK, kChangedLine, look.lineColour);
  Send(pane, QsciScintillaBase::SCI_MARKERDEFINE, kChangedSign, look.sign);
  Send(pane, QsciScintillaBase::SCI_MARKERSETFORE, kChangedSign, 0xFFFFFF);
  Send(pane, QsciScintillaBase::SCI_MARKERSETBACK, kChangedSign, look.signColour);
  Send(pane, QsciScintillaBase::SCI_MARKERDEFINE, kOtherSideHere, QsciScintillaBase::SC_MARK_UNDERLINE);
  Send(pane, QsciScintillaBase::SCI_MARKERSETBACK, kOtherSideHere, look.signColour);
  Send(pane, QsciScintillaBase::SCI_SETMARGINMASKN, kSignMargin, 1 << kChangedSign);
  pane->setMarginWidth(static_cast<int>(kSignMargin), kSignWidth);
  return pane;
}

// The bytes in one piece, without an undo history: the texts are only read.
void Load(SourceEditor* pane, std::string_view bytes, TextEncoding encoding) {
  pane->setReadOnly(false);
  Send(pane, QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
  Send(pane, QsciScintillaBase::SCI_CLEARALL);
  // Set while the text is empty, where it costs nothing.
  pane->SetEncoding(encoding);
  pane->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.data());
  Send(pane, QsciScintillaBase::SCI_GOTOPOS, 0);
  pane->setReadOnly(true);
}

QWidget* Captioned(QWidget* parent, const QString& caption, QWidget* content, QLabel** label = nullptr) {
  auto* box = new QWidget(parent);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  auto* title = new QLabel(caption, box);
  title->setBuddy(content);
  column->addWidget(title);
  content->setParent(box);
  column->addWidget(content, 1);
  if (label) *label = title;
  return box;
}

}  // namespace

TChangesView::TChangesView(QWidget* parent) : QDialog(parent), highlighter_(std::make_unique<THTMLHighlighter>()) {
  setObjectName(QStringLiteral("ChangesView"));
  setSizeGripEnabled(true);
  resize(1000, 680);
  highlighter_->AndAttri.Foreground = 0x008080;  // teal, as in the editor

  PreviousButton = new QPushButton(QStringLiteral("&Previous change"), this);
  PreviousButton->setToolTip(QStringLiteral("Shift+F7 or Alt+Up"));
  NextButton = new QPushButton(QStringLiteral("&Next change"), this);
  NextButton->setToolTip(QStringLiteral("F7 or Alt+Down"));
  for (QPushButton* button : {PreviousButton, NextButton}) button->setAutoDefault(false);
  CountLabel = new QLabel(this);
  IgnoreBlanks = new QCheckBox(QStringLiteral("&Ignore blanks at the start and end of lines"), this);
  IgnoreBlanks->setChecked(true);
  auto* commands = new QHBoxLayout;
  commands->addWidget(PreviousButton);
  commands->addWidget(NextButton);
  commands->addSpacing(12);
  commands->addWidget(CountLabel);
  commands->addStretch(1);
  commands->addWidget(IgnoreBlanks);

  Note = new QLabel(this);
  Note->setWordWrap(true);
  Note->hide();

  BeforeText = NewPane(this, highlighter_.get(), kBeforeLook);
  AfterText = NewPane(this, highlighter_.get(), kAfterLook);
  auto* texts = new QSplitter(Qt::Horizontal, this);
  texts->addWidget(Captioned(texts, QStringLiteral("&Before the run"), BeforeText));
  texts->addWidget(Captioned(texts, QStringLiteral("&After the run"), AfterText));

  MessageList = new TDiagListView(this);
  Messages = new TDiagListModel(MessageList);
  MessageList->setModel(Messages);
  MessageList->setItemDelegate(new TDiagKindDelegate(MessageList));
  MessageList->SetColumnWidths(60, 700);
  auto* parts = new QSplitter(Qt::Vertical, this);
  parts->addWidget(texts);
  parts->addWidget(Captioned(parts, QString(), MessageList, &messagesCaption_));
  parts->setStretchFactor(0, 4);
  parts->setStretchFactor(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(commands);
  layout->addWidget(Note);
  layout->addWidget(parts, 1);
  layout->addWidget(buttons);

  // The texts are read-only, so they leave these keys to the window.
  auto key = [this](const QList<QKeySequence>& keys, int step) {
    auto* action = new QAction(this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, step] { GoToChange(step); });
    addAction(action);
  };
  key({QKeySequence(Qt::Key_F7), QKeySequence(Qt::ALT | Qt::Key_Down)}, 1);
  key({QKeySequence(Qt::SHIFT | Qt::Key_F7), QKeySequence(Qt::ALT | Qt::Key_Up)}, -1);
  // The editor takes Esc for itself; the window closes on it as dialogs do.
  auto* close = new QAction(this);
  close->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(close, &QAction::triggered, this, &QDialog::reject);
  addAction(close);

  connect(NextButton, &QPushButton::clicked, this, [this] { GoToChange(1); });
  connect(PreviousButton, &QPushButton::clicked, this, [this] { GoToChange(-1); });
  connect(IgnoreBlanks, &QCheckBox::toggled, this, [this] { Compare(); });
  connect(MessageList, &TDiagListView::RowChosen, this, [this] { ShowMessageLine(); });
  for (DiffSide side : {DiffSide::Before, DiffSide::After}) {
    SourceEditor* pane = Pane(side);
    connect(pane->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, side] { FollowScroll(side); });
    connect(pane->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this, side](int offset) {
      if (following_) return;
      following_ = true;
      Send(Pane(Other(side)), QsciScintillaBase::SCI_SETXOFFSET, static_cast<unsigned long>(offset));
      following_ = false;
    });
    connect(pane, &QsciScintilla::cursorPositionChanged, this, [this, side, pane] {
      if (!pane->hasFocus()) return;
      lastUsed_ = side;
      atStart_ = false;
    });
  }
}

TChangesView::~TChangesView() = default;

void TChangesView::ShowChanges(const QString& documentName, const TidyChanges& changes, std::string_view after) {
  shown_ = &changes;
  documentName_ = documentName;
  breaksNote_ = QString::fromLatin1(changes.BreaksNote());
  const QByteArray before = changes.Before();
  Load(BeforeText, std::string_view(before.constData(), static_cast<size_t>(before.size())), changes.Encoding());
  Load(AfterText, after, changes.Encoding());
  Messages->Assign(changes.FirstRunRows());
  messagesCaption_->setText(QStringLiteral("&Messages about the text before the run (%1)").arg(Messages->rowCount()));
  lastUsed_ = DiffSide::Before;
  Compare();
}

void TChangesView::hideEvent(QHideEvent* e) {
  // Minimised by the user, the window keeps what it shows.
  if (!e->spontaneous()) Clear();
  QDialog::hideEvent(e);
}

void TChangesView::Clear() {
  shown_ = nullptr;
  Load(BeforeText, {}, TextEncoding::Utf8);
  Load(AfterText, {}, TextEncoding::Utf8);
  Messages->Clear();
  diff_ = {};
  current_ = -1;
}

void TChangesView::SetEditedSince(bool edited) {
  editedSince_ = edited;
  UpdateTexts();
}

void TChangesView::Compare() {
  const BlankRule rule = IgnoreBlanks->isChecked() ? BlankRule::IgnoreEdgeBlanks : BlankRule::Exact;
  diff_ = DiffTexts(BeforeText->Text(), AfterText->Text(), rule);
  current_ = -1;
  atStart_ = true;
  MarkChanges();
  UpdateTexts();
}

void TChangesView::MarkChanges() {
  for (DiffSide side : {DiffSide::Before, DiffSide::After}) {
    SourceEditor* pane = Pane(side);
    for (int marker : {kChangedLine, kChangedSign, kOtherSideHere})
      Send(pane, QsciScintillaBase::SCI_MARKERDELETEALL, static_cast<unsigned long>(marker));
    for (const ChangeBlock& block : diff_.blocks) {
      const int start = block.Start(side), count = block.Count(side);
      for (int line = start; line < start + count; ++line)
        Send(pane, QsciScintillaBase::SCI_MARKERADDSET, static_cast<unsigned long>(line),
             1 << kChangedLine | 1 << kChangedSign);
      // No line stands above lines inserted at the very start.
      if (count == 0 && start > 0)
        Send(pane, QsciScintillaBase::SCI_MARKERADD, static_cast<unsigned long>(start - 1), kOtherSideHere);
    }
  }
}

void TChangesView::UpdateTexts() {
  const size_t count = diff_.blocks.size();
  CountLabel->setText(current_ >= 0 ? QStringLiteral("Change %1 of %2").arg(current_ + 1).arg(count)
                                    : QString::fromLatin1(ChangeCountText(count)));
  PreviousButton->setEnabled(count != 0);
  NextButton->setEnabled(count != 0);
  QStringList notes;
  if (editedSince_)
    notes << QStringLiteral("The text has been edited since this run: this shows what the run changed, "
                            "not the text as it is now.");
  if (!breaksNote_.isEmpty()) notes << breaksNote_;
  Note->setText(notes.join(QLatin1Char(' ')));
  Note->setVisible(!notes.isEmpty());
  QString title = QStringLiteral("Changes by tidy - ") + documentName_;
  if (editedSince_) title += QStringLiteral(" (edited since)");
  setWindowTitle(title);
}

void TChangesView::GoToChange(int step) {
  const int line = atStart_ ? -1 : Pane(lastUsed_)->CaretPos().line - 1;
  const int change = StepChange(diff_, lastUsed_, line, step, current_);
  if (change < 0) return;
  current_ = change;
  atStart_ = false;
  SourceEditor* lead = Pane(lastUsed_);
  // A few lines of context above; the other text follows the scroll.
  lead->SetTopLine(ChangeLine(diff_, lastUsed_, change) + 1 - 3);
  FollowScroll(lastUsed_);
  for (DiffSide side : {DiffSide::Before, DiffSide::After}) {
    SourceEditor* pane = Pane(side);
    pane->SetCaretPos({ChangeLine(diff_, side, change) + 1, 1});
    pane->SetActiveLineColor(kYellow);
  }
  UpdateTexts();
}

void TChangesView::FollowScroll(DiffSide side) {
  if (following_) return;
  following_ = true;
  Pane(Other(side))->SetTopLine(MatchingLine(diff_, side, Pane(side)->TopLine() - 1) + 1);
  following_ = false;
}

void TChangesView::ShowMessageLine() {
  const QModelIndex focused = MessageList->currentIndex();
  if (!focused.isValid()) return;
  const TTreeData& row = Messages->Rows().Rows()[static_cast<size_t>(focused.row())];
  // Lines below 1 go where line 0 goes: the top of the text.
  const int line = std::max(0, LineNumber(row.Line));
  BeforeText->ShowMessageAt(line, row.Column);
  lastUsed_ = DiffSide::Before;
  atStart_ = false;
}

}  // namespace kw
