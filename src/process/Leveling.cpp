// Leveling routines and the dispatch of the leveling workbench.
#include "process/Leveling.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "process/SingleRounding.h"

namespace {

using ext = long double;  // extended precision: products, quotients, coefficients

// The results are computed here first and copied into the picture only when every one
// of them is a finite single, so a routine never leaves a picture half leveled.
float* Scratch(size_t n) {
  thread_local std::vector<float> scratch;
  if (scratch.size() < n) scratch.resize(n);
  return scratch.data();
}

bool AllFinite(const float* v, size_t n) {
  uint32_t bad = 0;
  for (size_t i = 0; i < n; ++i)
    bad |= static_cast<uint32_t>((std::bit_cast<uint32_t>(v[i]) & 0x7F800000u) == 0x7F800000u);
  return bad == 0;
}

bool Commit(TVKMPicture& p, const float* out) {
  const size_t n = p.ValueCount();
  if (!AllFinite(out, n)) return false;
  std::memcpy(p.Data(), out, n * sizeof(float));
  return true;
}

// A coefficient stored as single; false when it is not a finite single.
bool StoreSingle(ext v, float& out) {
  out = static_cast<float>(v);
  return std::isfinite(out);
}

// v := (v - x * b) - a for every value of one line (a row, or a column read with a
// stride), formed in extended precision and stored as single.
inline float LineResidual(float v, int x, float b, float a) {
  return static_cast<float>((static_cast<ext>(v) - static_cast<ext>(x) * b) - a);
}

// v := ((v - x^2 * a2) - x * a1) - a0, in extended precision, stored as single.
inline float ParabolaResidual(float v, int x, float a2, float a1, float a0) {
  const ext xx = static_cast<ext>(static_cast<int64_t>(x) * x);
  return static_cast<float>(((static_cast<ext>(v) - xx * a2) - static_cast<ext>(x) * a1) - a0);
}

// The sums of the parabola fit over positions 0 .. n - 1 and the reciprocal of its
// determinant, with the normal matrix [[n, S1, S2], [S1, S2, S3], [S2, S3, S4]].
struct TParabolaBase {
  double n = 0, S1 = 0, S2 = 0, S3 = 0, S4 = 0;
  double E = 0;  // -1 / determinant, a double
};

bool ParabolaBase(int n, TParabolaBase& b) {
  b.n = n;
  for (int x = 0; x < n; ++x) {
    b.S1 += x;
    b.S2 += static_cast<double>(static_cast<int64_t>(x) * x);
    b.S3 += static_cast<double>(static_cast<int64_t>(x) * x * x);  // x^3 as an integer
    b.S4 += static_cast<double>(std::pow(static_cast<ext>(x), 4.0L));
  }
  const ext C = n, S1 = b.S1, S2 = b.S2, S3 = b.S3, S4 = b.S4;
  const ext den = C * (S3 * S3) - C * S2 * S4 + (S1 * S1) * S4 - 2 * S1 * S2 * S3 + S2 * S2 * S2;
  if (den == 0) return false;  // fewer than three positions: no parabola
  b.E = static_cast<double>(1.0L / den);
  return std::isfinite(b.E);
}

// Cramer's rule for v ~ a0 + a1 x + a2 x^2 from Z0 = sum v, Z1 = sum x v, Z2 = sum x^2 v.
bool ParabolaCoefficients(const TParabolaBase& b, double z0, double z1, double z2, float& a0,
                          float& a1, float& a2) {
  const ext C = b.n, S1 = b.S1, S2 = b.S2, S3 = b.S3, S4 = b.S4, E = b.E;
  const ext Z0 = z0, Z1 = z1, Z2 = z2;
  const ext n0 =
      Z0 * S2 * S4 - Z0 * (S3 * S3) + S1 * S3 * Z2 - S1 * S4 * Z1 + S2 * S3 * Z1 - (S2 * S2) * Z2;
  const ext n1 =
      S1 * S2 * Z2 - S1 * S4 * Z0 - C * S3 * Z2 + C * S4 * Z1 + S2 * S3 * Z0 - (S2 * S2) * Z1;
  const ext n2 =
      (S1 * S1) * Z2 - S1 * S3 * Z0 + C * S3 * Z1 - C * S2 * Z2 - S1 * S2 * Z1 + (S2 * S2) * Z0;
  return StoreSingle(-n0 * E, a0) && StoreSingle(-n1 * E, a1) && StoreSingle(n2 * E, a2);
}

}  // namespace

