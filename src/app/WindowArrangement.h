// Window > Cascade, Tile, Arrange Icons and Minimize All on the child windows of
// the main window's MDI area.
#pragma once

class QMdiArea;

void CascadeWindows(QMdiArea& area);

// Side by side: every visible, not minimised child gets an equal column of the
// area's full height.
void TileWindows(QMdiArea& area);

// Minimised children in rows along the bottom edge, left to right.
void ArrangeIcons(QMdiArea& area);

// Every child minimised, from the last to the first, then the icons arranged.
void MinimizeAll(QMdiArea& area);
