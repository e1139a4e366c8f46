// The diagnostics list's rows as a Qt model: "Line" and "Message" columns
// over DiagRows, in its display order, then the message's "Column"; each
// Message cell tells its kind under KindRole. A filter by kind hides rows
// without taking them out: the model's rows are the shown ones, and
// SourceRow gives each one's place in Rows().
#pragma once

#include <QAbstractTableModel>

#include <array>
#include <vector>

#include "tidy/diag_kind.h"
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
  // The kind of the row at that place in Rows().
  DiagKind KindAt(size_t source) const { return kinds_[source]; }

  // Rows of these kinds are shown; rows of kind Other always are.
  void SetKindShown(DiagKind kind, bool shown);
  bool KindShown(DiagKind kind) const { return shownKinds_[static_cast<size_t>(kind)]; }
  // How many of all the rows, shown or not, are of this kind.
  size_t CountOf(DiagKind kind) const { return counts_[static_cast<size_t>(kind)]; }
  // The place in Rows() of the shown row at row.
  size_t SourceRow(int row) const { return shown_[static_cast<size_t>(row)]; }
  // The shown row at that place in Rows(); -1 when it is hidden.
  int ShownRow(size_t source) const;

 private:
  void ShowChosenKinds();

  DiagRows rows_;
  std::vector<DiagKind> kinds_;  // of each row in Rows()
  std::vector<size_t> shown_;    // places in Rows() of the shown rows, in order
  std::array<size_t, kDiagKindCount> counts_{};
  std::array<bool, kDiagKindCount> shownKinds_ = {true, true, true, true, true, true};
  bool stale_ = false;
};

}  // namespace kw
