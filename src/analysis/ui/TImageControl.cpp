// TImageControl: painting and the left button.
#include "analysis/ui/TImageControl.h"

#include <QMouseEvent>
#include <QPainter>

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageControl::SetPicture(const QImage& picture, bool stretch) {
  picture_ = picture;
  stretch_ = stretch;
  update();
}

void TImageControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  if (picture_.isNull()) return;
  // Cells stay sharp: no smoothing when the picture is stretched.
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (stretch_)
    p.drawImage(rect(), picture_);
  else
    p.drawImage(0, 0, picture_);
}

void TImageControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnMouseDown) {
    const QPoint pos = event->position().toPoint();
    OnMouseDown(pos.x(), pos.y());
  }
}

void TImageControl::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) && OnMouseMove) {
    const QPoint pos = event->position().toPoint();
    OnMouseMove(pos.x(), pos.y());
  }
}
