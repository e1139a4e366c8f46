#include "tidy/diag_list_model.h"

#include <algorithm>

namespace kw {

int TDiagListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int TDiagListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TDiagListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const size_t source = SourceRow(index.row());
  const TTreeData& row = rows_.Rows()[source];
  if (role == KindRole && index.column() == MessageColumn) return static_cast<int>(kinds_[source]);
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
  kinds_.clear();
  kinds_.reserve(rows_.Count());
  counts_ = {};
  for (const TTreeData& row : rows_.Rows()) {  // sorted once, before the view asks
    kinds_.push_back(KindOf(row.Message));
    ++counts_[static_cast<size_t>(kinds_.back())];
  }
  ShowChosenKinds();
  endResetModel();
}

void TDiagListModel::Clear() {
  if (rows_.Count() == 0) return;
  beginResetModel();
  stale_ = false;
  rows_.Clear();
  kinds_.clear();
  shown_.clear();
  counts_ = {};
  endResetModel();
}

void TDiagListModel::SetStale(bool stale) {
  if (stale == stale_ || rows_.Count() == 0) return;
  stale_ = stale;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TDiagListModel::SetKindShown(DiagKind kind, bool shown) {
  if (kind == DiagKind::Other || KindShown(kind) == shown) return;
  shownKinds_[static_cast<size_t>(kind)] = shown;
  beginResetModel();
  ShowChosenKinds();
  endResetModel();
}

int TDiagListModel::ShownRow(size_t source) const {
  const auto found = std::lower_bound(shown_.begin(), shown_.end(), source);
  return found != shown_.end() && *found == source ? static_cast<int>(found - shown_.begin()) : -1;
}

void TDiagListModel::ShowChosenKinds() {
  shown_.clear();
  shown_.reserve(kinds_.size());
  for (size_t i = 0; i < kinds_.size(); ++i)
    if (kinds_[i] == DiagKind::Other || KindShown(kinds_[i])) shown_.push_back(i);
}

}  // namespace kw
