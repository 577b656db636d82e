// The pictures of the palette editor's two views, 257 x 257 pixels each: the three
// channel curves and the 16 x 16 grid of colour cells with the block's outline.
#pragma once

#include <cstdint>
#include <vector>

#include "palette/PaletteOps.h"

inline constexpr int kPaletteViewSide = 257;

// Pixels row by row from the top, each 0xFFRRGGBB (opaque, as a 32-bit screen image
// stores them).
using ViewPixels = std::vector<uint32_t>;

// Black, then for each visible channel in the order red, green, blue its curve in
// pure red, green (0, 128, 0) or pure blue, merged into the pixels by bitwise OR, so
// that coinciding curves mix. Entry i sits at x = i, y = 255 - value; a change from
// entry i - 1 to entry i is a vertical line at x = i between the two heights, both
// included, so the curve has no gaps.
ViewPixels ChannelViewPixels(const PaletteBytes& data, const ChannelSet& visible);

// Black, then the block's outline as a white dotted line (every other pixel along
// the path) on the grid lines around its cells: a rectangle when the block lies in
// one grid row, else the outline of a run of cells that wraps from row to row. Then
// each entry k fills its cell, x from 16 * (k mod 16) + 1 to 16 * (k mod 16) + 15
// and y likewise from its row k div 16, so black grid lines stay at multiples of 16.
ViewPixels PaletteViewPixels(const PaletteBytes& data, int blockStart, int blockEnd);

// The pixel at (x, y) of a view's picture.
inline uint32_t ViewPixel(const ViewPixels& p, int x, int y) {
  return p[static_cast<size_t>(y) * kPaletteViewSide + static_cast<size_t>(x)];
}
