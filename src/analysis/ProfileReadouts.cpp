// Profile read-outs: graph scale and points, cursor read-outs, profile file and clipboard.
#include "analysis/ProfileReadouts.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "image/FileNames.h"
#include "image/NumberFormat.h"

namespace {

inline int32_t RoundInt(double v) {
  return static_cast<int32_t>(std::nearbyint(v));
}

// Whether Round(v) fits an int32_t (so converting it is defined).
inline bool Roundable(double v) {
  return std::isfinite(v) && std::fabs(v) < 2.0e9;
}

std::string NonFinite(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

}  // namespace

// ---- the graph -------------------------------------------------------------------

TProfileGraph ProfileGraph(const TProfile& profile, int32_t width, int32_t height) {
  TProfileGraph g;
  const int32_t n = profile.PointCount();
  if (n <= 0) return g;
  // The range starts from point 0 and ignores values that are not numbers, so one
  // undefined point does not blank the whole graph.
  bool any = false;
  for (int32_t i = 0; i < n; ++i) {
    const float v = profile.Values[i];
    if (std::isnan(v)) continue;
    if (!any) {
      g.ProfileMin = g.ProfileMax = v;
      any = true;
    } else if (v < g.ProfileMin) {
      g.ProfileMin = v;
    } else if (v > g.ProfileMax) {
      g.ProfileMax = v;
    }
  }
  const double range = static_cast<double>(g.ProfileMax) - static_cast<double>(g.ProfileMin);
  g.GraphScale = range == 0 ? 1.0f : static_cast<float>((height - 1) / range);
  if (!std::isfinite(g.GraphScale)) g.GraphScale = 1;
  for (int32_t i = 0; i < n; ++i) {
    const double y =
        (static_cast<double>(g.ProfileMax) - static_cast<double>(profile.Values[i])) * g.GraphScale;
    if (!Roundable(y)) continue;
    const int32_t x = i == 0 ? 0 : RoundInt(static_cast<double>(i) / n * width);
    g.Points.emplace_back(x, RoundInt(y));
  }
  return g;
}

int32_t GraphY(float profileMax, float graphScale, float v) {
  const double y = (static_cast<double>(profileMax) - static_cast<double>(v)) * graphScale;
  return Roundable(y) ? RoundInt(y) : 0;
}

std::string FormatExponent3(double value, char sep) {
  if (!std::isfinite(value)) return NonFinite(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2E", value);  // "-1.23E+02"
  std::string s(buf);
  const size_t e = s.find('E');
  std::string out = s.substr(0, e);
  const size_t dot = out.find('.');
  if (dot != std::string::npos) out[dot] = sep;
  const int exponent = std::atoi(s.c_str() + e + 1);
  out += exponent < 0 ? "E-" : "E+";
  out += std::to_string(exponent < 0 ? -exponent : exponent);
  return out;
}

// ---- the read-out grid -----------------------------------------------------------

// `label` followed by the unit in brackets.
std::string WithUnit(const char* label, const std::string& unit) {
  std::string s(label);
  s += '[';
  s += unit;
  s += ']';
  return s;
}

std::array<std::string, kReadoutRows> ReadoutLabels(const TScanPara& scan) {
  const std::string& xu = scan.XPhysUnit;
  const std::string& yu = scan.YPhysUnit;
  const std::string& zu = scan.PhysUnit;
  std::array<std::string, kReadoutRows> l;
  for (int k = 0; k < 2; ++k) {
    l[3 * k] = WithUnit("X  ", xu);
    l[3 * k + 1] = WithUnit("Y  ", yu);
    l[3 * k + 2] = WithUnit("Z  ", zu);
  }
  l[6] = WithUnit("dX  ", xu);
  l[7] = WithUnit("dY  ", yu);
  l[8] = WithUnit("dZ  ", zu);
  l[9] = xu == yu ? WithUnit("dXY  ", xu) : std::string("dXY");
  l[10] = xu == yu && xu == zu ? WithUnit("dXYZ ", xu) : std::string("dXYZ");
  return l;
}

TReadoutColour ReadoutCellColour(int32_t column, int32_t row) {
  if (column != 0) return TReadoutColour::Window;
  if (row >= 0 && row <= 2) return TReadoutColour::Red;
  if (row >= 3 && row <= 5) return TReadoutColour::Lime;
  return TReadoutColour::ButtonFace;
}

TReadoutScales ReadoutScales(const TScanPara& scan, int32_t columns) {
  TReadoutScales s;
  if (scan.XPhysUnit == scan.YPhysUnit && columns > 1) {
    const float f = static_cast<float>(static_cast<double>(scan.XScanRange) / (columns - 1));
    // A file without a scan range would put every position at 0: cells instead.
    if (f > 0 && std::isfinite(f)) s.fx = s.fy = f;
  }
  return s;
}

// ---- the two cursors -------------------------------------------------------------

int32_t CursorPointIndex(int32_t X, int32_t graphWidth, int32_t pointCount) {
  if (graphWidth <= 0 || pointCount <= 0) return 0;
  int32_t idx = RoundInt(static_cast<double>(X) / graphWidth * pointCount);
  if (idx < 0) idx = 0;
  if (idx >= pointCount) idx = pointCount - 1;
  return idx;
}

int32_t CrossPenWidth(int32_t bitmapWidth, int32_t controlWidth) {
  if (controlWidth <= 0) return 2;
  return RoundInt(static_cast<double>(bitmapWidth) / controlWidth + 1);
}

std::array<std::array<int32_t, 4>, 4> CrossStrokes(int32_t x, int32_t y) {
  return {{{x - 5, y, x, y}, {x + 1, y, x + 5, y}, {x, y - 5, x, y}, {x, y + 1, x, y + 5}}};
}

void TProfileCursors::NewProfile() {
  GraphSnapshotValid = false;
  for (auto& v : Values) v.clear();
}

void TProfileCursors::MouseDown(int32_t X) {
  if (!GraphSnapshotValid) {
    Cursor[0].Active = false;
    Cursor[1].Active = false;
    GraphSnapshotValid = true;
  }
  ActiveCursor = -1;
  if (!Cursor[0].Active || std::abs(Cursor[0].X - X) < 4)
    ActiveCursor = 0;
  else if (!Cursor[1].Active || std::abs(Cursor[1].X - X) < 4)
    ActiveCursor = 1;
}

void TProfileCursors::MouseMove(int32_t X, int32_t Y, const TCursorContext& ctx) {
  const TProfile* p = ctx.Profile;
  const int32_t n = p ? p->PointCount() : 0;
  if (n <= 0 || ctx.GraphWidth <= 0) return;
  const int32_t idx = CursorPointIndex(X, ctx.GraphWidth, n);
  if (ActiveCursor >= 0 && ActiveCursor <= 1) {
    TProfileCursor& c = Cursor[ActiveCursor];
    c.Active = true;
    c.X = X;
    c.PointIndex = idx;
    c.Y = ctx.StickToGraph ? GraphY(ctx.ProfileMax, ctx.GraphScale, p->Values[idx]) : Y;
  }
  const double fx = ctx.Scales.fx;
  const double fy = ctx.Scales.fy;
  const char sep = ctx.Separator;
  // A cursor recorded on an earlier, longer profile may point past this one's end.
  auto usable = [&](int k) { return Drawn(k) && Cursor[k].PointIndex < n; };
  for (int k = 0; k < 2; ++k) {
    if (usable(k)) {
      const int32_t i = Cursor[k].PointIndex;
      Values[3 * k] = FormatValue(3, p->X[i] * fx, sep);
      Values[3 * k + 1] = FormatValue(3, p->Y[i] * fy, sep);
      Values[3 * k + 2] = FormatValue(3, p->Values[i], sep);
    } else {
      Values[3 * k].clear();
      Values[3 * k + 1].clear();
      Values[3 * k + 2].clear();
    }
  }
  if (usable(0) && usable(1)) {
    const int32_t i0 = Cursor[0].PointIndex;
    const int32_t i1 = Cursor[1].PointIndex;
    const float dX = static_cast<float>((p->X[i1] - p->X[i0]) * fx);
    const float dY = static_cast<float>((p->Y[i1] - p->Y[i0]) * fy);
    const float dZ = p->Values[i1] - p->Values[i0];
    const double xy = static_cast<double>(dX) * dX + static_cast<double>(dY) * dY;
    Values[6] = FormatValue(3, dX, sep);
    Values[7] = FormatValue(3, dY, sep);
    Values[8] = FormatValue(3, dZ, sep);
    Values[9] = FormatValue(3, std::sqrt(xy), sep);
    Values[10] = FormatValue(3, std::sqrt(xy + static_cast<double>(dZ) * dZ), sep);
  }
}

// ---- files and clipboard ---------------------------------------------------------

std::string FormatScientific23(double value) {
  if (!std::isfinite(value)) {
    std::string t = NonFinite(value);
    if (value > 0 || std::isnan(value)) t.insert(t.begin(), ' ');
    return t;
  }
  // The digits are those of the value's exact binary form rounded to 15 significant
  // digits; the exponent is then widened to four digits.
  char digits[48];
  std::snprintf(digits, sizeof digits, "%.14E", std::fabs(value));  // "1.50000000000000E+00"
  const char* e = std::strchr(digits, 'E');
  const int exponent = std::atoi(e + 1);
  char out[48];
  std::snprintf(out, sizeof out, "%c%.*sE%c%04d", value < 0 ? '-' : ' ',
                static_cast<int>(e - digits), digits, exponent < 0 ? '-' : '+',
                exponent < 0 ? -exponent : exponent);
  return out;
}

std::string ProfileFileText(const TProfile& profile, float step) {
  std::string out;
  const int32_t n = profile.PointCount();
  out.reserve(static_cast<size_t>(n) * 49);
  for (int32_t i = 0; i < n; ++i) {
    out += FormatScientific23(static_cast<double>(i) * step);
    out += '\t';
    out += FormatScientific23(profile.Values[i]);
    out += "\r\n";
  }
  return out;
}

std::string ProfileClipboardText(const TProfile& profile, float step, char sep) {
  std::string out;
  const int32_t n = profile.PointCount();
  for (int32_t i = 0; i < n; ++i) {
    if (i > 0) out += "\r\n";
    AppendGeneral(out, static_cast<double>(i) * step, sep);
    out += '\t';
    AppendGeneral(out, profile.Values[i], sep);
  }
  return out;
}

std::string ProfileSaveName(const std::string& chosenName) {
  if (chosenName.find('.') == std::string::npos) return chosenName + ".dat";
  return chosenName;
}

TProfileSaveResult SaveProfile(const std::string& chosenName, const TProfile& profile, float step) {
  TProfileSaveResult r;
  if (chosenName.empty()) return r;
  r.FileName = ProfileSaveName(chosenName);
  const std::string text = ProfileFileText(profile, step);
  std::ofstream f(r.FileName, std::ios::binary | std::ios::trunc);
  if (!f) return r;
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  if (!f) return r;
  r.Folder = FolderOf(r.FileName);
  r.Ok = true;
  return r;
}
