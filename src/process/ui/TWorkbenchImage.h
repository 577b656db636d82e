// An image control of the workbench: shows its picture stretched over the control
// without smoothing, and reports every mouse button's presses and releases and every
// move of the pointer over it (buttons held or not), in control pixels.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class TWorkbenchImage : public QWidget {
  Q_OBJECT
 public:
  explicit TWorkbenchImage(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }

  std::function<void(int x, int y, Qt::MouseButton button)> OnMouseDown;
  std::function<void(int x, int y, Qt::MouseButtons held)> OnMouseMove;
  std::function<void(int x, int y, Qt::MouseButton button)> OnMouseUp;
  std::function<void()> OnMouseLeave;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage picture_;
};