bool LevelRowMean(TVKMPicture& p) {
  if (!p.HasMatrix() || p.Columns == 0) return false;
  const int R = p.Rows, C = p.Columns;
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    float s = 0;
    for (int c = 0; c < C; ++c) s += v[c];
    // The quotient of two singles rounded once to single, as extended precision gives it.
    const float m = s / static_cast<float>(C);
    float* o = out + static_cast<size_t>(r) * C;
    for (int c = 0; c < C; ++c) o[c] = v[c] - m;
  }
  return Commit(p, out);
}

bool LevelColumnMean(TVKMPicture& p) {
  if (!p.HasMatrix() || p.Columns == 0) return false;
  const int R = p.Rows, C = p.Columns;
  std::vector<float> m(static_cast<size_t>(C), 0.0f);
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    for (int c = 0; c < C; ++c) m[c] += v[c];
  }
  for (int c = 0; c < C; ++c) m[c] /= static_cast<float>(R);
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * C;
    for (int c = 0; c < C; ++c) o[c] = v[c] - m[c];
  }
  return Commit(p, out);
}

bool LevelRowLine(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  double S1 = 0, S2 = 0;
  for (int x = 0; x < C; ++x) {
    S1 += x;
    S2 += static_cast<double>(x) * x;
  }
  const ext den = static_cast<ext>(C) * S2 - static_cast<ext>(S1) * S1;
  if (den == 0) return false;  // fewer than two columns: no line
  float D;
  if (!StoreSingle(1.0L / den, D)) return false;
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    double Z0 = 0, Z1 = 0;
    for (int c = 0; c < C; ++c) {
      Z0 += v[c];
      Z1 += static_cast<double>(c) * v[c];  // exact: an integer below 2^10 times a single
    }
    float a, b;
    if (!StoreSingle((static_cast<ext>(Z0) * S2 - static_cast<ext>(Z1) * S1) * D, a) ||
        !StoreSingle((static_cast<ext>(C) * Z1 - static_cast<ext>(Z0) * S1) * D, b))
      return false;
    float* o = out + static_cast<size_t>(r) * C;
    for (int c = 0; c < C; ++c) o[c] = LineResidual(v[c], c, b, a);
  }
  return Commit(p, out);
}

bool LevelColumnLine(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  float S1 = 0, S2 = 0;
  for (int y = 0; y < R; ++y) {
    S1 += static_cast<float>(y);
    S2 += static_cast<float>(y * y);  // y^2 is a single exactly; the sum is rounded
  }
  const ext den = static_cast<ext>(R) * S2 - static_cast<ext>(S1) * S1;
  if (den == 0) return false;  // fewer than two rows: no line
  float D;
  if (!StoreSingle(1.0L / den, D)) return false;
  std::vector<float> Z0(static_cast<size_t>(C), 0.0f), Z1(static_cast<size_t>(C), 0.0f);
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    for (int c = 0; c < C; ++c) {
      Z0[c] += v[c];
      Z1[c] = AddRoundSingle(Z1[c], static_cast<double>(y) * v[c]);
    }
  }
  std::vector<float> a(static_cast<size_t>(C)), b(static_cast<size_t>(C));
  for (int c = 0; c < C; ++c) {
    if (!StoreSingle((static_cast<ext>(Z0[c]) * S2 - static_cast<ext>(Z1[c]) * S1) * D, a[c]) ||
        !StoreSingle((static_cast<ext>(R) * Z1[c] - static_cast<ext>(Z0[c]) * S1) * D, b[c]))
      return false;
  }
  float* out = Scratch(p.ValueCount());
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    float* o = out + static_cast<size_t>(y) * C;
    for (int c = 0; c < C; ++c) o[c] = LineResidual(v[c], y, b[c], a[c]);
  }
  return Commit(p, out);
}

bool LevelRowParabola(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  TParabolaBase base;
  if (!ParabolaBase(C, base)) return false;
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    double Z0 = 0, Z1 = 0, Z2 = 0;
    for (int c = 0; c < C; ++c) {
      Z0 += v[c];
      Z1 += static_cast<double>(c) * v[c];
      Z2 += static_cast<double>(static_cast<int64_t>(c) * c) * v[c];  // exact: 42 bits
    }
    float a0, a1, a2;
    if (!ParabolaCoefficients(base, Z0, Z1, Z2, a0, a1, a2)) return false;
    float* o = out + static_cast<size_t>(r) * C;
    for (int c = 0; c < C; ++c) o[c] = ParabolaResidual(v[c], c, a2, a1, a0);
  }
  return Commit(p, out);
}

