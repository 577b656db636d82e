// Leveling, 3x3 filters and bad-point removal on the largest picture, 514 x 514.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/TVKMPicture.h"
#include "process/Leveling.h"
#include "process/NeighbourFilters.h"

namespace {

// A tilted, bowed, rippled surface with noise and a few spikes, as a raw scan is.
const std::vector<float>& Surface() {
  static const std::vector<float> values = [] {
    std::vector<float> v(static_cast<size_t>(kMaxPictureSide) * kMaxPictureSide);
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    std::uniform_int_distribution<int> spike(0, 400);
    for (int r = 0; r < kMaxPictureSide; ++r)
      for (int c = 0; c < kMaxPictureSide; ++c)
        v[static_cast<size_t>(r) * kMaxPictureSide + c] =
            3.0f + 0.01f * c + 0.02f * r + 1e-5f * c * c +
            std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng) + (spike(rng) == 0 ? 4.0f : 0.0f);
    return v;
  }();
  return values;
}

// Runs `op` on a fresh copy of the surface each iteration. The copy is timed too (it
// is what BM_CopySurface measures); pausing the timer would cost more than the copy.
template <typename Op>
void RunOnSurface(benchmark::State& state, Op op) {
  TVKMPicture p;
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  const std::vector<float>& src = Surface();
  for (auto _ : state) {
    std::memcpy(p.Data(), src.data(), src.size() * sizeof(float));
    op(p);
    benchmark::DoNotOptimize(p.Data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(src.size()));
}

void BM_CopySurface(benchmark::State& state) {
  RunOnSurface(state, [](TVKMPicture&) {});
}
BENCHMARK(BM_CopySurface)->Unit(benchmark::kMicrosecond);

void BM_Level(benchmark::State& state) {
  const int method = static_cast<int>(state.range(0));
  const int order = static_cast<int>(state.range(1));
  const TSlopPoint corners[4] = {{0, 0}, {513, 0}, {0, 513}, {513, 513}};
  SilentMessages quiet;
  RunOnSurface(state, [&](TVKMPicture& p) {
    int count = 4;
    Leveling(p, method, order, corners, count, quiet);
  });
}
BENCHMARK(BM_Level)
    ->ArgNames({"method", "order"})
    ->Args({smPoints, soFirst})
    ->Args({sm2Dim, soZero})
    ->Args({sm2Dim, soFirst})
    ->Args({smLines, soZero})
    ->Args({smLines, soFirst})
    ->Args({smLines, soSecond})
    ->Args({smCols, soZero})
    ->Args({smCols, soFirst})
    ->Args({smCols, soSecond})
    ->Unit(benchmark::kMicrosecond);

void BM_Filter3x3(benchmark::State& state) {
  const int kernel = static_cast<int>(state.range(0));
  RunOnSurface(state, [&](TVKMPicture& p) { Filter3x3(p, kernel); });
}
BENCHMARK(BM_Filter3x3)
    ->ArgName("kernel")
    ->DenseRange(fkLowPass, fkBeleuchtung)
    ->Unit(benchmark::kMicrosecond);

void BM_RemoveBadPoints(benchmark::State& state) {
  RunOnSurface(state, [](TVKMPicture& p) { RemoveBadPoints(p, 1.0f); });
}
BENCHMARK(BM_RemoveBadPoints)->Unit(benchmark::kMicrosecond);

}  // namespace
