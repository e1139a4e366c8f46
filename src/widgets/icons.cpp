#include "widgets/icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace kw {

namespace {

// Each picture is drawn on a 16 x 16 grid and scaled to the requested size.
void DrawPage(QPainter& p, QRectF r, const QColor& fill = Qt::white) {
  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(fill);
  p.drawRect(r);
  p.setPen(QPen(QColor(150, 150, 150), 1));
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void DrawDisk(QPainter& p) {
  p.setPen(QPen(QColor(20, 40, 90), 1));
  p.setBrush(QColor(50, 90, 180));
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 1.5, 7, 5));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
  p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
  const QPointF n(-d.y(), d.x());
  p.drawLine(to, to - 3 * d + 2.5 * n);
  p.drawLine(to, to - 3 * d - 2.5 * n);
}

void DrawIcon(QPainter& p, int index) {
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case kIconOpen:
      p.setPen(QPen(QColor(140, 100, 20), 1));
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(QRectF(1.5, 4.5, 12, 9));
      p.drawRect(QRectF(1.5, 2.5, 5, 2));
      p.setBrush(QColor(250, 225, 130));
      p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
      break;
    case kIconRunTidy:
      DrawPage(p, QRectF(1.5, 1.5, 10, 13));
      p.setPen(QPen(QColor(20, 140, 40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(6, 10), QPointF(9, 13.5), QPointF(15, 5)}));
      break;
    case kIconSave:
      DrawDisk(p);
      break;
    case kIconExit:
      p.setPen(QPen(QColor(90, 60, 30), 1));
      p.setBrush(QColor(170, 120, 70));
      p.drawRect(QRectF(2.5, 1.5, 8, 13));
      DrawArrow(p, QPointF(8, 8), QPointF(15, 8), QColor(200, 30, 30));
      break;
    case kIconCut:
      p.setPen(QPen(QColor(60, 60, 60), 1.5));
      p.drawLine(QPointF(4, 1), QPointF(11, 11));
      p.drawLine(QPointF(12, 1), QPointF(5, 11));
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(200, 30, 30), 1.5));
      p.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
      p.drawEllipse(QPointF(12, 12.5), 2.5, 2.5);
      break;
    case kIconCopy:
      DrawPage(p, QRectF(1.5, 1.5, 8, 10));
      DrawPage(p, QRectF(6.5, 4.5, 8, 10));
      break;
    case kIconPaste:
      p.setPen(QPen(QColor(90, 60, 30), 1));
      p.setBrush(QColor(190, 140, 80));
      p.drawRect(QRectF(1.5, 2.5, 10, 12));
      p.setBrush(QColor(160, 160, 160));
      p.drawRect(QRectF(4.5, 1.5, 4, 2));
      DrawPage(p, QRectF(6.5, 6.5, 8, 8.5));
      break;
    case kIconUndo: {
      QPainterPath path;
      path.moveTo(13, 13);
      path.cubicTo(15, 6, 9, 3, 4, 6);
      p.setPen(QPen(QColor(30, 80, 170), 2, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      p.setBrush(QColor(30, 80, 170));
      p.drawPolygon(QPolygonF({QPointF(1, 7), QPointF(6, 2.5), QPointF(6.5, 9)}));
      break;
    }
    case kIconViewInBrowser:
      p.setPen(QPen(QColor(20, 80, 140), 1));
      p.setBrush(QColor(120, 190, 240));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(5, 1.5, 6, 13));
      p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
      p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
      break;
    case kIconPage:
      DrawPage(p, QRectF(2.5, 1.5, 11, 13));
      break;
    case kIconHelp:
      p.setPen(QPen(QColor(20, 80, 140), 1));
      p.setBrush(QColor(60, 120, 200));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(Qt::white);
      p.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
      p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
      break;
    case kIconSaveAs:
      DrawDisk(p);
      p.setPen(QPen(QColor(230, 180, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(9, 14), QPointF(15, 8));
      break;
    case kIconFind:
      p.setPen(QPen(QColor(60, 60, 60), 2));
      p.setBrush(QColor(200, 230, 250));
      p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
      p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
      break;
    case kIconClose:
      DrawPage(p, QRectF(1.5, 1.5, 10, 13));
      p.setPen(QPen(QColor(200, 30, 30), 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(8, 8), QPointF(14, 14));
      p.drawLine(QPointF(14, 8), QPointF(8, 14));
      break;
    case kIconSelectAll:
      p.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
      p.setBrush(QColor(180, 210, 250));
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(QColor(40, 40, 40), 1));
      for (int y = 5; y <= 11; y += 3) p.drawLine(QPointF(4, y), QPointF(12, y));
      break;
    case kIconWordWrap:
      p.setPen(QPen(QColor(40, 40, 40), 1.5));
      p.drawLine(QPointF(1, 3), QPointF(14, 3));
      p.drawLine(QPointF(1, 13), QPointF(7, 13));
      DrawArrow(p, QPointF(13, 3), QPointF(13, 8.5), QColor(30, 80, 170));
      DrawArrow(p, QPointF(13, 8.5), QPointF(8, 8.5), QColor(30, 80, 170));
      break;
  }
}

void DrawWindowIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 110, 170));
  p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(5, 3.5), QPointF(5, 12.5));
  p.drawPolyline(QPolygonF({QPointF(11.5, 3.5), QPointF(5.5, 8), QPointF(11.5, 12.5)}));
}

class PaintedIconEngine : public QIconEngine {
 public:
  explicit PaintedIconEngine(int index) : index_(index) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / 16.0, rect.height() / 16.0);
    if (mode == QIcon::Disabled) painter->setOpacity(0.35);
    if (index_ < 0) DrawWindowIcon(*painter);
    else DrawIcon(*painter, index_);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pm;
  }

  QIconEngine* clone() const override { return new PaintedIconEngine(index_); }

 private:
  int index_;  // -1 for the window icon
};

}  // namespace

QIcon CommandIconAt(int index) { return QIcon(new PaintedIconEngine(index)); }

QIcon WindowIcon() { return QIcon(new PaintedIconEngine(-1)); }

}  // namespace kw
