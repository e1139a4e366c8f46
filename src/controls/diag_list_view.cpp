#include "controls/diag_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace kw {

TDiagListView::TDiagListView(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setFrameShape(QFrame::NoFrame);
  setAllColumnsShowFocus(true);

  QFont listFont = QApplication::font();
  listFont.setPixelSize(12);
  setFont(listFont);
  QFont headerFont = QApplication::font();
  headerFont.setPixelSize(11);
  header()->setFont(headerFont);
  header()->setSectionsMovable(true);
  // A tree keeps its first column in place by default; this list is flat.
  header()->setFirstSectionMovable(true);
  header()->setSectionsClickable(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  header()->setStretchLastSection(false);
}

void TDiagListView::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && currentIndex().isValid()) {
    emit RowChosen();
    e->accept();
    return;
  }
  QTreeView::keyPressEvent(e);
}

void TDiagListView::mousePressEvent(QMouseEvent* e) {
  leftPressed_ = e->button() == Qt::LeftButton;
  QTreeView::mousePressEvent(e);
}

// The row under the mouse, if any, is focused by the press; below the rows the
// focus stays where it was, and that row is chosen.
void TDiagListView::mouseReleaseEvent(QMouseEvent* e) {
  QTreeView::mouseReleaseEvent(e);
  const bool click = leftPressed_ && e->button() == Qt::LeftButton &&
                     viewport()->rect().contains(e->position().toPoint());
  leftPressed_ = false;
  if (click && currentIndex().isValid()) emit RowChosen();
}

void TDiagListView::SetColumnWidths(int lineWidth, int messageWidth) {
  setColumnWidth(0, lineWidth);
  setColumnWidth(1, messageWidth);
  setColumnWidth(2, 60);
}

}  // namespace kw
