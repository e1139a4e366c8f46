// The rows of the diagnostics list: one TTreeData each, in two columns.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "tidy/tree_data.h"

namespace kw {

class TDiagListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { LineColumn = 0, MessageColumn = 1 };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Appends a row holding a copy of data; returns its row number.
  int AddListEntry(const TTreeData& data);
  // Removes every row.
  void Clear();

 private:
  std::vector<TTreeData> rows_;
};

}  // namespace kw
