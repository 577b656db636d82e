// Tool button pictures and the pen cursor, drawn at run time.
#include "palette/ui/PaletteIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSide = 16;

void Letter(QPainter& p, const QColor& colour, const char* text) {
  p.fillRect(QRect(1, 1, 14, 14), colour);
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, kSide, kSide), Qt::AlignCenter, QString::fromLatin1(text));
}

}  // namespace

QIcon PaletteIcon(TPaletteIcon kind) {
  QPixmap pm(kSide, kSide);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QPen dark(QColor(40, 40, 40), 1.4);
  switch (kind) {
    case TPaletteIcon::Undo: {
      p.setPen(QPen(QColor(30, 60, 150), 2));
      QPainterPath arc;
      arc.moveTo(4, 6);
      arc.cubicTo(9, 2, 15, 6, 12, 13);
      p.drawPath(arc);
      p.setBrush(QColor(30, 60, 150));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(6, 2), QPointF(6, 10)}));
      break;
    }
    case TPaletteIcon::Red:
      Letter(p, QColor(200, 0, 0), "R");
      break;
    case TPaletteIcon::Green:
      Letter(p, QColor(0, 128, 0), "G");
      break;
    case TPaletteIcon::Blue:
      Letter(p, QColor(0, 0, 200), "B");
      break;
    case TPaletteIcon::Link:
      p.setPen(dark);
      p.drawRoundedRect(QRectF(1.5, 5.5, 8, 5), 2.5, 2.5);
      p.drawRoundedRect(QRectF(6.5, 5.5, 8, 5), 2.5, 2.5);
      break;
    case TPaletteIcon::Smooth: {
      p.setPen(QPen(QColor(0, 90, 160), 1.6));
      QPainterPath wave;
      wave.moveTo(1, 11);
      wave.cubicTo(5, 1, 9, 15, 15, 5);
      p.drawPath(wave);
      break;
    }
    case TPaletteIcon::Check:
      for (int i = 0; i < 4; ++i)
        p.fillRect(QRect(1 + 4 * (i % 2), 1 + 4 * (i / 2), 3, 3),
                   i == 3 ? QColor(200, 0, 0) : QColor(200 - 50 * i, 60 * i, 40 * i));
      p.setPen(QPen(QColor(200, 0, 0), 1.6));
      p.drawText(QRect(8, 4, 8, 12), Qt::AlignCenter, QStringLiteral("?"));
      break;
    case TPaletteIcon::Fill:
      p.setPen(dark);
      p.setBrush(QColor(230, 140, 20));
      p.drawRect(QRectF(2.5, 4.5, 11, 8));
      break;
    case TPaletteIcon::Gradient: {
      QLinearGradient g(2, 0, 14, 0);
      g.setColorAt(0, QColor(20, 20, 120));
      g.setColorAt(1, QColor(250, 220, 60));
      p.setPen(dark);
      p.setBrush(g);
      p.drawRect(QRectF(1.5, 4.5, 13, 8));
      break;
    }
    case TPaletteIcon::Mirror:
      p.setPen(dark);
      p.drawLine(QPointF(8, 1), QPointF(8, 15));
      p.setBrush(QColor(40, 40, 40));
      p.drawPolygon(QPolygonF({QPointF(1, 8), QPointF(6, 4), QPointF(6, 12)}));
      p.drawPolygon(QPolygonF({QPointF(15, 8), QPointF(10, 4), QPointF(10, 12)}));
      break;
    case TPaletteIcon::Invert:
      p.setPen(dark);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      p.fillRect(QRectF(8, 4, 6, 8), QColor(40, 40, 40));
      break;
    case TPaletteIcon::Copy:
    case TPaletteIcon::Paste:
    case TPaletteIcon::Cut:
    case TPaletteIcon::Delete:
    case TPaletteIcon::Move:
    case TPaletteIcon::Offset:
      p.setPen(dark);
      p.drawRect(QRectF(3.5, 3.5, 9, 9));
      break;
  }
  p.end();
  return QIcon(pm);
}

QCursor PenCursor() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  // A pencil lying from the upper right down to its tip at (1, 30).
  const QPolygonF body({QPointF(6, 21), QPointF(22, 5), QPointF(27, 10), QPointF(11, 26)});
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(240, 200, 60));
  p.drawPolygon(body);
  p.setBrush(QColor(250, 230, 190));
  p.drawPolygon(QPolygonF({QPointF(6, 21), QPointF(11, 26), QPointF(1, 30)}));
  p.setBrush(Qt::black);
  p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(5, 28), QPointF(1, 30)}));
  p.end();
  return QCursor(pm, 1, 30);
}
