#include "tidy/diag_kind_delegate.h"

#include <QApplication>
#include <QStyle>
#include <array>

#include "tidy/diag_kind.h"
#include "tidy/diag_list_model.h"

namespace kw {

namespace {

QIcon StandardIconOfKind(DiagKind kind) {
  QStyle::StandardPixmap icon;
  switch (kind) {
    case DiagKind::Error: icon = QStyle::SP_MessageBoxCritical; break;
    case DiagKind::Warning:
    case DiagKind::Config: icon = QStyle::SP_MessageBoxWarning; break;
    case DiagKind::Info:
    case DiagKind::Access: icon = QStyle::SP_MessageBoxInformation; break;
    default: return {};
  }
  return QApplication::style()->standardIcon(icon);
}

}  // namespace

// Looked up once: the list asks for an icon for every cell it paints.
QIcon IconOfKind(DiagKind kind) {
  static const std::array<QIcon, kDiagKindCount> icons = [] {
    std::array<QIcon, kDiagKindCount> made;
    for (int k = 0; k < kDiagKindCount; ++k) made[static_cast<size_t>(k)] = StandardIconOfKind(static_cast<DiagKind>(k));
    return made;
  }();
  return icons[static_cast<size_t>(kind)];
}

void TDiagKindDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (index.data(TDiagListModel::StaleRole).toBool())
    option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
  const QVariant kind = index.data(TDiagListModel::KindRole);
  if (!kind.isValid()) return;
  const QIcon icon = IconOfKind(static_cast<DiagKind>(kind.toInt()));
  if (icon.isNull()) return;
  option->icon = icon;
  option->features |= QStyleOptionViewItem::HasDecoration;
  option->decorationSize = QSize(14, 14);
}

}  // namespace kw
