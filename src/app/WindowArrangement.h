// Window > Cascade, Tile, Arrange Icons and Minimize All on the child windows of
// the main window's MDI area.
#pragma once

#include <QRect>

class QMdiArea;
class QMdiSubWindow;

// Overlapping, each window one title bar lower and further right than the one
// before, starting again at the top-left when the next would leave the area. Each
// gets its natural size (its size hint: an image window shows one pixel per value),
// limited by the room left in the area, and never less than its minimum size.
void CascadeWindows(QMdiArea& area);

// Moves a window that reaches out of the visible part of the area back into it; one
// larger than that part is made smaller first (never below its minimum size).
void PlaceInView(QMdiArea& area, QMdiSubWindow& window);

// The main window's place and size when none is stored: 80 % of the available
// screen in each direction, centred on it, so the first file opened shows whole.
QRect FirstStartGeometry(const QRect& available);

// Side by side: every visible, not minimised child gets an equal column of the
// area's full height; when the columns would be narrower than a window can be, the
// windows are laid out in rows of as many columns as fit.
void TileWindows(QMdiArea& area);

// Minimised children in rows along the bottom edge, left to right.
void ArrangeIcons(QMdiArea& area);

// Every child minimised, from the last to the first, then the icons arranged.
void MinimizeAll(QMdiArea& area);
