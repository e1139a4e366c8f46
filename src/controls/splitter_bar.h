// A horizontal bar that resizes the panel below it: the new position shows
// as a checkered bar while the mouse button is down and is applied when it is
// released; Esc during the drag cancels it.
#pragma once

#include <QWidget>

namespace kw {

class TSplitterBar : public QWidget {
  Q_OBJECT

 public:
  // panel: the widget below the bar whose height the bar sets. The bar and
  // panel share their parent with the area above them.
  TSplitterBar(QWidget* panel, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  int HeightForMouse(int globalY) const;
  // The least height of what shares the parent's layout with the bar and panel.
  int AboveMinimumHeight() const;
  void ShowGhost(int panelHeight);
  void EndDrag();

  QWidget* panel_;
  QWidget* ghost_;  // the checkered bar at the position a release would apply
  bool dragging_ = false;
  int pressGlobalY_ = 0;
  int pressPanelHeight_ = 0;
  int pendingHeight_ = 0;
};

}  // namespace kw
