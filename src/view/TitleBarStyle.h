// The title bar of an image window: a long title (an Omicron channel's folder path)
// is elided in the middle, so that its end, the file and the channel, stays in
// sight; the window's title itself keeps the whole text, which the title bar shows
// as its tool tip when it is cut.
#pragma once

#include <QProxyStyle>

class TTitleBarStyle : public QProxyStyle {
  Q_OBJECT
 public:
  TTitleBarStyle() = default;

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;

  // The title text drawn last (for checking what the title bar shows).
  const QString& LastDrawnTitle() const { return lastTitle_; }

 private:
  mutable QString lastTitle_;
};
