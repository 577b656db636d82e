// fft, clip and crop: the workbench's FFT, histogram and zoom modes.
#include "cli/OpsFft.h"

#include <utility>
#include <vector>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/OpsWorkbench.h"
#include "process/Histogram.h"
#include "process/Workbench.h"
#include "process/WorkbenchFft.h"

namespace {

// A whole number of at most `digits` digits, with a leading '-' where allowed.
bool ReadInt(const std::string& s, bool negative, int digits, int& value) {
  const bool minus = negative && !s.empty() && s[0] == '-';
  const std::string d = minus ? s.substr(1) : s;
  if (!AllDigits(d) || static_cast<int>(d.size()) > digits) return false;
  value = minus ? -std::stoi(d) : std::stoi(d);
  return true;
}

}  // namespace

TCliApply ParseFftOp(const std::string& args, const std::string& text) {
  // "fft:" with nothing after the colon is no form of the operation.
  if (args.empty() ? text.rfind("fft:", 0) == 0 : args != "log") MalformedOperation(text);
  const bool log = args == "log";
  return [log](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbenchOp(
        doc, kFftMode, [log](TWorkbench& w, int) { w.CheckBoxLog = log; }, repeat, ctx);
  };
}

TCliApply ParseClipOp(const std::string& args, const std::string& text) {
  std::vector<std::pair<int, int>> ranges;
  for (const std::string& range : SplitArgs(args, ',')) {
    const std::vector<std::string> ends = SplitArgs(range, '-');
    int a = 0, b = 0;
    if (ends.size() != 2 || !ReadInt(ends[0], false, 3, a) || !ReadInt(ends[1], false, 3, b) ||
        a >= kHistogramBins || b >= kHistogramBins)
      MalformedOperation(text);
    ranges.emplace_back(a, b);
  }
  return [ranges](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    const auto mark = [&ranges](TWorkbench& w, int press) {
      // Each range is one drag over the histogram, pressed at A and released at B, before
      // the first "do"; later presses find the histogram counted again without marks.
      if (press > 0) return;
      for (const auto& [a, b] : ranges) {
        HistogramMouseDown(w.Histogram, a);
        HistogramMouseUp(w.Histogram, b);
      }
    };
    return RunWorkbenchOp(doc, kHistogramMode, mark, repeat, ctx);
  };
}

TCliApply ParseCropOp(const std::string& args, const std::string& text) {
  const std::vector<std::string> fields = SplitArgs(args, ',');
  int c[4];
  if (fields.size() != 4) MalformedOperation(text);
  for (int i = 0; i < 4; ++i)
    if (!ReadInt(fields[static_cast<size_t>(i)], true, 6, c[i])) MalformedOperation(text);
  const TZoomSquare z{c[0], c[1], c[2], c[3]};
  return [z](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    // The viewer just does nothing with such a square; a script is told that its crop
    // did not happen.
    if (ZoomCropArea(z, doc.Picture->Columns, doc.Picture->Rows).Empty()) {
      ctx.Msgs.Say("the square " + std::to_string(z.ZoomX1) + "," + std::to_string(z.ZoomY1) + "," +
                   std::to_string(z.ZoomX2) + "," + std::to_string(z.ZoomY2) +
                   " holds no pixel of the image; nothing cropped");
      return false;
    }
    return RunWorkbenchOp(
        doc, kZoomMode,
        [z](TWorkbench& w, int press) {
          if (press == 0) SetZoomSquare(w, z);
        },
        repeat, ctx);
  };
}
