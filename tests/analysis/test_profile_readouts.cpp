#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/ProfileReadouts.h"
#include "support/TempDir.h"

namespace {

TProfile MakeProfile(const std::vector<int32_t>& x, const std::vector<int32_t>& y,
                     const std::vector<float>& values) {
  TProfile p;
  for (size_t i = 0; i < values.size(); ++i) p.Add(x[i], y[i], values[i]);
  return p;
}

// A row profile of n points: point i at column i, display row 0, value i.
TProfile RampProfile(int n) {
  TProfile p;
  for (int i = 0; i < n; ++i) p.Add(i, 0, static_cast<float>(i));
  return p;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

TEST(ProfileGraph, MaximumAtTheTopMinimumAtTheBottom) {
  const TProfile p = MakeProfile({0, 1, 2}, {0, 0, 0}, {1, 3, 2});
  const TProfileGraph g = ProfileGraph(p, 30, 11);
  EXPECT_EQ(g.ProfileMin, 1.0f);
  EXPECT_EQ(g.ProfileMax, 3.0f);
  EXPECT_EQ(g.GraphScale, 5.0f);  // (11 - 1) / (3 - 1)
  using P = std::pair<int32_t, int32_t>;
  EXPECT_EQ(g.Points, (std::vector<P>{{0, 10}, {10, 0}, {20, 5}}));
  // Equal values: scale 1, a line along the top edge.
  const TProfileGraph flat = ProfileGraph(MakeProfile({0, 1}, {0, 0}, {4, 4}), 10, 11);
  EXPECT_EQ(flat.GraphScale, 1.0f);
  EXPECT_EQ(flat.Points, (std::vector<P>{{0, 0}, {5, 0}}));
  // A value that is no number is left out of range and line.
  const TProfileGraph gap = ProfileGraph(MakeProfile({0, 1, 2}, {0, 0, 0}, {NAN, 2, 0}), 30, 3);
  EXPECT_EQ(gap.ProfileMax, 2.0f);
  EXPECT_EQ(gap.Points, (std::vector<P>{{10, 0}, {20, 2}}));
}

TEST(ProfileGraph, LabelsInThreeDigitExponentForm) {
  EXPECT_EQ(FormatExponent3(123.4, '.'), "1.23E+2");
  EXPECT_EQ(FormatExponent3(0, '.'), "0.00E+0");
  EXPECT_EQ(FormatExponent3(-0.00123, '.'), "-1.23E-3");
  EXPECT_EQ(FormatExponent3(1e10, '.'), "1.00E+10");
  EXPECT_EQ(FormatExponent3(9.999, '.'), "1.00E+1");
  EXPECT_EQ(FormatExponent3(123.4, ','), "1,23E+2");
}

TEST(ProfileReadoutGrid, LabelsCarryUnitsOnlyWhereTheAxesShareThem) {
  TScanPara s;
  s.XPhysUnit = s.YPhysUnit = s.PhysUnit = "nm";
  auto l = ReadoutLabels(s);
  EXPECT_EQ(l[0], "X  [nm]");
  EXPECT_EQ(l[4], "Y  [nm]");
  EXPECT_EQ(l[8], "dZ  [nm]");
  EXPECT_EQ(l[9], "dXY  [nm]");
  EXPECT_EQ(l[10], "dXYZ [nm]");
  s.PhysUnit = "V";
  l = ReadoutLabels(s);
  EXPECT_EQ(l[5], "Z  [V]");
  EXPECT_EQ(l[9], "dXY  [nm]");
  EXPECT_EQ(l[10], "dXYZ");
  s.YPhysUnit = "um";
  l = ReadoutLabels(s);
  EXPECT_EQ(l[9], "dXY");
  EXPECT_EQ(ReadoutCellColour(0, 2), TReadoutColour::Red);
  EXPECT_EQ(ReadoutCellColour(0, 3), TReadoutColour::Lime);
  EXPECT_EQ(ReadoutCellColour(0, 6), TReadoutColour::ButtonFace);
  EXPECT_EQ(ReadoutCellColour(1, 0), TReadoutColour::Window);
}

TEST(ProfileCursors, FirstPressPlacesRedSecondGreenThenDifferences) {
  const TProfile p = RampProfile(10);
  TCursorContext ctx;
  ctx.Profile = &p;
  ctx.GraphWidth = 100;
  ctx.ProfileMax = 9;
  ctx.GraphScale = 10;
  ctx.Scales = {2, 2};
  TProfileCursors c;
  c.NewProfile();
  EXPECT_TRUE(c.NeedsSnapshot());
  c.MouseDown(20);
  EXPECT_FALSE(c.NeedsSnapshot());
  EXPECT_EQ(c.ActiveCursor, 0);
  c.MouseMove(20, 55, ctx);
  EXPECT_EQ(c.Cursor[0].PointIndex, 2);  // Round(20 / 100 * 10)
  EXPECT_EQ(c.Cursor[0].Y, 70);          // on the graph: (9 - 2) * 10
  EXPECT_EQ(c.Values[0], "4.000");       // column 2 at 2 units per cell
  EXPECT_EQ(c.Values[1], "0");
  EXPECT_EQ(c.Values[2], "2.000");
  EXPECT_EQ(c.Values[3], "");
  EXPECT_EQ(c.Values[6], "");

  c.MouseDown(30);  // 10 pixels to the right: the green cursor
  EXPECT_EQ(c.ActiveCursor, 1);
  c.MouseMove(30, 0, ctx);
  EXPECT_EQ(c.Values[3], "6.000");
  EXPECT_EQ(c.Values[5], "3.000");
  EXPECT_EQ(c.Values[6], "2.000");   // dX
  EXPECT_EQ(c.Values[7], "0");       // dY: a row has none
  EXPECT_EQ(c.Values[8], "1.000");   // dZ
  EXPECT_EQ(c.Values[9], "2.000");   // dXY
  EXPECT_EQ(c.Values[10], "2.236");  // sqrt(4 + 0 + 1)

  c.MouseDown(22);  // within 3 pixels of the red cross: picks it up
  EXPECT_EQ(c.ActiveCursor, 0);
  c.MouseDown(60);  // far from both: moves nothing
  EXPECT_EQ(c.ActiveCursor, -1);
  c.MouseMove(60, 0, ctx);
  EXPECT_EQ(c.Cursor[0].X, 20);
  EXPECT_EQ(c.Cursor[1].X, 30);
  EXPECT_EQ(c.Values[6], "2.000");

  // Dragged past the graph's edges the cursor stands on the last and the first point.
  c.MouseDown(31);
  EXPECT_EQ(c.ActiveCursor, 1);
  c.MouseMove(150, 0, ctx);
  EXPECT_EQ(c.Cursor[1].PointIndex, 9);
  c.MouseMove(-40, 0, ctx);
  EXPECT_EQ(c.Cursor[1].PointIndex, 0);
  EXPECT_EQ(c.Values[6], "-4.000");

  // A new profile: the read-outs are cleared and the next press starts with the red one.
  c.NewProfile();
  for (const auto& v : c.Values) EXPECT_EQ(v, "");
  EXPECT_FALSE(c.Drawn(0));
  c.MouseDown(0);
  EXPECT_EQ(c.ActiveCursor, 0);
  EXPECT_FALSE(c.Cursor[1].Active);
}

TEST(ProfileCursors, DifferencesFollowTheRowOrderOfTheProfile) {
  // A line drawn downwards on the image holds falling stored rows: dY is negative.
  const TProfile p = MakeProfile({0, 1, 2, 3}, {5, 4, 3, 2}, {0, 0, 0, 0});
  TCursorContext ctx;
  ctx.Profile = &p;
  ctx.GraphWidth = 40;
  TProfileCursors c;
  c.MouseDown(0);
  c.MouseMove(0, 0, ctx);
  c.MouseDown(30);
  c.MouseMove(30, 0, ctx);
  EXPECT_EQ(c.Values[7], "-3.000");
  EXPECT_EQ(c.Values[9], "4.243");  // sqrt(9 + 9)
}

TEST(ProfileCursors, PositionsUseTheColumnSpacingWhileTheFileUsesThePixelSize) {
  TScanPara s;
  s.XPhysUnit = s.YPhysUnit = "nm";
  s.XScanRange = 1000;
  s.xPixel = 256;
  const TReadoutScales sc = ReadoutScales(s, 256);
  EXPECT_EQ(sc.fx, static_cast<float>(1000.0 / 255));
  EXPECT_EQ(sc.fy, sc.fx);
  const TProfile p = RampProfile(256);
  TCursorContext ctx;
  ctx.Profile = &p;
  ctx.GraphWidth = 256;
  ctx.Scales = sc;
  TProfileCursors c;
  c.MouseDown(255);
  c.MouseMove(255, 0, ctx);
  EXPECT_EQ(c.Values[0], "1000");
  const std::string text = ProfileFileText(p, 1000.0f / 256);
  EXPECT_NE(text.find(" 9.96093750000000E+0002\t 2.55000000000000E+0002\r\n"), std::string::npos);
  s.YPhysUnit = "V";  // units differ: cells
  EXPECT_EQ(ReadoutScales(s, 256).fx, 1.0f);
  TScanPara none;  // a file without units or ranges: cells, not all zero
  EXPECT_EQ(ReadoutScales(none, 512).fx, 1.0f);
  EXPECT_EQ(ReadoutScales(none, 512).fy, 1.0f);
  EXPECT_EQ(CursorPointIndex(5, 0, 10), 0);
  EXPECT_EQ(CrossPenWidth(300, 300), 2);
  EXPECT_EQ(CrossPenWidth(600, 300), 3);
}

TEST(ProfileFile, FixedScientificNumbers) {
  EXPECT_EQ(FormatScientific23(1.5), " 1.50000000000000E+0000");
  EXPECT_EQ(FormatScientific23(0.1f), " 1.00000001490116E-0001");
  EXPECT_EQ(FormatScientific23(-2), "-2.00000000000000E+0000");
  EXPECT_EQ(FormatScientific23(0), " 0.00000000000000E+0000");
  EXPECT_EQ(FormatScientific23(-0.0), " 0.00000000000000E+0000");
  EXPECT_EQ(FormatScientific23(1e30f), " 1.00000001504747E+0030");
  EXPECT_EQ(FormatScientific23(1.4e-45f), " 1.40129846432482E-0045");
  EXPECT_EQ(FormatScientific23(1.5).size(), 23u);
}

TEST(ProfileFile, LinesOfDistanceAndValue) {
  const TProfile p = MakeProfile({0, 1, 2}, {0, 0, 0}, {1, -2, 0});
  EXPECT_EQ(ProfileFileText(p, 0.5f),
            " 0.00000000000000E+0000\t 1.00000000000000E+0000\r\n"
            " 5.00000000000000E-0001\t-2.00000000000000E+0000\r\n"
            " 1.00000000000000E+0000\t 0.00000000000000E+0000\r\n");
  EXPECT_EQ(ProfileClipboardText(p, 0.5f, '.'), "0\t1\r\n0.5\t-2\r\n1\t0");
  EXPECT_EQ(ProfileClipboardText(p, 0.5f, ','), "0\t1\r\n0,5\t-2\r\n1\t0");
  const TProfile tenth = MakeProfile({0}, {0}, {0.1f});
  EXPECT_EQ(ProfileClipboardText(tenth, 1, '.'), "0\t0.100000001490116");
  EXPECT_EQ(ProfileFileText(TProfile{}, 1), "");
}

TEST(ProfileFile, SaveAppendsDatOnlyToNamesWithoutADot) {
  EXPECT_EQ(ProfileSaveName("/data/profile"), "/data/profile.dat");
  EXPECT_EQ(ProfileSaveName("/data/profile.txt"), "/data/profile.txt");
  EXPECT_EQ(ProfileSaveName("/data/run.2/profile"), "/data/run.2/profile");

  TempDir dir;
  const TProfile p = MakeProfile({0, 1}, {0, 0}, {1, 2});
  const TProfileSaveResult r = SaveProfile(dir.Path("profile"), p, 2);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.FileName, dir.Path("profile.dat"));
  EXPECT_EQ(r.Folder, dir.Folder());
  EXPECT_EQ(ReadFile(r.FileName),
            " 0.00000000000000E+0000\t 1.00000000000000E+0000\r\n"
            " 2.00000000000000E+0000\t 2.00000000000000E+0000\r\n");
  // An existing file is overwritten.
  const TProfileSaveResult again = SaveProfile(dir.Path("profile"), MakeProfile({0}, {0}, {5}), 2);
  ASSERT_TRUE(again.Ok);
  EXPECT_EQ(ReadFile(again.FileName), " 0.00000000000000E+0000\t 5.00000000000000E+0000\r\n");
  // A folder that cannot be written to, and an empty name, fail.
  EXPECT_FALSE(SaveProfile(dir.Path("missing/profile"), p, 2).Ok);
  std::filesystem::create_directory(dir.Path("sub.d"));
  EXPECT_FALSE(SaveProfile(dir.Path("sub.d"), p, 2).Ok);  // a folder, not a file
  EXPECT_FALSE(SaveProfile("", p, 2).Ok);
}
