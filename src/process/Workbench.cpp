// The workbench model: the mode table and the four buttons.
#include "process/Workbench.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/NumberFormat.h"
#include "process/NeighbourFilters.h"
#include "process/WorkbenchFft.h"
#include "process/WorkbenchSphere.h"

namespace {

// --- modes 0..3: the 3x3 filters ----------------------------------------------------------

TDoOutcome DoFilter(TWorkbench& w, Progress&) {
  // The filter list may show no item (an index outside the list, as a settings file may
  // hold): there is no filter to run, the beep says so, and the mode stays a filter mode
  // so that the next "do" with an item chosen runs it.
  const int index = w.ComboBox1;
  if (index < 0 || index >= kFilterKernelCount) {
    w.Msgs().Beep();
    return TDoOutcome::Refused;
  }
  w.Mode = index;
  Filter3x3(*w.WorkPicture, index);
  return TDoOutcome::Done;
}

// --- mode 4: bad points ------------------------------------------------------------------

TDoOutcome DoBadPoints(TWorkbench& w, Progress&) {
  const char sep = w.DecimalSeparator();
  double percent = 0;
  if (!ParseNumber(w.Edit2, percent, sep)) percent = 0;  // not a number counts as 0
  w.Edit2 = FormatGeneral(percent, sep);
  // The threshold the user has just used is kept for the next workbench.
  w.StoreSetting(kKeyEdit2, w.Edit2);
  const float t = BadPointThreshold(w.SourcePicture->Min, w.SourcePicture->Max, percent);
  RemoveBadPoints(*w.WorkPicture, t);
  return TDoOutcome::Done;
}

// --- mode 7: leveling ----------------------------------------------------------------------

void OpenLeveling(TWorkbench& w) {
  w.PointCount = 0;
}

TDoOutcome DoLeveling(TWorkbench& w, Progress&) {
  const TLevelResult r = Leveling(*w.WorkPicture, w.ComboSlop, w.ComboSlopOrder, w.Points.data(),
                                  w.PointCount, w.Msgs());
  return r == TLevelResult::NotSupported || r == TLevelResult::NotEnoughPoints ? TDoOutcome::Refused
                                                                               : TDoOutcome::Done;
}

// The modes; the histogram (5), FFT (6) and zoom (8) steps are in WorkbenchFft, the
// sphere (9) steps in WorkbenchSphere. See Workbench.h for the columns.
const TWorkbenchMode kModes[] = {
    {0, "LowPass of ", TFilterPanel::Panel3, TImage2Mouse::None, nullptr, nullptr, DoFilter,
     nullptr, nullptr, nullptr, nullptr},
    {1, nullptr, TFilterPanel::Panel3, TImage2Mouse::None, nullptr, nullptr, DoFilter, nullptr,
     nullptr, nullptr, nullptr},
    {2, nullptr, TFilterPanel::Panel3, TImage2Mouse::None, nullptr, nullptr, DoFilter, nullptr,
     nullptr, nullptr, nullptr},
    {3, nullptr, TFilterPanel::Panel3, TImage2Mouse::None, nullptr, nullptr, DoFilter, nullptr,
     nullptr, nullptr, nullptr},
    {4, "Bad points removal of ", TFilterPanel::Panel2, TImage2Mouse::None, kKeyEdit2, nullptr,
     DoBadPoints, nullptr, nullptr, nullptr, nullptr},
    {5, "Histogram of ", TFilterPanel::Panel4, TImage2Mouse::None, nullptr, OpenHistogram,
     DoHistogram, UndoHistogram, nullptr, nullptr, nullptr},
    {6, "FFT of ", TFilterPanel::Panel5, TImage2Mouse::None, nullptr, nullptr, DoFft, nullptr,
     nullptr, nullptr, nullptr},
    {7, "Slop of ", TFilterPanel::Panel6, TImage2Mouse::Slop3D, nullptr, OpenLeveling, DoLeveling,
     nullptr, nullptr, nullptr, nullptr},
    {8, "Zoom of ", TFilterPanel::Panel7, TImage2Mouse::Zoom, nullptr, nullptr, DoZoom, nullptr,
     TakeOverZoom, nullptr, nullptr},
    {9, "Spherefilter ", TFilterPanel::Panel7, TImage2Mouse::None, kKeyKugel, OpenSphere, DoSphere,
     UndoSphere, nullptr, SphereEditEnter, SphereRadioClick},
};

}  // namespace

const TWorkbenchMode* FindWorkbenchMode(int mode) {
  for (const TWorkbenchMode& row : kModes)
    if (row.Mode == mode) return &row;
  return nullptr;
}

std::string WorkbenchCaption(int mode, const std::string& imageCaption) {
  const TWorkbenchMode* row = FindWorkbenchMode(mode);
  return (row && row->CaptionPrefix ? row->CaptionPrefix : "") + imageCaption;
}

bool TWorkbench::OpenInMode(TVKMPicture& source, int mode, const TFilterSettings& settings) {
  SourcePicture = &source;
  WorkPicture = std::make_unique<TVKMPicture>(&messages_);
  if (!source.HasMatrix()) return false;
  WorkPicture->SetSize(source.Columns, source.Rows);
  if (!WorkPicture->HasMatrix()) return false;
  std::memcpy(WorkPicture->Data(), source.Data(), source.ValueCount() * sizeof(float));
  WorkPicture->Transformed = source.Transformed;
  Image1 = source.Bitmap;
  Image2 = source.Bitmap;
  ComboBox1 = settings.ComboBox1;
  ComboSlop = settings.ComboSlop;
  ComboSlopOrder = settings.ComboSlopOrder;
  Mode = mode;
  const TWorkbenchMode* row = ModeRow();
  if (!row) {
    messages_.Beep();
    return true;
  }
  const std::string key = row->SettingsKey ? row->SettingsKey : "";
  if (key == kKeyEdit2) Edit2 = settings.Edit2;
  if (key == kKeyKugel) {
    // The sphere's radius edit and its progress, which runs over the rows.
    RadiusEdit.Text = settings.Kugel;
    SphereProgressMax = WorkPicture->Rows - 1;
    SphereProgressPosition = 0;
    LowpassRadio = true;
  }
  if (row->Open) row->Open(*this);
  return true;
}

