// sphere:R:lowpass|highpass through the workbench model, so the command line computes
// what the viewer's workbench computes for the same radius text.
#include "cli/OpsSphere.h"

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "image/NumberFormat.h"
#include "process/Workbench.h"
#include "process/WorkbenchSphere.h"

namespace {

constexpr int kSphereMode = 9;

}  // namespace

TCliApply ParseSphereOp(const std::string& args, const std::string& text) {
  const size_t colon = args.rfind(':');
  if (colon == std::string::npos) throw CliUsageError("malformed operation: " + text);
  const std::string radius = args.substr(0, colon);
  const std::string kind = args.substr(colon + 1);
  double value = 0;
  // The radius edit reads a point or a comma, whatever the decimal separator.
  if ((kind != "lowpass" && kind != "highpass") || !ParseNumber(radius, value))
    throw CliUsageError("malformed operation: " + text);
  const bool lowpass = kind == "lowpass";
  return [radius, lowpass](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    // Opened as with an empty settings file, the radius typed and Enter pressed, the
    // kind chosen, "do" pressed, "take over".
    TWorkbench w(ctx.Msgs);
    if (!doc.Picture || !w.OpenInMode(*doc.Picture, kSphereMode, TFilterSettings{})) return false;
    w.RadiusEdit.KeyDown();
    w.RadiusEdit.Text = radius;
    if (!SphereAcceptRadiusEdit(w)) {
      ctx.Msgs.Say("sphere: the radius " + radius + " cannot be used");
      return false;
    }
    SphereSelectKind(w, lowpass);
    for (int k = 0; k < repeat; ++k)
      if (w.Do(ctx.Steps) != TDoOutcome::Done) return false;  // its message has been said
    w.TakeOver();
    return true;
  };
}
