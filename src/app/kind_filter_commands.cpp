// The list's filter by kind: View > Show in list, and a button per kind
// with its count beside the status text; both show and hide that kind's rows.
#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include "app/main_window.h"
#include "controls/diag_list_view.h"
#include "tidy/diag_kind_delegate.h"
#include "tidy/diag_list_model.h"

namespace kw {

namespace {

struct KindName {
  DiagKind kind;
  const char* name;
  const char* menuText;
};

constexpr KindName kFilteredKinds[] = {{DiagKind::Error, "Errors", "&Errors"},
                                       {DiagKind::Warning, "Warnings", "&Warnings"},
                                       {DiagKind::Info, "Info", "&Info"},
                                       {DiagKind::Access, "Access", "&Access"},
                                       {DiagKind::Config, "Config", "&Config"}};

const KindName& NameOf(DiagKind kind) {
  for (const KindName& k : kFilteredKinds)
    if (k.kind == kind) return k;
  return kFilteredKinds[0];
}

}  // namespace

void TForm1::BuildKindFilters(QMenu* view) {
  QMenu* shown = view->addMenu(QStringLiteral("&Show in list"));
  for (const KindName& k : kFilteredKinds) {
    auto* action = shown->addAction(QString::fromLatin1(k.menuText));
    action->setCheckable(true);
    action->setChecked(true);
    // The button's text has no mnemonic: it would take the menus' Alt keys.
    auto* button = new QToolButton(StatusPanel);
    button->setCheckable(true);
    button->setChecked(true);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(IconOfKind(k.kind));
    button->setIconSize(QSize(14, 14));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFixedHeight(20);
    button->setToolTip(QStringLiteral("Show or hide the list's %1").arg(QString::fromLatin1(k.name).toLower()));
    button->hide();
    kindButtonRow_->addWidget(button);
    connect(action, &QAction::toggled, this, [this, kind = k.kind, button](bool on) {
      button->setChecked(on);
      Guarded([&] { ShowKindInList(kind, on); });
    });
    connect(button, &QToolButton::toggled, action, &QAction::setChecked);
    KindFilters.push_back({k.kind, action, button});
  }
}

void TForm1::UpdateKindCounts() {
  for (const KindFilter& filter : KindFilters) {
    const size_t count = DiagModel->CountOf(filter.kind);
    const KindName& name = NameOf(filter.kind);
    filter.action->setText(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(name.menuText)).arg(count));
    filter.button->setText(QStringLiteral("%1: %2").arg(QString::fromLatin1(name.name)).arg(count));
    filter.button->setVisible(count > 0);
  }
}

void TForm1::ShowKindInList(DiagKind kind, bool shown) {
  const QModelIndex focused = DiagList->currentIndex();
  const int column = focused.isValid() ? focused.column() : 0;
  const size_t source = focused.isValid() ? DiagModel->SourceRow(focused.row()) : 0;
  DiagModel->SetKindShown(kind, shown);
  if (!focused.isValid()) return;
  const int row = DiagModel->ShownRow(source);
  if (row >= 0) DiagList->setCurrentIndex(DiagModel->index(row, column));
}

}  // namespace kw
