// An image control of the analysis windows: shows a picture at its own size (or
// stretched to the control, without smoothing) and reports the left mouse button's
// presses and drags in control pixels.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class TImageControl : public QWidget {
  Q_OBJECT
 public:
  explicit TImageControl(QWidget* parent = nullptr);

  // The picture shown; `stretch` scales it to the control.
  void SetPicture(const QImage& picture, bool stretch = false);
  const QImage& Picture() const { return picture_; }

  // Called with the position of a left-button press, and of every move while the left
  // button is down.
  std::function<void(int x, int y)> OnMouseDown;
  std::function<void(int x, int y)> OnMouseMove;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  bool stretch_ = false;
};
