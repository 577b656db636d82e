// Image arithmetic of two 514 x 514 pictures, against the plain loop that computes
// the same numbers.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "image/Messages.h"
#include "process/Arithmetic.h"

namespace {

void Fill(TVKMPicture& p, unsigned seed) {
  p.SetSize(kMaxPictureSide, kMaxPictureSide);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> v(0.5f, 10.0f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c) p.RowTable[r][c] = v(rng);
}

void BM_Arithmetic514(benchmark::State& state) {
  const char ops[] = {'+', '-', '*', '/'};
  const std::string edit = std::string(" ") + ops[state.range(0)];
  TVKMPicture a, b, result;
  Fill(a, 1);
  Fill(b, 2);
  TBitmap8 image3;
  SilentMessages quiet;
  for (auto _ : state) {
    const TArithOutcome out = ComputeArithmetic(&a, &b, edit, result, image3, quiet, '.');
    benchmark::DoNotOptimize(out.Status);
  }
  state.SetLabel(edit);
}
BENCHMARK(BM_Arithmetic514)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// What the arithmetic costs at the least: one pass over the cells in single
// precision, plus the rendering that every computation ends with.
void BM_ArithmeticPlainLoop514(benchmark::State& state) {
  TVKMPicture a, b, result;
  Fill(a, 1);
  Fill(b, 2);
  result.SetSize(a.Columns, a.Rows);
  TBitmap8 image3;
  for (auto _ : state) {
    const size_t n = a.ValueCount();
    const float* x = a.Data();
    const float* y = b.Data();
    float* z = result.Data();
    for (size_t i = 0; i < n; ++i) z[i] = x[i] - y[i];
    result.Render(image3);
    benchmark::DoNotOptimize(z);
  }
}
BENCHMARK(BM_ArithmeticPlainLoop514)->Unit(benchmark::kMillisecond);

}  // namespace
