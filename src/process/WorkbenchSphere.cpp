// Mode 9 of the workbench: radius edit, run and switch of the sphere filter.
#include "process/WorkbenchSphere.h"

#include <optional>

#include "image/NumberFormat.h"
#include "process/Sphere.h"

bool SphereAcceptRadiusEdit(TWorkbench& w) {
  if (!w.SourcePicture || !w.SourcePicture->HasMatrix()) {
    w.RadiusEdit.State = TEditState::Red;
    return false;
  }
  const TVKMPicture& source = *w.SourcePicture;
  const char sep = w.DecimalSeparator();
  const std::optional<double> typed = w.RadiusEdit.AcceptNumber(sep);
  if (!typed) return false;
  const TSphereRadius accepted = SphereAcceptRadius(*typed, source.Columns, source.ScanPara);
  if (!accepted.Accepted) {
    w.RadiusEdit.State = TEditState::Red;
    return false;
  }
  w.Radius = accepted.r;
  if (accepted.Reduced) w.RadiusEdit.Text = FormatGeneral(accepted.r, sep);
  // A fresh Image1 removes the preview of an earlier radius.
  w.SourcePicture->Render(w.Image1);
  w.RadiusArcPixels = accepted.Pixels < 0 ? -1 : accepted.Pixels;
  w.SphereProgressPosition = 0;
  w.SphereRunFinished = false;
  w.RadiusHint = "Radius=" + w.RadiusEdit.Text + " " + source.ScanPara.XPhysUnit;
  w.StoreSetting(kKeyKugel, w.RadiusEdit.Text);
  return true;
}

void SphereRadioClick(TWorkbench& w) {
  // Only a result the filter has finished since the last reset is switched. A flag of
  // its own, not the progress position alone: on a picture of one row the position's
  // maximum is 0, the position after opening, and the unfiltered working copy would be
  // taken for a result. And only towards the other kind: a click on the button already
  // chosen must not turn the result into the kind the buttons do not show.
  if (!w.SphereRunFinished || w.LowpassRadio == w.SphereShownLowpass) return;
  if (!w.WorkPicture || !w.SourcePicture) return;
  SphereSwitch(*w.SourcePicture, *w.WorkPicture);
  w.SphereShownLowpass = w.LowpassRadio;
  w.RenderWork();
}

bool SphereSelectKind(TWorkbench& w, bool lowpass) {
  const bool switches = w.SphereRunFinished && lowpass != w.SphereShownLowpass;
  w.LowpassRadio = lowpass;
  SphereRadioClick(w);
  return switches;
}

void SphereEditEnter(TWorkbench& w) {
  SphereAcceptRadiusEdit(w);
}

void OpenSphere(TWorkbench& w) {
  w.SphereRunFinished = false;
  SphereAcceptRadiusEdit(w);
}

TDoOutcome DoSphere(TWorkbench& w, Progress& progress) {
  if (w.RadiusEdit.IsSilver()) SphereAcceptRadiusEdit(w);
  if (!w.RadiusEdit.IsWhite()) return TDoOutcome::Refused;  // a red radius runs nothing
  const TSphereRun run =
      SphereFilter(*w.SourcePicture, *w.WorkPicture, w.Radius, w.LowpassRadio, progress, w.Msgs());
  if (run != TSphereRun::Done) return TDoOutcome::Refused;
  w.SphereProgressPosition = w.SphereProgressMax;
  w.SphereRunFinished = true;
  w.SphereShownLowpass = w.LowpassRadio;
  return TDoOutcome::Done;
}

void UndoSphere(TWorkbench& w) {
  w.SphereProgressPosition = 0;
  w.SphereRunFinished = false;
}
