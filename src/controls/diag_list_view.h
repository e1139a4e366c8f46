// The column list under the editor: a flat list with a header that the user
// can resize and reorder, which never sorts on a header click. Enter and
// Space choose the focused row as a click does.
#pragma once

#include <QTreeView>

namespace kw {

class TDiagListView : public QTreeView {
  Q_OBJECT

 public:
  explicit TDiagListView(QWidget* parent = nullptr);

  // Applies the column widths; call after the model is set.
  void SetColumnWidths(int lineWidth, int messageWidth);

 signals:
  // Enter or Space on a row.
  void RowChosen();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace kw
