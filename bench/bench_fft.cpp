// The workbench's FFT at 514 x 514 (a 512-point transform) on every instruction set
// the processor has.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/TVKMPicture.h"
#include "process/Fft.h"

namespace {

// A tilted, rippled surface with noise, as a measurement looks.
std::vector<float> Surface() {
  std::vector<float> v(static_cast<size_t>(kMaxPictureSide) * kMaxPictureSide);
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < kMaxPictureSide; ++r)
    for (int c = 0; c < kMaxPictureSide; ++c)
      v[static_cast<size_t>(r) * kMaxPictureSide + c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
  return v;
}

// Each iteration restores the picture (a copy of 1 MB, some 0.05 ms) and transforms it.
void RunFft(benchmark::State& state, TFftKernel kernel, bool log) {
  if (!SetFftKernel(kernel)) {
    state.SkipWithError("the processor lacks this instruction set");
    return;
  }
  const std::vector<float> values = Surface();
  TVKMPicture p;
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  for (auto _ : state) {
    std::memcpy(p.Data(), values.data(), values.size() * sizeof(float));
    p.Transformed = false;
    FftPicture(p, log);
    benchmark::DoNotOptimize(p.Data());
  }
  SetFftKernel(TFftKernel::Automatic);
}

void BM_Fft514(benchmark::State& state) {
  RunFft(state, TFftKernel::Automatic, false);
}
void BM_Fft514Log(benchmark::State& state) {
  RunFft(state, TFftKernel::Automatic, true);
}
void BM_Fft514Avx2(benchmark::State& state) {
  RunFft(state, TFftKernel::Avx2, false);
}
void BM_Fft514Sse2(benchmark::State& state) {
  RunFft(state, TFftKernel::Sse2, false);
}
void BM_Fft514Portable(benchmark::State& state) {
  RunFft(state, TFftKernel::Portable, false);
}
BENCHMARK(BM_Fft514)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fft514Log)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fft514Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fft514Sse2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fft514Portable)->Unit(benchmark::kMillisecond);

}  // namespace
