// The line profile window's model: modes, lines, markers, panels, graph and layout.
#include "analysis/LineProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "image/NumberEdit.h"
#include "image/NumberFormat.h"

namespace {

inline int32_t RoundInt(double v) {
  return static_cast<int32_t>(std::nearbyint(v));
}
inline bool Roundable(double v) {
  return std::isfinite(v) && std::fabs(v) < 2.0e9;
}
inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

std::vector<std::pair<int32_t, int32_t>> LinePixels(const TMarkerLine& line) {
  std::vector<std::pair<int32_t, int32_t>> px;
  const int32_t dx = line.X2 - line.X1;
  const int32_t dy = line.Y2 - line.Y1;
  const int32_t steps = std::max(std::abs(dx), std::abs(dy));
  px.reserve(static_cast<size_t>(steps));
  for (int32_t i = 0; i < steps; ++i) {
    // Integer rounding half away from the start keeps the line symmetric to its reverse.
    const int32_t x =
        line.X1 + static_cast<int32_t>(std::lround(static_cast<double>(dx) * i / steps));
    const int32_t y =
        line.Y1 + static_cast<int32_t>(std::lround(static_cast<double>(dy) * i / steps));
    px.emplace_back(x, y);
  }
  return px;
}

void TLineProfileModel::Create(int32_t dir, int32_t width, const std::string& number) {
  Mode = dir >= 0 && dir < static_cast<int32_t>(kProfileModeItems.size()) ? dir : -1;
  AverageWidth = width < 1 ? 1 : width;
  WidthText = std::to_string(AverageWidth);
  NumberText = number;
  int v = 0;
  ColumnNumber = ParseInteger(number, v) ? v : 0;
  RowNumber = ColumnNumber;
  ColumnMarkX = RowMarkY = RayX = RayY = 0;
}

bool TLineProfileModel::SetPicture(const TVKMPicture* picture, Progress* progress) {
  Picture = picture;
  if (Picture) WorkCopy.SetSize(Picture->Columns, Picture->Rows);
  Profile.Clear();
  PlaceMarkers();
  const bool ok = ApplyMode(Mode, progress);
  Cursors.GraphSnapshotValid = false;
  return ok;
}

bool TLineProfileModel::ApplyMode(int32_t index, Progress* progress) {
  bool ok = true;
  switch (index) {
    case 0:
      PrepareRows();
      break;
    case 1:
      PrepareColumns();
      break;
    case 2:
      NumberShown = false;
      PrepareAnyLine();
      ShowAnyLine();
      break;
    case 3:
      ok = PrepareRadial(progress);
      break;
    default:
      break;
  }
  Mode = index;
  return ok;
}

bool TLineProfileModel::AcceptWidth(const std::string& text) {
  int v = 0;
  const bool ok = ParseInteger(text, v);
  AverageWidth = ok && v >= 1 ? v : 1;
  return ok;
}

bool TLineProfileModel::ChangeMode(int32_t index, const std::string& widthText,
                                   Progress* progress) {
  AcceptWidth(widthText);
  WidthText = std::to_string(AverageWidth);
  if (Mode == 2) {
    PanelsShown = false;
    NumberShown = true;
  }
  return ApplyMode(index, progress);
}

void TLineProfileModel::PrepareRows() {
  if (!Picture) return;
  AverageWidth =
      LimitAverageWidth(TProfileMode::Row, AverageWidth, Picture->Rows, Picture->Columns);
  AverageRows(*Picture, AverageWidth, WorkCopy);
  Step = ProfileStep(TProfileMode::Row, Picture->ScanPara);
  DistanceUnit = DistanceUnitLabel(TProfileMode::Row, Picture->ScanPara);
  ShowRow(RowNumber);
  WidthText = std::to_string(AverageWidth);
  WidthEnabled = true;
}

void TLineProfileModel::PrepareColumns() {
  if (!Picture) return;
  AverageWidth =
      LimitAverageWidth(TProfileMode::Column, AverageWidth, Picture->Rows, Picture->Columns);
  AverageColumns(*Picture, AverageWidth, WorkCopy);
  Step = ProfileStep(TProfileMode::Column, Picture->ScanPara);
  DistanceUnit = DistanceUnitLabel(TProfileMode::Column, Picture->ScanPara);
  ShowColumn(ColumnNumber);
  WidthText = std::to_string(AverageWidth);
  WidthEnabled = true;
}

void TLineProfileModel::PrepareAnyLine() {
  PanelsShown = true;
  LineX1 = Panel1Left + 4 - Image1.Left;
  LineY1 = Panel1Top + 4 - Image1.Top;
  LineX2 = Panel2Left + 4 - Image1.Left;
  LineY2 = Panel2Top + 4 - Image1.Top;
  if (Picture) {
    Step = ProfileStep(TProfileMode::AnyLine, Picture->ScanPara);
    DistanceUnit = DistanceUnitLabel(TProfileMode::AnyLine, Picture->ScanPara);
  }
  WidthText = std::to_string(1);  // the free line takes no width
  WidthEnabled = false;
}

bool TLineProfileModel::PrepareRadial(Progress* progress) {
  if (!Picture) return true;
  AverageWidth =
      LimitAverageWidth(TProfileMode::Radial, AverageWidth, Picture->Rows, Picture->Columns);
  const bool ok = AverageRadial(*Picture, AverageWidth, WorkCopy, progress);
  Step = ProfileStep(TProfileMode::Radial, Picture->ScanPara);
  DistanceUnit = DistanceUnitLabel(TProfileMode::Radial, Picture->ScanPara);
  ShowRadial(Angle);
  WidthText = std::to_string(AverageWidth);
  WidthEnabled = true;
  return ok;
}

void TLineProfileModel::ShowRow(int32_t row) {
  if (!Picture || WorkCopy.Rows <= 0) return;
  row = Clamp(row, 0, WorkCopy.Rows - 1);
  NumberText = std::to_string(row);
  RowNumber = row;
  const double y = static_cast<double>(row) / WorkCopy.Rows * Image1.Height;
  RowMarkY = RoundInt(y);
  RowProfile(WorkCopy, row, Profile);
  DrawProfile();
}

void TLineProfileModel::ShowColumn(int32_t column) {
  if (!Picture || WorkCopy.Columns <= 0) return;
  column = Clamp(column, 0, WorkCopy.Columns - 1);
  NumberText = std::to_string(column);
  ColumnNumber = column;
  ColumnMarkX = RoundInt(static_cast<double>(column) / WorkCopy.Columns * Image1.Width);
  ColumnProfile(WorkCopy, column, Profile);
  DrawProfile();
}

void TLineProfileModel::TakeAnyPointsFromPanels() {
  LineX1 = Panel1Left + 4 - Image1.Left;
  LineY1 = Panel1Top + 4 - Image1.Top;
  LineX2 = Panel2Left + 4 - Image1.Left;
  LineY2 = Panel2Top + 4 - Image1.Top;
  const int32_t C = Picture->Columns;
  const int32_t R = Picture->Rows;
  const float sx = static_cast<float>(C) / static_cast<float>(Image1.Width);
  const float sy = static_cast<float>(R) / static_cast<float>(Image1.Height);
  auto cell = [](int32_t pos, float scale, int32_t count) {
    return Clamp(RoundInt(static_cast<double>(pos) * scale), 0, count - 1);
  };
  AnyPoint1X = cell(LineX1, sx, C);
  AnyPoint1Y = cell(LineY1, sy, R);
  AnyPoint2X = cell(LineX2, sx, C);
  AnyPoint2Y = cell(LineY2, sy, R);
}

void TLineProfileModel::ShowAnyLine() {
  // Without an image or with an image copy of no extent nothing is sampled and the
  // graph stays as it is.
  if (!Picture || Picture->Columns <= 0 || Image1.Width <= 0 || Image1.Height <= 0) return;
  TakeAnyPointsFromPanels();
  AnyLineProfile(*Picture, AnyPoint1X, AnyPoint1Y, AnyPoint2X, AnyPoint2Y, Profile);
  DrawProfile();
}

void TLineProfileModel::ShowAnyLineCells(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (!Picture || Picture->Columns <= 0) return;
  const int32_t C = Picture->Columns;
  const int32_t R = Picture->Rows;
  AnyPoint1X = Clamp(x1, 0, C - 1);
  AnyPoint1Y = Clamp(y1, 0, R - 1);
  AnyPoint2X = Clamp(x2, 0, C - 1);
  AnyPoint2Y = Clamp(y2, 0, R - 1);
  PlaceMarkers();
  LineX1 = Panel1Left + 4 - Image1.Left;
  LineY1 = Panel1Top + 4 - Image1.Top;
  LineX2 = Panel2Left + 4 - Image1.Left;
  LineY2 = Panel2Top + 4 - Image1.Top;
  AnyLineProfile(*Picture, AnyPoint1X, AnyPoint1Y, AnyPoint2X, AnyPoint2Y, Profile);
  DrawProfile();
}

void TLineProfileModel::ShowRadial(float angle) {
  if (!Picture) return;
  Angle = NormalizeAngle(angle);
  NumberText = std::to_string(RoundInt(Angle));
  const double a = static_cast<double>(Angle) / 180 * std::numbers::pi;
  RayX = static_cast<int32_t>(std::trunc((std::cos(a) + 1) * (Image1.Width / 2)));
  RayY = static_cast<int32_t>(std::trunc((1 - std::sin(a)) * (Image1.Height / 2)));
  RadialProfile(WorkCopy, Angle, Profile);
  DrawProfile();
}

bool TLineProfileModel::MarkerOf(int32_t mode, TMarkerLine& line) const {
  switch (mode) {
    case 0:
      line = {0, RowMarkY, Image1.Width, RowMarkY};
      return true;
    case 1:
      line = {ColumnMarkX, 0, ColumnMarkX, Image1.Height};
      return true;
    case 2:
      line = {LineX1, LineY1, LineX2, LineY2};
      return true;
    case 3:
      line = {Image1.Width / 2, Image1.Height / 2, RayX, RayY};
      return true;
    default:
      return false;
  }
}

float TLineProfileModel::AngleAt(int32_t X, int32_t Y, int32_t width, int32_t height) {
  const int32_t dx = X - width / 2;
  const int32_t dy = height / 2 - Y;
  double a = 90;
  if (std::abs(static_cast<double>(dx)) * 10000 > std::abs(dy))
    a = std::atan(std::fabs(static_cast<double>(dy) / dx)) * 180 / std::numbers::pi;
  if (dx < 0 && dy >= 0)
    a = 180 - a;
  else if (dx < 0 && dy < 0)
    a = a + 180;
  else if (dx >= 0 && dy < 0)
    a = 360 - a;
  return static_cast<float>(a);
}

void TLineProfileModel::ImageMouse(int32_t X, int32_t Y) {
  if (!Picture || Image1.Width <= 0 || Image1.Height <= 0) return;
  switch (Mode) {
    case 0:
      ShowRow(
          RoundInt(static_cast<double>(static_cast<int64_t>(Picture->Rows) * Y) / Image1.Height));
      break;
    case 1:
      ShowColumn(
          RoundInt(static_cast<double>(static_cast<int64_t>(Picture->Columns) * X) / Image1.Width));
      break;
    case 3:
      ShowRadial(AngleAt(X, Y, Image1.Width, Image1.Height));
      break;
    default:
      break;
  }
}

bool TLineProfileModel::NumberEntered(const std::string& text) {
  int v = 0;
  if (!ParseInteger(text, v)) return false;
  switch (Mode) {
    case 0:
      ShowRow(v);
      break;
    case 1:
      ShowColumn(v);
      break;
    case 3:
      ShowRadial(static_cast<float>(v));
      break;
    default:
      break;
  }
  return true;
}

bool TLineProfileModel::WidthEntered(const std::string& text, bool& cancelled, Progress* progress) {
  cancelled = false;
  if (!AcceptWidth(text)) {
    WidthText = text;  // the edit keeps the text and shows it red
    return false;
  }
  WidthText = std::to_string(AverageWidth);
  cancelled = !ChangeMode(Mode, WidthText, progress);
  return true;
}

void TLineProfileModel::DragPanel(int32_t panel, int32_t X, int32_t Y) {
  int32_t& left = panel == 1 ? Panel1Left : Panel2Left;
  int32_t& top = panel == 1 ? Panel1Top : Panel2Top;
  const int32_t mx = left + X;
  if (Image1.Left <= mx && mx <= Image1.Left + Image1.Width) left = left + X - 4;
  const int32_t my = top + Y;
  if (Image1.Top <= my && my <= Image1.Top + Image1.Height) top = top + Y - 4;
  ShowAnyLine();
  UpdateHints();
}

void TLineProfileModel::UpdateHints() {
  Panel1Hint =
      "left: x/y [Pixel] : " + std::to_string(AnyPoint1X) + "/" + std::to_string(AnyPoint1Y);
  Panel2Hint =
      "right: x/y [Pixel] : " + std::to_string(AnyPoint2X) + "/" + std::to_string(AnyPoint2Y);
}

void TLineProfileModel::PlaceMarkers() {
  const int32_t C = Picture ? Picture->Columns : 0;
  const int32_t R = Picture ? Picture->Rows : 0;
  auto fail = [&] {
    Panel1Hint.clear();
    Panel2Hint.clear();
    Panel1Left = Panel2Left = Image1.Left;
    Panel1Top = Panel2Top = Image1.Top;
  };
  if (Image1.Width <= 0 || Image1.Height <= 0) return fail();
  float sx = static_cast<float>(C) / static_cast<float>(Image1.Width);
  float sy = static_cast<float>(R) / static_cast<float>(Image1.Height);
  if (sx == 0) sx = 1;
  if (sy == 0) sy = 1;
  if (AnyPoint1X >= C) AnyPoint1X = C - 1;
  if (AnyPoint2X >= C) AnyPoint2X = C - 1;
  if (AnyPoint1Y >= R) AnyPoint1Y = R - 1;
  if (AnyPoint2Y >= R) AnyPoint2Y = R - 1;
  const double p1x = AnyPoint1X / static_cast<double>(sx) + Image1.Left - 4;
  const double p1y = AnyPoint1Y / static_cast<double>(sy) + Image1.Top - 4;
  const double p2x = AnyPoint2X / static_cast<double>(sx) + Image1.Left - 4;
  const double p2y = AnyPoint2Y / static_cast<double>(sy) + Image1.Top - 4;
  if (!Roundable(p1x) || !Roundable(p1y) || !Roundable(p2x) || !Roundable(p2y)) return fail();
  Panel1Left = RoundInt(p1x);
  Panel1Top = RoundInt(p1y);
  Panel2Left = RoundInt(p2x);
  Panel2Top = RoundInt(p2y);
  UpdateHints();
}

void TLineProfileModel::DrawProfile() {
  Cursors.NewProfile();
  Graph = ProfileGraph(Profile, GraphWidth, GraphHeight);
  MaxText = FormatExponent3(Graph.ProfileMax, Separator);
  MinText = FormatExponent3(Graph.ProfileMin, Separator);
  ValueUnit = WithUnit("", Picture ? Picture->ScanPara.PhysUnit : std::string());
  LengthText = FormatGeneral(static_cast<double>(Profile.PointCount()) * Step, Separator);
}

TCursorContext TLineProfileModel::CursorContext(bool stickToGraph) const {
  TCursorContext c;
  c.Profile = &Profile;
  c.GraphWidth = GraphWidth;
  c.ProfileMax = Graph.ProfileMax;
  c.GraphScale = Graph.GraphScale;
  c.StickToGraph = stickToGraph;
  if (Picture) c.Scales = ReadoutScales(Picture->ScanPara, Picture->Columns);
  c.Separator = Separator;
  return c;
}

std::string TLineProfileModel::NumberLabel() const {
  switch (Mode) {
    case 0:
    case 1:
      return "number";
    case 3:
      return "angle";
    default:
      return "";
  }
}

TLineFormLayout LineFormLayout(int32_t clientWidth, int32_t clientHeight, int32_t outerWidth,
                               int32_t labelHeight) {
  TLineFormLayout l;
  l.s = std::min(clientWidth / 2, RoundInt(clientHeight * 0.5));
  if (l.s < 0) l.s = 0;
  l.d = l.s / 10;
  int32_t left = RoundInt(outerWidth * 0.83 - 200);
  if (left + l.s > clientWidth - 8) left = std::max(0, clientWidth - 8 - l.s);
  l.Image1 = {left, l.d, l.s, l.s};
  l.Image2 = {left, l.s + l.s / 5, l.s, clientHeight - 3 * l.d - l.s};
  if (labelHeight > 0) {
    const int32_t room = clientHeight - 2 - labelHeight - l.s / 30 - l.Image2.Top;
    l.Image2.Height = std::max(0, std::min(l.Image2.Height, room));
  }
  l.CheckBoxTop = l.Image2.Top - 21;
  l.CheckBoxLeft = l.Image2.Left + 40;
  l.UnderGraphTop = l.Image2.Top + l.Image2.Height + l.s / 30;
  return l;
}