bool LevelColumnParabola(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  TParabolaBase base;
  if (!ParabolaBase(R, base)) return false;
  std::vector<double> Z0(static_cast<size_t>(C), 0.0), Z1(static_cast<size_t>(C), 0.0),
      Z2(static_cast<size_t>(C), 0.0);
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    const double yd = y, yy = static_cast<double>(static_cast<int64_t>(y) * y);
    for (int c = 0; c < C; ++c) {
      Z0[c] += v[c];
      Z1[c] += yd * v[c];
      Z2[c] += yy * v[c];
    }
  }
  std::vector<float> a0(static_cast<size_t>(C)), a1(static_cast<size_t>(C)),
      a2(static_cast<size_t>(C));
  for (int c = 0; c < C; ++c)
    if (!ParabolaCoefficients(base, Z0[c], Z1[c], Z2[c], a0[c], a1[c], a2[c])) return false;
  float* out = Scratch(p.ValueCount());
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    float* o = out + static_cast<size_t>(y) * C;
    for (int c = 0; c < C; ++c) o[c] = ParabolaResidual(v[c], y, a2[c], a1[c], a0[c]);
  }
  return Commit(p, out);
}

bool LevelGlobalMean(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  double total = 0;
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    double rowSum = 0;
    for (int c = 0; c < C; ++c) rowSum += v[c];
    // The row mean is formed in extended precision and added to the double total.
    total = static_cast<double>(static_cast<ext>(total) + static_cast<ext>(rowSum) / C);
  }
  const float m = static_cast<float>(static_cast<ext>(total) / R);
  if (!std::isfinite(m)) return false;  // no mean: the level stays
  float* out = Scratch(p.ValueCount());
  const size_t n = p.ValueCount();
  const float* v = p.Data();
  for (size_t i = 0; i < n; ++i) out[i] = v[i] - m;
  return Commit(p, out);
}

bool LevelMeanSlopes(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int nx = p.Columns, ny = p.Rows;
  float Sx = 0, Sxx = 0, Sy = 0, Syy = 0;
  for (int i = 1; i <= nx; ++i) {
    Sx += static_cast<float>(i);
    Sxx += static_cast<float>(i * i);
  }
  for (int j = 1; j <= ny; ++j) {
    Sy += static_cast<float>(j);
    Syy += static_cast<float>(j * j);
  }
  // Row pass: the sum over rows of each row's slope numerator, positions i = 1 .. nx.
  float A = 0;
  for (int j = 1; j <= ny; ++j) {
    const float* v = p.RowTable[j - 1];
    float s0 = 0, s1 = 0;
    for (int i = 1; i <= nx; ++i) {
      s1 = AddRoundSingle(s1, static_cast<double>(i) * v[i - 1]);
      s0 += v[i - 1];
    }
    A = static_cast<float>(static_cast<ext>(A) +
                           (static_cast<ext>(nx) * s1 - static_cast<ext>(s0) * Sx));
  }
  // Column pass, positions j = 1 .. ny; the column sums are kept side by side.
  std::vector<float> t0(static_cast<size_t>(nx), 0.0f), t1(static_cast<size_t>(nx), 0.0f);
  for (int j = 1; j <= ny; ++j) {
    const float* v = p.RowTable[j - 1];
    for (int i = 0; i < nx; ++i) {
      t1[i] = AddRoundSingle(t1[i], static_cast<double>(j) * v[i]);
      t0[i] += v[i];
    }
  }
  float B = 0;
  for (int i = 0; i < nx; ++i)
    B = static_cast<float>(static_cast<ext>(B) +
                           (static_cast<ext>(ny) * t1[i] - static_cast<ext>(t0[i]) * Sy));
  // A line of one point has no slope: that slope counts as 0.
  float sx = 0, sy = 0;
  const ext denX = (static_cast<ext>(nx) * Sxx - static_cast<ext>(Sx) * Sx) * ny;
  const ext denY = (static_cast<ext>(ny) * Syy - static_cast<ext>(Sy) * Sy) * nx;
  if (denX != 0 && !StoreSingle(static_cast<ext>(A) / denX, sx)) return false;
  if (denY != 0 && !StoreSingle(static_cast<ext>(B) / denY, sy)) return false;
  if (denX == 0 && denY == 0) return false;
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < ny; ++r) {
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * nx;
    const ext rsy = static_cast<ext>(r) * sy;
    for (int c = 0; c < nx; ++c)
      o[c] = static_cast<float>((static_cast<ext>(v[c]) - static_cast<ext>(c) * sx) - rsy);
  }
  return Commit(p, out);
}

