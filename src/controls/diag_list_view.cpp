#include "controls/diag_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

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

void TDiagListView::SetColumnWidths(int lineWidth, int messageWidth) {
  setColumnWidth(0, lineWidth);
  setColumnWidth(1, messageWidth);
  setColumnWidth(2, 60);
}

}  // namespace kw
