// Rescale dialog: edit states, number texts and the rescaling of a picture.
#include "process/Rescale.h"

#include <cmath>

#include "image/NumberFormat.h"

bool RescaleFactor(const TVKMPicture& picture, double z, long double& factor) {
  if (!picture.HasMatrix()) return false;
  const long double zl = z;
  const long double d =
      static_cast<long double>(picture.Max) - static_cast<long double>(picture.Min);
  // A flat picture has no range to stretch: z / d does not exist, so its values
  // stay rather than turning into infinities or NaNs.
  if (d == 0 || !std::isfinite(d)) return false;
  if (!(std::fabs(zl - d) > zl / 1000)) return false;
  factor = zl / d;
  return true;
}

bool RescaledValuesFinite(const TVKMPicture& picture, long double factor) {
  const float* p = picture.Data();
  const size_t n = picture.ValueCount();
  for (size_t i = 0; i < n; ++i) {
    if (std::isfinite(p[i]) &&
        !std::isfinite(static_cast<float>(static_cast<long double>(p[i]) * factor)))
      return false;
  }
  return true;
}

bool RescalePicture(TVKMPicture& picture, double x, double y, double z, const std::string& xUnit,
                    const std::string& yUnit, const std::string& zUnit) {
  picture.ScanPara.XScanRange = static_cast<float>(x);
  picture.ScanPara.YScanRange = static_cast<float>(y);
  picture.ScanPara.XPhysUnit = xUnit;
  picture.ScanPara.YPhysUnit = yUnit;
  picture.ScanPara.PhysUnit = zUnit;

  long double factor = 1;
  if (!RescaleFactor(picture, z, factor)) return false;
  float* p = picture.Data();
  const size_t n = picture.ValueCount();
  for (size_t i = 0; i < n; ++i) p[i] = static_cast<float>(static_cast<long double>(p[i]) * factor);
  return true;
}

void TAxesModel::FormShow(const TVKMPicture& picture, char sep) {
  Edit1.Text = FormatGeneral(picture.ScanPara.XScanRange, sep);
  Edit2.Text = FormatGeneral(picture.ScanPara.YScanRange, sep);
  const long double d =
      static_cast<long double>(picture.Max) - static_cast<long double>(picture.Min);
  Edit3.Text = FormatGeneral(static_cast<double>(d), sep);
  Edit4 = picture.ScanPara.XPhysUnit;
  Edit5 = picture.ScanPara.YPhysUnit;
  Edit6 = picture.ScanPara.PhysUnit;
}

TAxesOkResult TAxesModel::BitBtn2Click(TVKMPicture* picture, Messages& messages, char sep) {
  if (Edit1.IsRed() || Edit2.IsRed() || Edit3.IsRed()) {
    messages.ShowMessage("Please confirm all values first!");
    return TAxesOkResult::Refused;
  }
  double values[3] = {0, 0, 0};
  TNumberEdit* edits[3] = {&Edit1, &Edit2, &Edit3};
  // Each edit is red while its text is read and turns white when it is a number
  // that a single can hold (the ranges and heights are singles: a range of 1e39
  // would be saved as "INF"); the first that is none stays red and ends OK.
  for (int i = 0; i < 3; ++i) {
    const std::optional<double> v = edits[i]->AcceptSingle(sep);
    if (!v) return TAxesOkResult::ParseFailed;
    values[i] = *v;
  }
  // A z range that would carry any value beyond the single range is no height this
  // picture can have: Z turns red and nothing is written.
  long double factor = 1;
  if (picture && RescaleFactor(*picture, values[2], factor) &&
      !RescaledValuesFinite(*picture, factor)) {
    Edit3.State = TEditState::Red;
    return TAxesOkResult::ParseFailed;
  }
  if (picture) RescalePicture(*picture, values[0], values[1], values[2], Edit4, Edit5, Edit6);
  return TAxesOkResult::Applied;
}
