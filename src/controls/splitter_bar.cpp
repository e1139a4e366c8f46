#include "controls/splitter_bar.h"

#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>

#include "controls/splitter_limits.h"

namespace kw {

namespace {

class GhostBar : public QWidget {
 public:
  explicit GhostBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(rect(), QBrush(Qt::white, Qt::Dense4Pattern));
  }
};

}  // namespace

TSplitterBar::TSplitterBar(QWidget* panel, QWidget* parent)
    : QWidget(parent), panel_(panel), ghost_(new GhostBar(parent)) {
  setCursor(Qt::SizeVerCursor);
  setFixedHeight(4);
  setFocusPolicy(Qt::NoFocus);
}

int TSplitterBar::HeightForMouse(int globalY) const {
  const int available = parentWidget()->height() - height();
  return ClampSplitPanelHeight(pressPanelHeight_ - (globalY - pressGlobalY_), available, AboveMinimumHeight());
}

// A panel taller than the layout can give it would push the panel's bottom
// out of the parent, so the area above keeps what its layout needs.
int TSplitterBar::AboveMinimumHeight() const {
  const QLayout* layout = parentWidget()->layout();
  return layout ? layout->minimumSize().height() - panel_->minimumHeight() - height() : 0;
}

void TSplitterBar::ShowGhost(int panelHeight) {
  const int panelTop = parentWidget()->height() - panelHeight;
  ghost_->setGeometry(x(), panelTop - height(), width(), height());
  ghost_->raise();
  ghost_->show();
  ghost_->update();
}

void TSplitterBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = true;
  pressGlobalY_ = e->globalPosition().toPoint().y();
  pressPanelHeight_ = panel_->height();
  pendingHeight_ = pressPanelHeight_;
  grabKeyboard();
  ShowGhost(pendingHeight_);
}

void TSplitterBar::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_) return;
  pendingHeight_ = HeightForMouse(e->globalPosition().toPoint().y());
  ShowGhost(pendingHeight_);
}

void TSplitterBar::mouseReleaseEvent(QMouseEvent* e) {
  if (!dragging_ || e->button() != Qt::LeftButton) return;
  pendingHeight_ = HeightForMouse(e->globalPosition().toPoint().y());
  EndDrag();
  panel_->setFixedHeight(pendingHeight_);
}

void TSplitterBar::keyPressEvent(QKeyEvent* e) {
  if (dragging_ && e->key() == Qt::Key_Escape) {
    EndDrag();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TSplitterBar::EndDrag() {
  dragging_ = false;
  releaseKeyboard();
  ghost_->hide();
}

}  // namespace kw
