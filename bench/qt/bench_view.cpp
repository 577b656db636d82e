// The viewer's and the command line's Qt work on a 514 x 514 picture: writing the
// composed view as PNG, and an image window composing its view.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <cmath>
#include <random>

#include "qtgui/ViewPainter.h"
#include "view/TMDIChild.h"

namespace {

void FillSurface(TImageDoc& doc) {
  doc.CreatePicture(kMaxPictureSide, kMaxPictureSide);
  TVKMPicture& p = *doc.Picture;
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      p.RowTable[r][c] =
          0.01f * c + 0.02f * r + std::sin(c * 0.1f) * std::cos(r * 0.07f) + noise(rng);
  p.ScanPara.XScanRange = 500;
  p.ScanPara.XPhysUnit = "nm";
  p.ScanPara.PhysUnit = "nm";
  doc.Render('.');
}

QFont WindowFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

// The view as `process --view` writes it (range 0: plain, 1: colour bar and scale bar).
void BM_ViewPng(benchmark::State& state) {
  TImageDoc doc;
  FillSurface(doc);
  TViewOptions options;
  options.ZScale = options.XYLabel = state.range(0) != 0;
  const int w = options.ZScale ? 450 : 300;
  const QString path = QStringLiteral("/tmp/tarnisk_bench_view.png");
  for (auto _ : state) {
    QString error;
    if (!WriteComposedView(path.toStdString(), doc, options, w, 300, WindowFont(), '.', &error))
      state.SkipWithError("the view could not be written");
  }
  state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
  QFile::remove(path);
}
BENCHMARK(BM_ViewPng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// An image window composes its view, as every open, resize and refresh does.
void BM_WindowComposeView(benchmark::State& state) {
  TMDIChild child(nullptr, nullptr, WindowFont());
  FillSurface(child.Doc());
  child.show();
  child.UpdateImage();
  for (auto _ : state) child.ComposeView();
}
BENCHMARK(BM_WindowComposeView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
