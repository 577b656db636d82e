// The histogram (counting with its rendering, and the clip) and the zoom crop at
// 514 x 514.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "image/TVKMPicture.h"
#include "process/Histogram.h"
#include "process/ZoomCrop.h"

namespace {

// A tilted, rippled surface with noise, as a measurement looks.
void FillSurface(TVKMPicture& p) {
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      p.RowTable[r][c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
}

// Rendering the working copy and counting its 175 bins, as opening the mode does.
void BM_Histogram514(benchmark::State& state) {
  TVKMPicture work;
  FillSurface(work);
  TBitmap8 image2;
  THistogram h;
  for (auto _ : state) {
    ComputeHistogram(work, image2, h);
    benchmark::DoNotOptimize(h.Counts.data());
  }
  state.SetItemsProcessed(state.iterations() * work.Rows * work.Columns);
}
BENCHMARK(BM_Histogram514)->Unit(benchmark::kMicrosecond);

// "do" in the histogram mode: clip the image to columns 40..120, count again.
void BM_HistogramClip514(benchmark::State& state) {
  TVKMPicture source, work;
  FillSurface(source);
  FillSurface(work);
  TBitmap8 image2;
  THistogram h;
  ComputeHistogram(work, image2, h);
  for (auto _ : state) {
    HistogramMouseDown(h, 40);
    HistogramMouseUp(h, 120);
    ClipToMarkedRange(h, source, work);
    ComputeHistogram(work, image2, h);
    benchmark::DoNotOptimize(work.Data());
  }
}
BENCHMARK(BM_HistogramClip514)->Unit(benchmark::kMicrosecond);

// A 400 x 400 crop of the image and taking it over.
void BM_Crop514(benchmark::State& state) {
  TVKMPicture source, work, image;
  FillSurface(source);
  FillSurface(image);
  for (auto _ : state) {
    TZoomSquare z;
    ZoomStart(z, 50, 60);
    ZoomDragTo(z, 450);
    CropToSquare(source, z, work);
    TakeOverCrop(image, work);
    image.SetSize(kMaxPictureSide, kMaxPictureSide);
    benchmark::DoNotOptimize(image.Data());
  }
}
BENCHMARK(BM_Crop514)->Unit(benchmark::kMicrosecond);

}  // namespace
