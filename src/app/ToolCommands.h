// The one place that creates tool windows: the processing workbench, the line
// profile window and the 3D view (child windows of the main window's area, counted
// among its 16 child windows) and the palette editor (a window that stays on top).
// Each is adopted by the image window it was opened for and destroyed with it; the
// image window never includes their headers.
//
// A command is a few lines: pick the target by the command's guard, create the
// window for it, name it, hand it the picture, and let OpenToolChild or
// OpenToolOnTop place, adopt and show it. TMainForm connects the menu item to it.
#pragma once

#include <functional>

class QMdiSubWindow;
class QWidget;
class TMainForm;
class TMDIChild;

// Which image window a tool command works on.
enum class TToolTarget {
  // The current image window (ImageWindows[ActiveIndex]), also while a tool window
  // is active: Simple Filter, Noise, FFT, Palette, Simple3D, Line.
  CurrentImage,
  // The active child, only when it is an image window: with a tool window active
  // the command does nothing. Histogram, Leveling, Zoom, Sphere.
  ActiveImage,
};

// The image window a command with this guard works on, or null (nothing to do).
TMDIChild* ToolTargetWindow(const TMainForm& main, TToolTarget target);

// Creates a tool child window for the target: `make` builds it (not yet shown) for
// the image window; it is then added to the main window's area, adopted by the image
// window, shown and made active. Returns it, or null when the guard found no image
// window (`make` is not called) or `make` returned null.
QMdiSubWindow* OpenToolChild(TMainForm& main, TToolTarget target,
                             const std::function<QMdiSubWindow*(TMDIChild& image)>& make);

// The same for a top-level tool window that stays on top of the main window.
QWidget* OpenToolOnTop(TMainForm& main, TToolTarget target,
                       const std::function<QWidget*(TMDIChild& image)>& make);

// Process > Simple Filter (mode 0), Noise (4), Histogram (5), FFT (6), Leveling (7),
// Zoom (8), Sphere (9): a processing workbench on the image window the command's guard
// picks (Simple Filter, Noise and FFT: the current image window; the others only when
// an image window is the active child), opened in the mode, maximised, captioned with
// the mode's prefix and the image window's caption. Each use opens a further
// workbench. Null when the guard finds no image window or the working copy cannot be
// made.
QMdiSubWindow* OpenWorkbench(TMainForm& main, int mode);
QMdiSubWindow* LowPassItemClick(TMainForm& main);
QMdiSubWindow* NoiseItemClick(TMainForm& main);
QMdiSubWindow* HistogramItemClick(TMainForm& main);
QMdiSubWindow* FFTItemClick(TMainForm& main);
QMdiSubWindow* SlopeItemClick(TMainForm& main);
QMdiSubWindow* Zoom1Click(TMainForm& main);
QMdiSubWindow* Shere1Click(TMainForm& main);

// View > Palette: a palette editor for the current image window, with its colours,
// captioned "Choose Palette for " and the window's caption. Each use opens a further
// editor. Returns it, or null without a current image window.
QWidget* PaletteItemClick(TMainForm& main);

// Analyse > Line: the line profile window on the current image window, captioned like
// it, opened maximized. Null when there is no image window.
QMdiSubWindow* OpenLineProfile(TMainForm& main);

// View > Simple3D: the 3D view on the current image window, captioned like it.
QMdiSubWindow* OpenSimple3D(TMainForm& main);
