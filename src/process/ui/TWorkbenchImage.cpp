// TWorkbenchImage: stretched painting and the mouse.
#include "process/ui/TWorkbenchImage.h"

#include <QMouseEvent>
#include <QPainter>

TWorkbenchImage::TWorkbenchImage(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // moves without a button pressed show the pointer's pixel
}

void TWorkbenchImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void TWorkbenchImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (picture_.isNull()) {
    p.fillRect(rect(), palette().window());
    return;
  }
  // Pixels stay sharp when stretched, so marked points and single values can be seen.
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(rect(), picture_);
}

void TWorkbenchImage::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(pos.x(), pos.y(), event->button());
}

void TWorkbenchImage::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(pos.x(), pos.y(), event->buttons());
}

void TWorkbenchImage::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(pos.x(), pos.y(), event->button());
}

void TWorkbenchImage::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (OnMouseLeave) OnMouseLeave();
}
