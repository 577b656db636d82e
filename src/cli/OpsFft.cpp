// fft, clip and crop: the workbench's FFT, histogram and zoom modes.
#include "cli/OpsFft.h"

#include <utility>
#include <vector>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "process/Histogram.h"
#include "process/Workbench.h"
#include "process/WorkbenchFft.h"

namespace {

[[noreturn]] void Malformed(const std::string& text) {
  throw CliUsageError("malformed operation: " + text);
}

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(by, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// A whole number of at most `digits` digits, with a leading '-' where allowed.
bool ReadInt(const std::string& s, bool negative, int digits, int& value) {
  const bool minus = negative && !s.empty() && s[0] == '-';
  const std::string d = minus ? s.substr(1) : s;
  if (!AllDigits(d) || static_cast<int>(d.size()) > digits) return false;
  value = minus ? -std::stoi(d) : std::stoi(d);
  return true;
}

}  // namespace

bool RunWorkbench(TImageDoc& doc, int mode, int repeat, TCliOpContext& ctx,
                  const std::function<void(TWorkbench&)>& prepare) {
  TWorkbench w(ctx.Msgs);
  if (!w.OpenInMode(*doc.Picture, mode, TFilterSettings{})) return false;
  prepare(w);
  for (int press = 0; press < repeat; ++press) {
    const TDoOutcome outcome = w.Do(ctx.Steps);
    if (outcome == TDoOutcome::Refused) return false;
    if (outcome == TDoOutcome::NotRendered && mode == kZoomMode) {
      // The viewer just does nothing here; a script is told why its crop did not happen.
      ctx.Msgs.Say("the square " + std::to_string(w.ZoomX1) + "," + std::to_string(w.ZoomY1) + "," +
                   std::to_string(w.ZoomX2) + "," + std::to_string(w.ZoomY2) +
                   " holds no pixel of the image; nothing cropped");
      return false;
    }
  }
  w.TakeOver();
  return true;
}

TCliApply ParseFftOp(const std::string& args, const std::string& text) {
  // "fft:" with nothing after the colon is no form of the operation.
  if (args.empty() ? text.rfind("fft:", 0) == 0 : args != "log") Malformed(text);
  const bool log = args == "log";
  return [log](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbench(doc, kFftMode, repeat, ctx, [log](TWorkbench& w) { w.CheckBoxLog = log; });
  };
}

TCliApply ParseClipOp(const std::string& args, const std::string& text) {
  std::vector<std::pair<int, int>> ranges;
  for (const std::string& range : Split(args, ',')) {
    const std::vector<std::string> ends = Split(range, '-');
    int a = 0, b = 0;
    if (ends.size() != 2 || !ReadInt(ends[0], false, 3, a) || !ReadInt(ends[1], false, 3, b) ||
        a >= kHistogramBins || b >= kHistogramBins)
      Malformed(text);
    ranges.emplace_back(a, b);
  }
  return [ranges](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbench(doc, kHistogramMode, repeat, ctx, [&ranges](TWorkbench& w) {
      // Each range is one drag over the histogram: pressed at A, released at B.
      for (const auto& [a, b] : ranges) {
        HistogramMouseDown(w.Histogram, a);
        HistogramMouseUp(w.Histogram, b);
      }
    });
  };
}

TCliApply ParseCropOp(const std::string& args, const std::string& text) {
  const std::vector<std::string> fields = Split(args, ',');
  int c[4];
  if (fields.size() != 4) Malformed(text);
  for (int i = 0; i < 4; ++i)
    if (!ReadInt(fields[static_cast<size_t>(i)], true, 6, c[i])) Malformed(text);
  const TZoomSquare z{c[0], c[1], c[2], c[3]};
  return [z](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbench(doc, kZoomMode, repeat, ctx, [z](TWorkbench& w) { SetZoomSquare(w, z); });
  };
}
