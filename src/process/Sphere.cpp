// The sphere filter: radius rules, ball and cap table, the plain definition, and the
// filter as the workbench runs it.
#include "process/Sphere.h"

#include <cmath>
#include <cstdlib>
#include <new>

double SphereRadiusInPixels(double r, const TScanPara& para) {
  if (para.XScanRange == 0.0f) return r;
  return r / static_cast<double>(para.XScanRange) * static_cast<double>(para.xPixel);
}

TSphereRadius SphereAcceptRadius(double r, int32_t columns, const TScanPara& para) {
  TSphereRadius out;
  const double pixels = SphereRadiusInPixels(r, para);
  if (!std::isfinite(pixels)) return out;
  const int64_t half = columns / 2;
  const double rounded = std::nearbyint(pixels);
  constexpr double kFarBelow = -4611686018427387904.0;  // -2^62
  out.Accepted = true;
  out.r = r;
  // Comparing the rounded double keeps radii far beyond any integer reducible.
  if (static_cast<double>(half) / 2.0 < rounded) {
    out.Pixels = half / 2;
    out.Reduced = true;
    out.r = para.XScanRange == 0.0f
                ? static_cast<double>(out.Pixels)
                : static_cast<double>(out.Pixels) * static_cast<double>(para.XScanRange) /
                      static_cast<double>(para.xPixel);
  } else {
    out.Pixels =
        rounded < kFarBelow ? static_cast<int64_t>(kFarBelow) : static_cast<int64_t>(rounded);
  }
  return out;
}

namespace {

enum class TUnitPrefix { None, Milli, Micro, Nano };

// The unit's prefix by its first character: "m", the micro sign (Latin-1 0xB5 or its
// UTF-8 form), "n".
TUnitPrefix UnitPrefix(const std::string& unit) {
  if (unit.empty()) return TUnitPrefix::None;
  const auto first = static_cast<unsigned char>(unit[0]);
  if (first == 'm') return TUnitPrefix::Milli;
  if (first == 'n') return TUnitPrefix::Nano;
  if (first == 0xB5) return TUnitPrefix::Micro;
  if (first == 0xC2 && unit.size() > 1 && static_cast<unsigned char>(unit[1]) == 0xB5)
    return TUnitPrefix::Micro;
  return TUnitPrefix::None;
}

double PrefixFactor(TUnitPrefix p) {
  switch (p) {
    case TUnitPrefix::Milli:
      return 0.001;
    case TUnitPrefix::Micro:
      return 0.000001;
    case TUnitPrefix::Nano:
      return 0.000000001;
    case TUnitPrefix::None:
      break;
  }
  return 1.0;
}

}  // namespace

bool SphereBallFor(double r, const TScanPara& para, TSphereBall& ball) {
  const double size = std::nearbyint(SphereRadiusInPixels(r, para) + 1.0);
  if (!(size >= 0.0 && size <= kMaxSphereBall)) return false;  // NaN fails too
  ball.R = static_cast<int32_t>(size);
  if (para.XPhysUnit == para.PhysUnit) {
    // The pixel size enters only here: heights and lateral sizes share the unit.
    ball.z = r / ball.R;
  } else {
    double z = 1.0;
    const TUnitPrefix x = UnitPrefix(para.XPhysUnit);
    if (x != TUnitPrefix::None) z = PrefixFactor(x);
    const TUnitPrefix h = UnitPrefix(para.PhysUnit);
    if (h != TUnitPrefix::None) z = z / PrefixFactor(h);
    ball.z = z;
  }
  return std::isfinite(ball.z);
}

