// Parsing and running the profile and 3D outputs of the command line.
#include "cli/ProfileOutputs.h"

#include <cmath>
#include <vector>

#include "cli/Operations.h"
#include "image/NumberEdit.h"
#include "image/NumberFormat.h"

namespace {

// An integer without blanks (the edits allow blanks; a command line has none).
bool Integer(const std::string& s, int& v) {
  return !s.empty() && s.find(' ') == std::string::npos && ParseInteger(s, v);
}

}  // namespace

std::optional<TProfileChoice> ParseProfileChoice(const std::string& text) {
  const std::vector<std::string> parts = SplitArgs(text, ':');
  if (parts.size() < 2) return std::nullopt;
  TProfileChoice choice;
  const std::string& kind = parts[0];
  if (kind == "any") {
    const std::vector<std::string> p = SplitArgs(parts[1], ',');
    if (parts.size() != 2 || p.size() != 4) return std::nullopt;
    choice.Mode = TProfileMode::AnyLine;
    for (size_t i = 0; i < 4; ++i)
      if (!Integer(p[i], choice.Points[i])) return std::nullopt;
    return choice;
  }
  if (parts.size() > 3) return std::nullopt;
  if (parts.size() == 3 && (!Integer(parts[2], choice.Width) || choice.Width < 1))
    return std::nullopt;
  if (kind == "row" || kind == "col") {
    choice.Mode = kind == "row" ? TProfileMode::Row : TProfileMode::Column;
    if (!Integer(parts[1], choice.Number)) return std::nullopt;
    return choice;
  }
  if (kind == "radial") {
    choice.Mode = TProfileMode::Radial;
    double angle = 0;
    if (parts[1].find(' ') != std::string::npos || !ParseNumber(parts[1], angle, '.') ||
        !std::isfinite(angle) || std::fabs(angle) > 1e9)
      return std::nullopt;
    choice.Angle = static_cast<float>(angle);
    return choice;
  }
  return std::nullopt;
}

std::optional<TReliefChoice> ParseReliefChoice(const std::string& text) {
  const std::vector<std::string> parts = SplitArgs(text, ',');
  int g = 0, s = 0;
  if (parts.size() != 2 || !Integer(parts[0], g) || !Integer(parts[1], s)) return std::nullopt;
  return TReliefChoice{parts[0], parts[1]};
}

void RunProfileChoice(const TProfileChoice& choice, const TVKMPicture& picture, char sep,
                      TLineProfileModel& model, Progress* progress) {
  model.Separator = sep;
  const int mode = static_cast<int>(choice.Mode);
  model.Create(mode, choice.Mode == TProfileMode::AnyLine ? 1 : choice.Width,
               std::to_string(choice.Number));
  // An image copy of one pixel per cell; it only places the markers.
  model.Image1 = {0, 0, picture.Columns, picture.Rows};
  model.GraphWidth = picture.Columns;
  model.GraphHeight = picture.Rows;
  model.SetPicture(&picture, progress);
  switch (choice.Mode) {
    case TProfileMode::AnyLine:
      model.ShowAnyLineCells(choice.Points[0], choice.Points[1], choice.Points[2],
                             choice.Points[3]);
      break;
    case TProfileMode::Radial:
      model.ShowRadial(choice.Angle);
      break;
    case TProfileMode::Row:
    case TProfileMode::Column:
      break;  // SetPicture showed the row or column of the number
  }
}
