#include "controls/diag_list_view.h"

#include <QApplication>
#include <QHeaderView>

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

void TDiagListView::SetColumnWidths(int lineWidth, int messageWidth) {
  setColumnWidth(0, lineWidth);
  setColumnWidth(1, messageWidth);
}

}  // namespace kw
