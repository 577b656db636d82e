// Line profile preparations, a profile redraw and the 3D relief at 514 x 514.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/LineProfile.h"
#include "analysis/ProfileReadouts.h"
#include "analysis/ProfileSampling.h"
#include "analysis/Relief3D.h"
#include "analysis/WindowMeans.h"

namespace {

void FillSurface(TVKMPicture& p) {
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      p.RowTable[r][c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
  p.ComputeMinMax();
  p.ScanPara.XPhysUnit = p.ScanPara.YPhysUnit = p.ScanPara.PhysUnit = "nm";
  p.ScanPara.XScanRange = p.ScanPara.YScanRange = 1000;
  p.ScanPara.xPixel = p.ScanPara.yPixel = kMaxPictureSide;
}

void BM_PrepareRadial514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TWorkMatrix K;
  for (auto _ : state) {
    AverageRadial(p, static_cast<int32_t>(state.range(0)), K);
    benchmark::DoNotOptimize(K.Values.data());
  }
}
BENCHMARK(BM_PrepareRadial514)
    ->Arg(1)
    ->Arg(30)
    ->Arg(360)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The plain definition, for comparison (one run: it takes seconds).
void BM_PrepareRadialPlain514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TWorkMatrix K;
  for (auto _ : state) {
    AverageRadialReference(p, static_cast<int32_t>(state.range(0)), K);
    benchmark::DoNotOptimize(K.Values.data());
  }
}
BENCHMARK(BM_PrepareRadialPlain514)->Arg(360)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PrepareRows514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TWorkMatrix K;
  for (auto _ : state) {
    AverageRows(p, static_cast<int32_t>(state.range(0)), K);
    benchmark::DoNotOptimize(K.Values.data());
  }
}
// Both averages share their rows between two threads: the CPU figure is that of the
// whole process, the time that of the clock.
BENCHMARK(BM_PrepareRows514)
    ->Arg(1)
    ->Arg(15)
    ->Arg(101)
    ->Arg(1029)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_PrepareColumns514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TWorkMatrix K;
  for (auto _ : state) {
    AverageColumns(p, static_cast<int32_t>(state.range(0)), K);
    benchmark::DoNotOptimize(K.Values.data());
  }
}
// Up to 2055 the windows are summed side by side; from 2056 (4 x 514) the runs of the
// last column are summed apart, whatever the width.
BENCHMARK(BM_PrepareColumns514)
    ->Arg(1)
    ->Arg(15)
    ->Arg(101)
    ->Arg(1029)
    ->Arg(2055)
    ->Arg(2056)
    ->Arg(100001)
    ->Arg(2147483647)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The window means alone on one thread, by kernel (0 portable, 1 SSE2, 2 AVX, 3 AVX-512):
// the widest column average, 514 rows of 514 windows of 1029 columns.
void BM_WindowMeansKernel(benchmark::State& state) {
  const auto kernel = static_cast<TWindowKernel>(state.range(0));
  if (!WindowKernelSupported(kernel)) {
    state.SkipWithError("kernel not supported by this processor");
    return;
  }
  constexpr int32_t W = 2 * kMaxPictureSide + 1;
  std::vector<float> ext(kMaxPictureSide + W - 1);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> d(-1.0f, 1.0f);
  for (float& v : ext) v = d(rng);
  std::vector<const float*> shifted(W);
  for (int32_t k = 0; k < W; ++k) shifted[k] = ext.data() + k;
  std::vector<float> out(kMaxPictureSide);
  for (auto _ : state) {
    for (int32_t r = 0; r < kMaxPictureSide; ++r)
      WindowMeans(kernel, shifted.data(), W, 0, kMaxPictureSide, out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_WindowMeansKernel)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// What one mouse move on the image or one marker drag costs: the line, the profile and
// the graph of a 600 x 400 graph.
void BM_ProfileRedraw514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TLineProfileModel m;
  m.Create(static_cast<int32_t>(state.range(0)), 1, "100");
  m.Image1 = {0, 0, 500, 500};
  m.GraphWidth = 600;
  m.GraphHeight = 400;
  m.SetPicture(&p);
  int32_t i = 0;
  for (auto _ : state) {
    ++i;
    switch (state.range(0)) {
      case 0:
        m.ShowRow(i % 514);
        break;
      case 1:
        m.ShowColumn(i % 514);
        break;
      case 2:
        m.ShowAnyLineCells(0, i % 514, 513, 513 - i % 514);
        break;
      default:
        m.ShowRadial(static_cast<float>(i % 360));
        break;
    }
    benchmark::DoNotOptimize(m.Graph.Points.data());
  }
}
BENCHMARK(BM_ProfileRedraw514)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_Relief514(benchmark::State& state) {
  TVKMPicture p;
  FillSurface(p);
  TBitmap8 B;
  for (auto _ : state) {
    DrawRelief(p, 10, 10, B);
    benchmark::DoNotOptimize(B.Pixels.data());
  }
}
BENCHMARK(BM_Relief514)->Unit(benchmark::kMillisecond);

}  // namespace
