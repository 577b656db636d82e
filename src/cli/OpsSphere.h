// The sphere operation of `process --op`: sphere:R:lowpass and sphere:R:highpass, the
// workbench opened in its sphere mode with radius text R (accepted as with Enter),
// the kind chosen, "do" pressed (K times with "*K") and "take over".
#pragma once

#include <string>

#include "cli/Operations.h"

// Reads "R:lowpass" or "R:highpass"; throws CliUsageError("malformed operation: " +
// text) for another kind or a radius that is no number (with a point or a comma).
TCliApply ParseSphereOp(const std::string& args, const std::string& text);