namespace {

// The slope of z over one coordinate of the points (double sums): false when every point
// has the same coordinate, or the slope is not a finite single.
bool PointSlope(const TVKMPicture& p, const TSlopPoint* points, int count, bool overColumns,
                float& slope) {
  double S = 0, Sz = 0, Ssz = 0, Sss = 0;
  for (int k = 0; k < count; ++k) {
    const int32_t s = overColumns ? points[k].Column : points[k].Row;
    const float z = p.RowTable[points[k].Row][points[k].Column];
    Ssz += static_cast<double>(s) * z;
    S += s;
    Sz += z;
    Sss += static_cast<double>(static_cast<int64_t>(s) * s);  // s^2 as an integer
  }
  const ext den = static_cast<ext>(count) * Sss - static_cast<ext>(S) * S;
  if (den == 0) return false;
  return StoreSingle((static_cast<ext>(count) * Ssz - static_cast<ext>(S) * Sz) / den, slope);
}

}  // namespace

TPointSlopesResult LevelPointSlopes(TVKMPicture& p, const TSlopPoint* points, int count) {
  if (count < 2) return TPointSlopesResult::TooFewPoints;
  if (!p.HasMatrix()) return TPointSlopesResult::Unchanged;
  for (int k = 0; k < count; ++k)
    if (points[k].Column < 0 || points[k].Column >= p.Columns || points[k].Row < 0 ||
        points[k].Row >= p.Rows)
      return TPointSlopesResult::Unchanged;
  float sx, sy;
  // Points in one column (or one row) give no slope along it: the user has to mark more.
  if (!PointSlope(p, points, count, true, sx) || !PointSlope(p, points, count, false, sy)) {
    // Tell a missing spread apart from a slope that overflows.
    bool columnsSpread = false, rowsSpread = false;
    for (int k = 1; k < count; ++k) {
      columnsSpread |= points[k].Column != points[0].Column;
      rowsSpread |= points[k].Row != points[0].Row;
    }
    return columnsSpread && rowsSpread ? TPointSlopesResult::Unchanged
                                       : TPointSlopesResult::TooFewPoints;
  }
  const int R = p.Rows, C = p.Columns;
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * C;
    const ext rsy = static_cast<ext>(r) * sy;
    for (int c = 0; c < C; ++c)
      o[c] = static_cast<float>((static_cast<ext>(v[c]) - static_cast<ext>(c) * sx) - rsy);
  }
  return Commit(p, out) ? TPointSlopesResult::Leveled : TPointSlopesResult::Unchanged;
}

TLevelResult Leveling(TVKMPicture& work, int method, int order, const TSlopPoint* points,
                      int& pointCount, Messages& messages) {
  bool (*routine)(TVKMPicture&) = nullptr;
  switch (method) {
    case smPoints:
      if (order == soFirst) {
        switch (LevelPointSlopes(work, points, pointCount)) {
          case TPointSlopesResult::Leveled:
            pointCount = 0;  // the marks vanish at the render that follows
            return TLevelResult::Leveled;
          case TPointSlopesResult::TooFewPoints:
            messages.ShowMessage(kNotEnoughPoints, TMsgDlgType::mtInformation);
            return TLevelResult::NotEnoughPoints;
          case TPointSlopesResult::Unchanged:
            return TLevelResult::Unchanged;
        }
      }
      break;
    case sm2Dim:
      if (order == soZero) routine = LevelGlobalMean;
      if (order == soFirst) routine = LevelMeanSlopes;
      break;
    case smLines:
      if (order == soZero) routine = LevelRowMean;
      if (order == soFirst) routine = LevelRowLine;
      if (order == soSecond) routine = LevelRowParabola;
      break;
    case smCols:
      if (order == soZero) routine = LevelColumnMean;
      if (order == soFirst) routine = LevelColumnLine;
      if (order == soSecond) routine = LevelColumnParabola;
      break;
    default:
      break;
  }
  if (!routine) {
    messages.ShowMessage(kMethodNotSupported, TMsgDlgType::mtInformation);
    return TLevelResult::NotSupported;
  }
  return routine(work) ? TLevelResult::Leveled : TLevelResult::Unchanged;
}
