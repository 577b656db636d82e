// Arranging the child windows.
#include "app/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

void CascadeWindows(QMdiArea& area) {
  area.cascadeSubWindows();
}

void TileWindows(QMdiArea& area) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : area.subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows << w;
  if (windows.isEmpty()) return;
  const QRect r = area.viewport()->rect();
  const int n = static_cast<int>(windows.size());
  const int width = r.width() / n;
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* w = windows.at(i);
    if (w->isMaximized()) w->showNormal();
    const int x = i * width;
    const int wWidth = i == n - 1 ? r.width() - x : width;
    w->setGeometry(x, 0, wWidth, r.height());
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
