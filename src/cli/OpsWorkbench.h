// The workbench operations of `process --op`: each opens the processing workbench on
// the image in its mode, sets the mode's controls, presses "do" K times and "take over",
// exactly as a user of the viewer would.
#pragma once

#include <functional>
#include <string>

#include "cli/Operations.h"

class TWorkbench;

// What a user does to the workbench's controls before press number `press` (0-based) of
// "do": choose list items, type a text, mark points.
using TWorkbenchControls = std::function<void(TWorkbench& w, int press)>;

// Runs one workbench on the image: opened in `mode` (with the settings of an empty
// settings file), `setControls` before every press of "do", `repeat` presses, then
// "take over". False when the workbench could not open or the last press was refused
// (its message has been said).
bool RunWorkbenchOp(TImageDoc& doc, int mode, const TWorkbenchControls& setControls, int repeat,
                    TCliOpContext& ctx);

// level:lines:N, level:cols:N (N 0..2), level:2dim:N (N 0..1), level:points:C,R;C,R;...
TCliApply ParseLevelOp(const std::string& args, const std::string& text);
// filter:lowpass, filter:highpass, filter:laplace, filter:beleuchtung
TCliApply ParseFilterOp(const std::string& args, const std::string& text);
// badpoints:P with P the "% of z-axes" (a number, with a point or a comma)
TCliApply ParseBadPointsOp(const std::string& args, const std::string& text);
