// level, filter and badpoints: the leveling, simple filter and noise workbenches run
// through the same model the viewer's workbench window runs.
#include "cli/OpsWorkbench.h"

#include <vector>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "image/NumberFormat.h"
#include "process/NeighbourFilters.h"
#include "process/Workbench.h"

namespace {

// The modes of the three commands.
constexpr int kModeLowPass = 0;
constexpr int kModeNoise = 4;
constexpr int kModeSlop = 7;

// A matrix index of the command line: at most 6 digits (pictures are far smaller).
bool ReadIndex(const std::string& s, int& v) {
  if (!AllDigits(s) || s.size() > 6) return false;
  v = std::stoi(s);
  return true;
}

TCliApply LevelWith(int method, int order) {
  return [method, order](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbenchOp(
        doc, kModeSlop,
        [method, order](TWorkbench& w, int) {
          w.ComboSlop = method;
          w.ComboSlopOrder = order;
        },
        repeat, ctx);
  };
}

// level:points:C1,R1;C2,R2;...: the points as matrix column and row (row 0 at the
// bottom). A repeated press marks them again first, as a user clicks them again for a
// second point leveling (the leveling forgets its points once it has run).
TCliApply LevelPoints(const std::string& list, const std::string& text) {
  std::vector<TSlopPoint> points;
  for (const std::string& pair : SplitArgs(list, ';')) {
    const std::vector<std::string> cr = SplitArgs(pair, ',');
    TSlopPoint p;
    if (cr.size() != 2 || !ReadIndex(cr[0], p.Column) || !ReadIndex(cr[1], p.Row))
      MalformedOperation(text);
    points.push_back(p);
  }
  if (points.empty() || points.size() > static_cast<size_t>(kMaxSlopPoints))
    MalformedOperation(text);
  return [points](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    const TVKMPicture& pic = *doc.Picture;
    for (const TSlopPoint& p : points)
      if (p.Column >= pic.Columns || p.Row >= pic.Rows) {
        ctx.Msgs.Say("level: point " + std::to_string(p.Column) + "," + std::to_string(p.Row) +
                     " lies outside the image (" + std::to_string(pic.Columns) + " columns, " +
                     std::to_string(pic.Rows) + " rows)");
        return false;
      }
    return RunWorkbenchOp(
        doc, kModeSlop,
        [&points](TWorkbench& w, int) {
          w.ComboSlop = smPoints;
          w.ComboSlopOrder = soFirst;
          w.PointCount = static_cast<int>(points.size());
          for (size_t i = 0; i < points.size(); ++i) w.Points[i] = points[i];
        },
        repeat, ctx);
  };
}

}  // namespace

bool RunWorkbenchOp(TImageDoc& doc, int mode, const TWorkbenchControls& setControls, int repeat,
                    TCliOpContext& ctx) {
  TWorkbench w(ctx.Msgs);
  if (!doc.Picture || !w.OpenInMode(*doc.Picture, mode, TFilterSettings{})) return false;
  TDoOutcome outcome = TDoOutcome::Done;
  for (int k = 0; k < repeat; ++k) {
    setControls(w, k);
    outcome = w.Do(ctx.Steps);
  }
  w.TakeOver();
  return outcome != TDoOutcome::Refused;
}

TCliApply ParseLevelOp(const std::string& args, const std::string& text) {
  const size_t colon = args.find(':');
  if (colon == std::string::npos) MalformedOperation(text);
  const std::string method = args.substr(0, colon);
  const std::string rest = args.substr(colon + 1);
  if (method == "points") return LevelPoints(rest, text);
  // The orders a method has: "2Dim" has no parabola.
  int m = -1, maxOrder = 2;
  if (method == "lines") {
    m = smLines;
  } else if (method == "cols") {
    m = smCols;
  } else if (method == "2dim") {
    m = sm2Dim;
    maxOrder = 1;
  } else {
    MalformedOperation(text);
  }
  if (rest.size() != 1 || rest[0] < '0' || rest[0] > '0' + maxOrder) MalformedOperation(text);
  return LevelWith(m, rest[0] - '0');
}

TCliApply ParseFilterOp(const std::string& args, const std::string& text) {
  static const char* const kNames[kFilterKernelCount] = {"lowpass", "highpass", "laplace",
                                                         "beleuchtung"};
  for (int k = 0; k < kFilterKernelCount; ++k)
    if (args == kNames[k])
      return [k](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
        return RunWorkbenchOp(
            doc, kModeLowPass, [k](TWorkbench& w, int) { w.ComboBox1 = k; }, repeat, ctx);
      };
  MalformedOperation(text);
}

// The number goes into "% of z-axes" as written; the workbench reads it (a point or a
// comma, whatever the decimal separator) and shows it back in the general number format.
// A text that is not a number, which the window would take as 0, is refused here: in
// a script it is a mistake, not a wish for the smallest threshold.
TCliApply ParseBadPointsOp(const std::string& args, const std::string& text) {
  double p = 0;
  if (args.empty() || !ParseNumber(args, p, '.')) MalformedOperation(text);
  return [args](TImageDoc& doc, int repeat, TCliOpContext& ctx) {
    return RunWorkbenchOp(
        doc, kModeNoise,
        [&args](TWorkbench& w, int press) {
          // Typed once; a further press reads the text the first one showed back.
          if (press == 0) w.Edit2 = args;
        },
        repeat, ctx);
  };
}