TDoOutcome TWorkbench::Do(Progress& progress) {
  if (!WorkPicture || !SourcePicture) return TDoOutcome::NotRendered;
  const TWorkbenchMode* row = ModeRow();
  TDoOutcome outcome = TDoOutcome::Refused;
  if (row && row->Do && WorkPicture->HasMatrix()) {
    outcome = row->Do(*this, progress);
  } else {
    messages_.Beep();
  }
  if (outcome == TDoOutcome::DoneAndRendered) return TDoOutcome::Done;
  if (outcome != TDoOutcome::NotRendered) RenderWork();
  return outcome;
}

void TWorkbench::Undo() {
  if (!WorkPicture || !SourcePicture || !SourcePicture->HasMatrix()) return;
  WorkPicture->SetSize(SourcePicture->Columns, SourcePicture->Rows);  // clears Transformed
  if (WorkPicture->HasMatrix())
    std::memcpy(WorkPicture->Data(), SourcePicture->Data(),
                SourcePicture->ValueCount() * sizeof(float));
  SourcePicture->Render(Image1);
  RadiusArcPixels = -1;
  Image2 = Image1;
  const TWorkbenchMode* row = ModeRow();
  if (row && row->Undo) row->Undo(*this);
  PointCount = 0;
}

void TWorkbench::RadiusEditEnter() {
  const TWorkbenchMode* row = ModeRow();
  if (row && row->EditEnter && WorkPicture && SourcePicture) row->EditEnter(*this);
}

void TWorkbench::RadioButton1Click() {
  const TWorkbenchMode* row = ModeRow();
  if (row && row->RadioClick && WorkPicture && SourcePicture) row->RadioClick(*this);
}

void TWorkbench::TakeOver() {
  if (!WorkPicture || !SourcePicture || !WorkPicture->HasMatrix()) return;
  const TWorkbenchMode* row = ModeRow();
  if (row && row->TakeOver) {
    row->TakeOver(*this);
    return;
  }
  // Every other mode keeps the size; a working copy of another size is not written.
  if (WorkPicture->Columns == SourcePicture->Columns && WorkPicture->Rows == SourcePicture->Rows)
    std::memcpy(SourcePicture->Data(), WorkPicture->Data(),
                WorkPicture->ValueCount() * sizeof(float));
}

TPicturePixel TWorkbench::PicturePixel(int x, int y, int controlWidth, int controlHeight) const {
  TPicturePixel px;
  if (controlWidth > 0)
    px.X = static_cast<int32_t>(
        std::nearbyint(static_cast<long double>(Image2.Width) * x / controlWidth));
  if (controlHeight > 0)
    px.Y = static_cast<int32_t>(
        std::nearbyint(static_cast<long double>(Image2.Height) * y / controlHeight));
  return px;
}

bool TWorkbench::MarkPoint(TPicturePixel pixel, TPicturePixel& markAt) {
  const TWorkbenchMode* row = ModeRow();
  if (!row || row->Image2Mouse != TImage2Mouse::Slop3D) return false;
  if (ComboSlop != smPoints || PointCount >= kMaxSlopPoints) return false;
  if (Image2.Width <= 0 || Image2.Height <= 0 || !WorkPicture || !WorkPicture->HasMatrix())
    return false;
  // Rounding puts the right half of the last column and the bottom half of the last
  // line one past the picture; the pointer is on the last pixel there.
  markAt.X = std::clamp(pixel.X, 0, Image2.Width - 1);
  markAt.Y = std::clamp(pixel.Y, 0, Image2.Height - 1);
  const int32_t column = std::min(markAt.X, WorkPicture->Columns - 1);
  const int32_t rowIndex = std::clamp(Image2.Height - 1 - markAt.Y, 0, WorkPicture->Rows - 1);
  Points[PointCount++] = {column, rowIndex};
  return true;
}

std::vector<std::pair<std::string, std::string>> TWorkbench::TakeSettingsToStore() {
  return std::exchange(settingsToStore_, {});
}

void TWorkbench::StoreSetting(const std::string& key, const std::string& text) {
  settingsToStore_.emplace_back(key, text);
}

void TWorkbench::RenderWork() {
  if (WorkPicture && WorkPicture->HasMatrix()) WorkPicture->Render(Image2);
}

TFilterLayout FilterFormLayout(int clientWidth, int clientHeight, int panel1Height) {
  constexpr int K = kFilterColumn;
  TFilterLayout l;
  l.Panel1 = {0, clientHeight - panel1Height, K, panel1Height};
  l.Image1 = {0, 0, K, K};
  l.ModePanel = {0, l.Image1.Height + 2, K, std::max(0, l.Panel1.Top - l.Image1.Height - 4)};
  l.Image3 = {5, 5, kHistogramImageWidth, std::max(0, l.ModePanel.Height - 30)};
  const int s = std::max(0, std::min(static_cast<int>(std::nearbyint((clientWidth - K) * 0.9)),
                                     static_cast<int>(std::nearbyint(clientHeight * 0.9))));
  l.Image2 = {(clientWidth - K - s) / 2 + K, (clientHeight - s) / 2, s, s};
  return l;
}