bool SphereCapTable(int32_t R, double z, std::vector<double>& K) {
  K.clear();
  if (R < 0 || R > kMaxSphereBall) return false;
  const int32_t S = 2 * R + 1;
  // Room for (S + 1)^2 entries, as the table has always been allocated.
  const size_t room = static_cast<size_t>(S + 1) * static_cast<size_t>(S + 1);
  try {
    K.assign(room, 0.0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const double top = static_cast<double>(R) * R + 1.0;
  for (int32_t i = 0; i < S; ++i) {
    for (int32_t j = 0; j < S; ++j) {
      const double q =
          top - static_cast<double>(i - R) * (i - R) - static_cast<double>(j - R) * (j - R);
      double k = 0.0;
      if (q >= 0.0) k = ((R + 1) - std::sqrt(q)) * z;
      if (!std::isfinite(k)) {
        K.clear();
        return false;
      }
      K[static_cast<size_t>(i) * S + j] = k;
    }
  }
  return true;
}

int32_t SphereReflect(int32_t n, int32_t size) {
  if (n < 0) n = -n;
  if (n <= size - 1) return n;
  n = 2 * (size - 1) - n;
  if (n >= 0) return n;
  // Only a ball wider than the picture gets here: keep reflecting at both ends.
  if (size <= 1) return 0;
  const int32_t period = 2 * (size - 1);
  n = (n < 0 ? -n : n) % period;
  return n > size - 1 ? period - n : n;
}

void SphereDilatePlain(const float* image, int32_t rows, int32_t cols, int32_t R,
                       const std::vector<double>& K, double* m, Progress& progress) {
  const int32_t S = 2 * R + 1;
  for (int32_t y = 0; y < rows; ++y) {
    progress.Step(y, rows - 1);
    for (int32_t x = 0; x < cols; ++x) {
      double best = image[static_cast<size_t>(y) * cols + x];
      for (int32_t i = 0; i < S; ++i) {
        const double* k = K.data() + static_cast<size_t>(i) * S;
        const float* row = image + static_cast<size_t>(SphereReflect(y + i - R, rows)) * cols;
        for (int32_t j = 0; j < S; ++j) {
          if (k[j] != 0.0) {
            const double t = row[SphereReflect(x + j - R, cols)] - k[j];
            if (t > best) best = t;
          }
        }
      }
      m[static_cast<size_t>(y) * cols + x] = best;
    }
  }
}

namespace {

using Dilate = void (*)(const float*, int32_t, int32_t, int32_t, const std::vector<double>&,
                        double*, Progress&);

void DilateFast(const float* image, int32_t rows, int32_t cols, int32_t R,
                const std::vector<double>& K, double* m, Progress& progress) {
  SphereDilate(image, rows, cols, R, K, m, progress);
}

TSphereRun Run(const TVKMPicture& image, TVKMPicture& working, double r, bool lowPass,
               Progress& progress, Messages& messages, Dilate dilate) {
  TSphereBall ball;
  std::vector<double> K;
  const bool sameSize = image.HasMatrix() && working.HasMatrix() && image.Rows == working.Rows &&
                        image.Columns == working.Columns;
  if (!sameSize || !SphereBallFor(r, image.ScanPara, ball) || !SphereCapTable(ball.R, ball.z, K)) {
    messages.ShowMessage(kSphereInitError, TMsgDlgType::mtInformation);
    return TSphereRun::InitFailed;
  }
  const size_t n = image.ValueCount();
  std::vector<double> m;
  try {
    m.resize(n);
    dilate(image.Data(), image.Rows, image.Columns, ball.R, K, m.data(), progress);
  } catch (const std::bad_alloc&) {
    messages.ShowMessage(kSphereInitError, TMsgDlgType::mtInformation);
    return TSphereRun::InitFailed;
  }
  const float* v = image.Data();
  float* out = working.Data();
  for (size_t i = 0; i < n; ++i)
    out[i] =
        lowPass ? static_cast<float>(m[i]) : static_cast<float>(static_cast<double>(v[i]) - m[i]);
  return TSphereRun::Done;
}

}  // namespace

TSphereRun SphereFilter(const TVKMPicture& image, TVKMPicture& working, double r, bool lowPass,
                        Progress& progress, Messages& messages) {
  return Run(image, working, r, lowPass, progress, messages, DilateFast);
}

TSphereRun SphereFilterPlain(const TVKMPicture& image, TVKMPicture& working, double r, bool lowPass,
                             Progress& progress, Messages& messages) {
  return Run(image, working, r, lowPass, progress, messages, SphereDilatePlain);
}

void SphereSwitch(const TVKMPicture& image, TVKMPicture& working) {
  if (!image.HasMatrix() || !working.HasMatrix() || image.ValueCount() != working.ValueCount())
    return;
  const float* v = image.Data();
  float* w = working.Data();
  const size_t n = image.ValueCount();
  for (size_t i = 0; i < n; ++i) w[i] = v[i] - w[i];
}
