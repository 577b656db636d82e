// The histogram, FFT and zoom operations of `process --op`: fft, fft:log,
// clip:A-B[,C-D...] and crop:X1,Y1,X2,Y2, each a workbench opened on the image in its
// mode, "do" pressed (K times with "*K"), then "take over".
#pragma once

#include <string>

#include "cli/Operations.h"

// fft (no arguments) or fft:log.
TCliApply ParseFftOp(const std::string& args, const std::string& text);
// clip:A-B[,C-D...]: histogram columns 0..174; a range may run backwards (B < A), as a
// drag from right to left does.
TCliApply ParseClipOp(const std::string& args, const std::string& text);
// crop:X1,Y1,X2,Y2: the zoom square's corners in picture pixels, y from the top.
TCliApply ParseCropOp(const std::string& args, const std::string& text);
