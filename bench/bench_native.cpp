// Opening a 514 x 514 native measurement (header and one channel) and rendering it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "formats/LoadFiles.h"
#include "formats/NativeWriter.h"
#include "image/TImageDoc.h"

namespace {

// Writes the measurement once per run into a temporary folder: a smooth surface
// with a little pseudo-random roughness, as .sin and as .int.
class NativeFiles {
 public:
  NativeFiles() {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarnisk_bench_native_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    TImageDoc doc;
    doc.CreatePicture(kMaxPictureSide, kMaxPictureSide);
    TVKMPicture& p = *doc.Picture;
    p.ScanPara.XScanRange = p.ScanPara.YScanRange = 1000;
    p.ScanPara.XPhysUnit = p.ScanPara.YPhysUnit = "nm";
    p.ScanPara.PhysUnit = "nm";
    p.ScanPara.Scale = 0.001f;
    uint32_t state = 12345;
    for (int r = 0; r < p.Rows; ++r)
      for (int c = 0; c < p.Columns; ++c) {
        state = state * 1664525u + 1013904223u;
        p.RowTable[r][c] =
            0.01f * static_cast<float>(r + 2 * c) + static_cast<float>(state >> 16) / 65536.0f;
      }
    doc.ChannelCaption = "Topography";
    SilentMessages quiet;
    WriteNativeFiles(doc, Sin(), TNativeKind::Sin, quiet);
    WriteNativeFiles(doc, Int(), TNativeKind::Int, quiet);
  }
  ~NativeFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Sin() const { return (dir_ / "bench_sin.txt").string(); }
  std::string Int() const { return (dir_ / "bench_int.txt").string(); }

 private:
  std::filesystem::path dir_;
};

const NativeFiles& Files() {
  static NativeFiles files;
  return files;
}

void Open(const std::string& path, TImageDoc& doc) {
  TLoadFiles loader(path);
  loader.ReadHeader();
  doc.InfoText.clear();
  loader.ReadChannelV110(doc, 1);
}

void BM_NativeOpenSin(benchmark::State& state) {
  const std::string path = Files().Sin();
  for (auto _ : state) {
    TImageDoc doc;
    Open(path, doc);
    benchmark::DoNotOptimize(doc.Picture->Data());
  }
}
BENCHMARK(BM_NativeOpenSin)->Unit(benchmark::kMillisecond);

void BM_NativeOpenInt(benchmark::State& state) {
  const std::string path = Files().Int();
  for (auto _ : state) {
    TImageDoc doc;
    Open(path, doc);
    benchmark::DoNotOptimize(doc.Picture->Data());
  }
}
BENCHMARK(BM_NativeOpenInt)->Unit(benchmark::kMillisecond);

void BM_NativeRender(benchmark::State& state) {
  TImageDoc doc;
  Open(Files().Int(), doc);
  TBitmap8 bitmap;
  for (auto _ : state) {
    doc.Picture->Render(bitmap);
    benchmark::DoNotOptimize(bitmap.Pixels.data());
  }
}
BENCHMARK(BM_NativeRender)->Unit(benchmark::kMillisecond);

void BM_NativeOpenAndRender(benchmark::State& state) {
  const std::string path = Files().Int();
  for (auto _ : state) {
    TImageDoc doc;
    Open(path, doc);
    doc.Render('.');
    benchmark::DoNotOptimize(doc.Image1.Pixels.data());
  }
}
BENCHMARK(BM_NativeOpenAndRender)->Unit(benchmark::kMillisecond);

}  // namespace
