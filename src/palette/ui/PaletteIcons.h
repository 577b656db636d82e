// The drawn pictures of the palette editor: its tool buttons and the pen cursor of
// the channel view.
#pragma once

#include <QCursor>
#include <QIcon>

enum class TPaletteIcon {
  Undo,
  Red,
  Green,
  Blue,
  Link,
  Smooth,
  Check,
  Fill,
  Gradient,
  Mirror,
  Invert,
  Copy,
  Paste,
  Cut,
  Delete,
  Move,
  Offset,
};

QIcon PaletteIcon(TPaletteIcon kind);

// The pen ("Stift"): its tip, the hot spot, at the lower left.
QCursor PenCursor();
