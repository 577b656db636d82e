// Rendering and ASCII export of the largest picture, 514 x 514.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "formats/AsciiExport.h"
#include "image/TVKMPicture.h"

namespace {

// A tilted, rippled surface with noise: every value distinct, as a measurement is.
void FillSurface(TVKMPicture& p) {
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      p.RowTable[r][c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
}

void BM_Render514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TBitmap8 dest;
  for (auto _ : state) {
    p.Render(dest);
    benchmark::DoNotOptimize(dest.Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * p.Rows * p.Columns);
}
BENCHMARK(BM_Render514)->Unit(benchmark::kMillisecond);

void BM_AsciiExportText514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = AsciiExportText(p, '.');
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * p.Rows * p.Columns);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_AsciiExportText514)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
