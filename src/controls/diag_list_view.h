// The column list under the editor: a flat list with a header that the user
// can resize and reorder, every column the first among them, which never
// sorts on a header click. A click anywhere in the list, Enter and Space
// choose the focused row.
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
  // A click in the list (on a row or below the rows), or Enter or Space.
  void RowChosen();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool leftPressed_ = false;  // the left button went down in the list
};

}  // namespace kw
