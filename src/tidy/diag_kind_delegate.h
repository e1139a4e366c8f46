// Paints a message's kind as an icon in front of its text in the list, and
// the rows in grey while they describe an earlier text.
#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

#include "tidy/diag_kind.h"

namespace kw {

// The picture of a kind, as the list and its filter show it; none for Other.
QIcon IconOfKind(DiagKind kind);

class TDiagKindDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace kw
