#include "tidy/diag_list_model.h"

#include "tidy/diag_kind.h"

namespace kw {

int TDiagListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.Count());
}

int TDiagListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TDiagListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TTreeData& row = rows_.Rows()[static_cast<size_t>(index.row())];
  if (role == KindRole && index.column() == MessageColumn) return static_cast<int>(KindOf(row.Message));
  if (role == StaleRole) return stale_;
  if (role != Qt::DisplayRole) return {};
  if (index.column() == ColumnColumn) return row.Column > 0 ? QVariant(row.Column) : QVariant();
  const std::string& text = index.column() == LineColumn ? row.Line : row.Message;
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant TDiagListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == LineColumn) return QStringLiteral("Line");
  if (section == MessageColumn) return QStringLiteral("Message");
  if (section == ColumnColumn) return QStringLiteral("Column");
  return {};
}

void TDiagListModel::Assign(DiagRows rows) {
  beginResetModel();
  stale_ = false;
  rows_ = std::move(rows);
  rows_.Rows();  // sorted once, before the view asks
  endResetModel();
}

void TDiagListModel::Clear() {
  if (rows_.Count() == 0) return;
  beginResetModel();
  stale_ = false;
  rows_.Clear();
  endResetModel();
}

void TDiagListModel::SetStale(bool stale) {
  if (stale == stale_ || rows_.Count() == 0) return;
  stale_ = stale;
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

}  // namespace kw
