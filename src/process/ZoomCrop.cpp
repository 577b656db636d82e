// The zoom square, the crop and taking a crop over.
#include "process/ZoomCrop.h"

#include <algorithm>
#include <cstring>
#include <utility>

void ZoomStart(TZoomSquare& z, int32_t px, int32_t py) {
  z.ZoomX1 = z.ZoomX2 = px;
  z.ZoomY1 = z.ZoomY2 = py;
}

void ZoomDragTo(TZoomSquare& z, int32_t px) {
  z.ZoomX2 = px;
  z.ZoomY2 = px - z.ZoomX1 + z.ZoomY1;
}

std::array<TPixel, 5> ZoomOutline(const TZoomSquare& z) {
  return {TPixel{z.ZoomX1, z.ZoomY1}, TPixel{z.ZoomX1, z.ZoomY2}, TPixel{z.ZoomX2, z.ZoomY2},
          TPixel{z.ZoomX2, z.ZoomY1}, TPixel{z.ZoomX1, z.ZoomY1}};
}

std::vector<TPixel> ZoomOutlinePixels(const TZoomSquare& z) {
  const std::array<TPixel, 5> corners = ZoomOutline(z);
  std::vector<TPixel> pixels;
  for (size_t side = 0; side < 4; ++side) {
    // The sides run along one axis only; the end point is left out.
    TPixel p = corners[side];
    const TPixel end = corners[side + 1];
    const int32_t dx = end.X > p.X ? 1 : (end.X < p.X ? -1 : 0);
    const int32_t dy = end.Y > p.Y ? 1 : (end.Y < p.Y ? -1 : 0);
    for (; !(p == end); p.X += dx, p.Y += dy) pixels.push_back(p);
  }
  return pixels;
}

std::string ZoomHint(int32_t px, int32_t py) {
  return "X= " + std::to_string(px) + "  Y= " + std::to_string(py);
}

TCropArea ZoomCropArea(TZoomSquare z, int32_t columns, int32_t rows) {
  if (z.ZoomX2 < z.ZoomX1) std::swap(z.ZoomX1, z.ZoomX2);
  if (z.ZoomY2 < z.ZoomY1) std::swap(z.ZoomY1, z.ZoomY2);
  // The pointer may leave the result image while dragging, and the square's height
  // follows its width, so a corner can lie outside the picture: only the part of
  // the square inside the picture is taken, rather than values that do not exist.
  const int32_t x1 = std::max(z.ZoomX1, 0), x2 = std::min(z.ZoomX2, columns);
  const int32_t y1 = std::max(z.ZoomY1, 0), y2 = std::min(z.ZoomY2, rows);
  if (x1 >= x2 || y1 >= y2) return {};
  return {x1, y1, x2 - x1, y2 - y1};
}

bool CropToSquare(const TVKMPicture& source, TZoomSquare& z, TVKMPicture& work) {
  if (z.ZoomX2 < z.ZoomX1) std::swap(z.ZoomX1, z.ZoomX2);
  if (z.ZoomY2 < z.ZoomY1) std::swap(z.ZoomY1, z.ZoomY2);
  if (!source.HasMatrix()) return false;
  const TCropArea a = ZoomCropArea(z, source.Columns, source.Rows);
  if (a.Empty()) return false;
  // `work` may be `source`'s own crop of an earlier "do", never `source` itself.
  work.SetSize(a.W, a.H);
  if (!work.HasMatrix()) return false;
  const int32_t first = source.Rows - (a.Y + a.H);  // the matrix row of the lowest line
  for (int32_t r = 0; r < a.H; ++r)
    std::memcpy(work.RowTable[r], source.RowTable[first + r] + a.X,
                static_cast<size_t>(a.W) * sizeof(float));
  return true;
}

void TakeOverCrop(TVKMPicture& source, const TVKMPicture& work) {
  if (!source.HasMatrix() || !work.HasMatrix()) return;
  // Single precision throughout. Dividing and multiplying by the same count could
  // still move a range by one unit in its last place, so an unchanged count leaves
  // its range alone.
  TScanPara& sp = source.ScanPara;
  if (work.Columns != source.Columns)
    sp.XScanRange =
        sp.XScanRange / static_cast<float>(source.Columns) * static_cast<float>(work.Columns);
  if (work.Rows != source.Rows)
    sp.YScanRange = sp.YScanRange / static_cast<float>(source.Rows) * static_cast<float>(work.Rows);
  if (source.Rows != work.Rows || source.Columns != work.Columns)
    source.SetSize(work.Columns, work.Rows);
  if (!source.HasMatrix()) return;
  std::memcpy(source.Data(), work.Data(), work.ValueCount() * sizeof(float));
}
