// The diagnostics list's rows as a Qt model: "Line" and "Message" columns
// over DiagRows, in its display order, then the message's "Column"; each
// Message cell tells its kind under KindRole.
#pragma once

#include <QAbstractTableModel>

#include "tidy/diag_rows.h"

namespace kw {

class TDiagListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { LineColumn = 0, MessageColumn = 1, ColumnColumn = 2 };
  // A DiagKind, as an int.
  static constexpr int KindRole = Qt::UserRole;
  // True in every cell while the rows describe an earlier text.
  static constexpr int StaleRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Shows these rows instead of the present ones.
  void Assign(DiagRows rows);
  // Removes every row.
  void Clear();
  // The text has changed since the run that listed the rows; a new
  // Assign or Clear makes them current again.
  void SetStale(bool stale);
  bool Stale() const { return stale_; }
  const DiagRows& Rows() const { return rows_; }

 private:
  DiagRows rows_;
  bool stale_ = false;
};

}  // namespace kw
