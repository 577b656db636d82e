// Mode 9 of the workbench, the sphere filter: the radius typed into its edit and
// accepted with Enter (limited to a quarter of the width and previewed as a half
// circle on Image1), the run on the source's values, and switching a finished result
// between the smooth part and the detail part without running again.
#pragma once

#include <cstdint>

#include "image/Progress.h"
#include "process/Workbench.h"

// Enter in the radius edit; also on opening and by "do" for an edited text. The text
// is read as a number in the window's decimal separator (or a point); a radius above
// a quarter of the width is reduced and the edit shows the reduced value. Accepting
// renders the source into Image1 afresh with the preview's radius in pixels in
// RadiusArcPixels (a negative radius has none to draw), makes
// a finished result no longer switchable, turns the edit white, gives it its hint
// and stores the text under "Kugel". A text that is no number, or a radius that has
// no pixel count, turns the edit red and changes nothing else. True when accepted.
bool SphereAcceptRadiusEdit(TWorkbench& w);

// A click on "Lowpass" or "Highpass" (LowpassRadio holds the choice). When a finished
// result is shown and the choice is the other kind, every working value v becomes
// source - v and Image2 is rendered. Otherwise only the next run's kind changes; a click
// on the kind already shown changes nothing.
void SphereRadioClick(TWorkbench& w);

// Choosing "Lowpass" (true) or "Highpass" (false) as a click does. True when the shown
// result was switched.
bool SphereSelectKind(TWorkbench& w, bool lowpass);

// The mode table's hooks.
void OpenSphere(TWorkbench& w);
TDoOutcome DoSphere(TWorkbench& w, Progress& progress);
void UndoSphere(TWorkbench& w);
void SphereEditEnter(TWorkbench& w);  // SphereAcceptRadiusEdit
