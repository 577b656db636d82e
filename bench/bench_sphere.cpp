// The sphere filter on the largest picture, 514 x 514: the fast filter and the plain
// definition at radii of 8, 32, 64 and 128 pixels (the largest a 514-wide picture
// accepts; ball size 129).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "process/Sphere.h"

namespace {

// A surface as a measurement has it: tilt, ripples and noise, in nm over 514 nm.
void FillSurface(TVKMPicture& p) {
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      p.RowTable[r][c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
  p.ScanPara.XScanRange = p.ScanPara.YScanRange = 514.0f;
  p.ScanPara.xPixel = p.ScanPara.yPixel = kMaxPictureSide;
  p.ScanPara.XPhysUnit = p.ScanPara.YPhysUnit = p.ScanPara.PhysUnit = "nm";
}

// Uniform noise between 0 and 100 nm.
void FillNoise(TVKMPicture& p) {
  FillSurface(p);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(0.0f, 100.0f);
  for (size_t i = 0; i < p.ValueCount(); ++i) p.Data()[i] = u(rng);
}

// Arguments: radius in pixels, worker threads (fast filter only; 0 = all cores),
// picture (0 surface, 1 noise).
void RunFilter(benchmark::State& state, bool fast) {
  TVKMPicture image;
  if (state.range(2) == 0)
    FillSurface(image);
  else
    FillNoise(image);
  TVKMPicture working;
  working.SetSize(image.Columns, image.Rows);
  const TSphereRadius radius =
      SphereAcceptRadius(static_cast<double>(state.range(0)), image.Columns, image.ScanPara);
  TSphereBall ball;
  std::vector<double> K;
  if (!radius.Accepted || !SphereBallFor(radius.r, image.ScanPara, ball) ||
      !SphereCapTable(ball.R, ball.z, K)) {
    state.SkipWithError("no ball");
    return;
  }
  std::vector<double> m(image.ValueCount());
  NoProgress none;
  for (auto _ : state) {
    if (fast)
      SphereDilate(image.Data(), image.Rows, image.Columns, ball.R, K, m.data(), none,
                   static_cast<int>(state.range(1)));
    else
      SphereDilatePlain(image.Data(), image.Rows, image.Columns, ball.R, K, m.data(), none);
    benchmark::DoNotOptimize(m.data());
  }
  state.counters["R"] = ball.R;
}

void BM_SphereFast(benchmark::State& state) {
  RunFilter(state, true);
}
void BM_SpherePlain(benchmark::State& state) {
  RunFilter(state, false);
}

BENCHMARK(BM_SphereFast)
    ->ArgNames({"radius", "threads", "noise"})
    ->ArgsProduct({{8, 32, 64, 128}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpherePlain)
    ->ArgNames({"radius", "threads", "noise"})
    ->ArgsProduct({{8, 32, 64, 128}, {1}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
