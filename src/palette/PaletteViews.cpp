// Drawing the palette editor's views into plain pixel buffers.
#include "palette/PaletteViews.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

uint32_t& Pixel(ViewPixels& p, int x, int y) {
  return p[static_cast<size_t>(y) * kPaletteViewSide + static_cast<size_t>(x)];
}

bool Inside(int x, int y) {
  return x >= 0 && x < kPaletteViewSide && y >= 0 && y < kPaletteViewSide;
}

// Walks an axis-parallel closed path and sets every other pixel along it; `phase`
// carries the dot pattern from one side to the next.
void DottedSide(ViewPixels& p, std::pair<int, int> from, std::pair<int, int> to, int& phase) {
  const int dx = (to.first > from.first) - (to.first < from.first);
  const int dy = (to.second > from.second) - (to.second < from.second);
  int x = from.first;
  int y = from.second;
  while (x != to.first || y != to.second) {
    if (phase % 2 == 0 && Inside(x, y)) Pixel(p, x, y) = kWhite;
    ++phase;
    x += dx;
    y += dy;
  }
}

}  // namespace

ViewPixels ChannelViewPixels(const PaletteBytes& data, const ChannelSet& visible) {
  ViewPixels p(static_cast<size_t>(kPaletteViewSide) * kPaletteViewSide, kBlack);
  static constexpr uint32_t kPens[3] = {0xFFFF0000u, 0xFF008000u, 0xFF0000FFu};
  for (int c = 0; c < 3; ++c) {
    if (!visible[c]) continue;
    int previous = data[static_cast<size_t>(c)];
    Pixel(p, 0, 255 - previous) |= kPens[c];
    for (int i = 1; i < kPaletteEntries; ++i) {
      const int value = data[static_cast<size_t>(3 * i + c)];
      const int y0 = 255 - std::max(previous, value);
      const int y1 = 255 - std::min(previous, value);
      for (int y = y0; y <= y1; ++y) Pixel(p, i, y) |= kPens[c];
      previous = value;
    }
  }
  return p;
}

ViewPixels PaletteViewPixels(const PaletteBytes& data, int blockStart, int blockEnd) {
  ViewPixels p(static_cast<size_t>(kPaletteViewSide) * kPaletteViewSide, kBlack);
  int s = std::clamp(blockStart, 0, 255);
  int e = std::clamp(blockEnd, 0, 255);
  if (s > e) std::swap(s, e);
  const int sx = 16 * (s % 16);
  const int sy = 16 * (s / 16);
  const int ex = 16 * (e % 16) + 16;
  const int ey = 16 * (e / 16);
  std::vector<std::pair<int, int>> path;
  if (ey > sy) {
    path = {{sx, sy},     {256, sy},    {256, ey},     {ex, ey}, {ex, ey + 16},
            {0, ey + 16}, {0, sy + 16}, {sx, sy + 16}, {sx, sy}};
  } else {
    path = {{sx, sy}, {ex, sy}, {ex, sy + 16}, {sx, sy + 16}, {sx, sy}};
  }
  int phase = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) DottedSide(p, path[i], path[i + 1], phase);

  for (int k = 0; k < kPaletteEntries; ++k) {
    const TRgb c = EntryColour(data, k);
    const uint32_t colour = kBlack | (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
    const int x0 = 16 * (k % 16);
    const int y0 = 16 * (k / 16);
    for (int y = y0 + 1; y <= y0 + 15; ++y)
      for (int x = x0 + 1; x <= x0 + 15; ++x) Pixel(p, x, y) = colour;
  }
  return p;
}
