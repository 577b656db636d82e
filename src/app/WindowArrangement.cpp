// Arranging the child windows.
#include "app/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

namespace {

QSize LeastSize(const QMdiSubWindow& w) {
  return w.minimumSize().expandedTo(w.minimumSizeHint());
}

}  // namespace

void CascadeWindows(QMdiArea& area) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : area.subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows << w;
  if (windows.isEmpty()) return;
  // The active window takes the last step, in front of the others, as it was before.
  if (QMdiSubWindow* active = area.activeSubWindow(); windows.removeOne(active)) windows << active;
  const QRect r = area.viewport()->rect();
  int step =
      windows.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first());
  if (step <= 0) step = 24;
  int k = 0;
  for (QMdiSubWindow* w : windows) {
    if (w->isMaximized()) w->showNormal();
    const QSize least = LeastSize(*w);
    QPoint pos(k * step, k * step);
    if (k > 0 && (pos.x() + least.width() > r.width() || pos.y() + least.height() > r.height())) {
      k = 0;
      pos = QPoint(0, 0);
    }
    const QSize room(r.width() - pos.x(), r.height() - pos.y());
    w->setGeometry(QRect(pos, w->sizeHint().boundedTo(room).expandedTo(least)));
    w->raise();
    ++k;
  }
}

void PlaceInView(QMdiArea& area, QMdiSubWindow& window) {
  const QRect r = area.viewport()->rect();
  if (window.width() > r.width() || window.height() > r.height())
    window.resize(window.size().boundedTo(r.size()).expandedTo(LeastSize(window)));
  const QRect g = window.geometry();
  const int x = std::clamp(g.x(), 0, std::max(0, r.width() - g.width()));
  const int y = std::clamp(g.y(), 0, std::max(0, r.height() - g.height()));
  if (QPoint(x, y) != g.topLeft()) window.move(x, y);
}

QRect FirstStartGeometry(const QRect& available) {
  const QSize size(available.width() * 4 / 5, available.height() * 4 / 5);
  const QPoint topLeft(available.x() + (available.width() - size.width()) / 2,
                       available.y() + (available.height() - size.height()) / 2);
  return QRect(topLeft, size);
}

void TileWindows(QMdiArea& area) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : area.subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows << w;
  if (windows.isEmpty()) return;
  const QRect r = area.viewport()->rect();
  const int n = static_cast<int>(windows.size());
  // Side by side while every column is at least as wide as the widest minimum;
  // more windows than that go into further rows, so no title bar is covered.
  int least = 1;
  for (QMdiSubWindow* w : windows) least = std::max(least, LeastSize(*w).width());
  const int columns = std::clamp(r.width() / least, 1, n);
  const int rows = (n + columns - 1) / columns;
  const int width = r.width() / columns;
  const int height = r.height() / rows;
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* w = windows.at(i);
    if (w->isMaximized()) w->showNormal();
    const int column = i % columns;
    const int row = i / columns;
    const int x = column * width;
    const int y = row * height;
    const int wWidth = column == columns - 1 ? r.width() - x : width;
    const int wHeight = row == rows - 1 ? r.height() - y : height;
    w->setGeometry(x, y, wWidth, wHeight);
  }
}

void ArrangeIcons(QMdiArea& area) {
  const QRect r = area.viewport()->rect();
  int x = 0;
  int y = r.height();
  int rowHeight = 0;
  for (QMdiSubWindow* w : area.subWindowList()) {
    if (!w->isMinimized()) continue;
    const QSize s = w->size();
    if (x > 0 && x + s.width() > r.width()) {
      x = 0;
      y -= rowHeight;
      rowHeight = 0;
    }
    rowHeight = std::max(rowHeight, s.height());
    w->move(x, y - s.height());
    x += s.width();
  }
}

void MinimizeAll(QMdiArea& area) {
  const auto windows = area.subWindowList();
  for (auto it = windows.crbegin(); it != windows.crend(); ++it) (*it)->showMinimized();
  ArrangeIcons(area);
}
