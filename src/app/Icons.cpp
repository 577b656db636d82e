// Icons drawn at run time, so the program needs no image files.
#include "app/Icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon ButtonIcon(TButtonImage image) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 128), 1.5));
  switch (image) {
    case TButtonImage::Filter: {  // a smoothed wave
      QPainterPath path(QPointF(1, 8));
      path.cubicTo(5, 1, 9, 15, 15, 8);
      p.drawPath(path);
      break;
    }
    case TButtonImage::Leveling:  // a tilted line and the level one
      p.drawLine(QPointF(1, 13), QPointF(15, 4));
      p.setPen(QPen(QColor(160, 0, 0), 1.5));
      p.drawLine(QPointF(1, 13), QPointF(15, 13));
      break;
    case TButtonImage::Histogram:  // bars
      p.setBrush(QColor(0, 0, 128));
      p.setPen(Qt::NoPen);
      p.drawRect(QRectF(1, 9, 3, 6));
      p.drawRect(QRectF(5, 3, 3, 12));
      p.drawRect(QRectF(9, 6, 3, 9));
      p.drawRect(QRectF(13, 11, 2, 4));
      break;
  }
  return QIcon(pm);
}

QIcon ProgramIcon() {
  QPixmap pm(32, 32);
  QPainter p(&pm);
  QLinearGradient g(0, 32, 32, 0);
  g.setColorAt(0.0, QColor(12, 0, 24));
  g.setColorAt(0.4, QColor(206, 92, 40));
  g.setColorAt(0.7, QColor(231, 181, 68));
  g.setColorAt(1.0, QColor(236, 248, 136));
  p.fillRect(pm.rect(), g);
  p.setPen(QPen(QColor(255, 255, 255), 2));
  p.drawLine(6, 24, 26, 24);
  return QIcon(pm);
}
