// The main window's panels, buttons, editor, splitter and diagnostics list.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "widgets/icons.h"
#include "app/main_window.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "controls/splitter_bar.h"
#include "tidy/diag_kind_delegate.h"
#include "tidy/diag_list_model.h"

namespace kw {

namespace {

// A panel whose children are placed at fixed positions, with one child kept
// at its bottom edge.
class FixedPanel : public QWidget {
 public:
  using QWidget::QWidget;
  QWidget* bottomChild = nullptr;

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (bottomChild) bottomChild->move(bottomChild->x(), height() - bottomChild->height());
  }
};

// Holds the diagnostics list; the list never gets lower than its minimum,
// it is clipped instead, so the splitter can still make the panel small.
class ListPanel : public QFrame {
 public:
  using QFrame::QFrame;
  QWidget* list = nullptr;
  int listMinHeight = 0;

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (list) {
      const QRect inside = contentsRect();
      list->setGeometry(inside.x(), inside.y(), inside.width(), std::max(inside.height(), listMinHeight));
    }
  }
};

QToolButton* PictureButton(QWidget* parent, const QString& caption, int icon, QRect geometry) {
  auto* button = new QToolButton(parent);
  button->setText(caption);
  button->setIcon(CommandIconAt(icon));
  button->setIconSize(QSize(24, 24));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setGeometry(geometry);
  return button;
}

}  // namespace

void TForm1::BuildLayout() {
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* upper = new QHBoxLayout;
  upper->setSpacing(0);
  outer->addLayout(upper, 1);

  Panel1 = new QWidget(central);
  auto* column = new QVBoxLayout(Panel1);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  Editor = new SourceEditor(Panel1);
  HTMLHighlighter1.AndAttri.Foreground = 0x008080;  // teal
  HTMLHighlighter1.DefaultFilter = "HTML Document (*.htm,*.html)|*.htm;*.html";
  Editor->SetHighlighter(&HTMLHighlighter1);
  auto* listPanel = new ListPanel(Panel1);
  listPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  listPanel->setLineWidth(1);
  listPanel->setFixedHeight(99);
  Panel2 = listPanel;
  DiagList = new TDiagListView(Panel2);
  DiagModel = new TDiagListModel(DiagList);
  DiagList->setModel(DiagModel);
  DiagList->setItemDelegate(new TDiagKindDelegate(DiagList));
  DiagList->SetColumnWidths(60, 500);
  listPanel->list = DiagList;
  listPanel->listMinHeight = 68;
  Splitter1 = new TSplitterBar(Panel2, Panel1);
  column->addWidget(Editor, 1);
  column->addWidget(Splitter1);
  column->addWidget(Panel2);
  upper->addWidget(Panel1, 1);

  auto* toolbar = new FixedPanel(central);
  toolbar->setFixedWidth(95);
  QFont buttonFont = toolbar->font();
  buttonFont.setPixelSize(11);
  toolbar->setFont(buttonFont);
  ToolbarPanel = toolbar;
  upper->addWidget(ToolbarPanel);

  StatusPanel = new QWidget(central);
  StatusPanel->setFixedHeight(24);
  Bevel1 = new QFrame(StatusPanel);
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setGeometry(2, 4, 177, 18);
  Label1 = new QLabel(StatusPanel);
  Label1->move(12, 7);
  Label1->resize(160, 13);
  // The document's encoding at the panel's right end.
  auto* statusRow = new QHBoxLayout(StatusPanel);
  statusRow->setContentsMargins(0, 0, 10, 0);
  statusRow->setSpacing(2);
  // The list's counts by kind follow the status text.
  statusLead_ = new QSpacerItem(Bevel1->geometry().right() + 6, 0, QSizePolicy::Preferred, QSizePolicy::Minimum);
  statusRow->addSpacerItem(statusLead_);
  kindButtonRow_ = new QHBoxLayout;
  kindButtonRow_->setSpacing(2);
  statusRow->addLayout(kindButtonRow_);
  statusRow->addStretch(1);
  EncodingLabel = new QLabel(StatusPanel);
  statusRow->addWidget(EncodingLabel);
  outer->addWidget(StatusPanel);

  setCentralWidget(central);
  BuildButtons();
}

void TForm1::BuildButtons() {
  btOpen = PictureButton(ToolbarPanel, QStringLiteral("&Open..."), kIconOpen, {4, 1, 89, 45});
  btRun = PictureButton(ToolbarPanel, QStringLiteral("&Run tidy"), kIconRunTidy, {4, 49, 89, 45});
  btSaveas = PictureButton(ToolbarPanel, QStringLiteral("Save as..."), kIconSaveAs, {4, 97, 89, 45});
  btSave = PictureButton(ToolbarPanel, QStringLiteral("&Save"), kIconSave, {4, 145, 89, 45});
  btWebBrowser = PictureButton(ToolbarPanel, QStringLiteral("View in browser"), kIconViewInBrowser, {4, 194, 89, 45});
  btExit = PictureButton(ToolbarPanel, QStringLiteral("Exit"), kIconExit, {0, 0, 95, 45});
  static_cast<FixedPanel*>(ToolbarPanel)->bottomChild = btExit;
}

}  // namespace kw
