#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "image/TVKMPicture.h"
#include "support/RecordingMessages.h"

TEST(TVKMPicture, CreateIsEmpty) {
  TVKMPicture p;
  EXPECT_EQ(p.Rows, 0);
  EXPECT_EQ(p.Columns, 0);
  EXPECT_FALSE(p.HasMatrix());
  EXPECT_TRUE(p.RowTable.empty());
  EXPECT_FALSE(p.Transformed);
  EXPECT_EQ(p.ScanPara.PhysUnit, "");
  EXPECT_EQ(p.ScanPara.Scale, 0.0f);
  EXPECT_EQ(p.ColourTable.palVersion, 0x300);
  EXPECT_EQ(p.ColourTable.palNumEntries, 256);
}

TEST(TVKMPicture, SetSizeGivesZeroFilledContiguousRows) {
  RecordingMessages m;
  TVKMPicture p(&m);
  p.SetSize(3, 2);
  ASSERT_TRUE(p.HasMatrix());
  EXPECT_EQ(p.Columns, 3);
  EXPECT_EQ(p.Rows, 2);
  ASSERT_EQ(p.RowTable.size(), 2u);
  EXPECT_EQ(reinterpret_cast<char*>(p.RowTable[1]) - reinterpret_cast<char*>(p.RowTable[0]), 12);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(p.RowTable[r][c], 0.0f);
  EXPECT_EQ(p.Bitmap.Width, 3);
  EXPECT_EQ(p.Bitmap.Height, 2);
  EXPECT_TRUE(m.shown.empty());
}

TEST(TVKMPicture, SecondSetSizeDiscardsValuesAndClearsTransformed) {
  TVKMPicture p;
  p.SetSize(4, 4);
  p.RowTable[2][3] = 7;
  p.Transformed = true;
  p.SetSize(4, 4);
  EXPECT_EQ(p.RowTable[2][3], 0.0f);
  EXPECT_FALSE(p.Transformed);
}

TEST(TVKMPicture, ZeroColumnsIsValidAndReadsZero) {
  RecordingMessages m;
  TVKMPicture p(&m);
  p.SetSize(0, 5);
  EXPECT_TRUE(p.HasMatrix());
  EXPECT_EQ(p.Rows, 5);
  EXPECT_TRUE(m.shown.empty());
  p.ComputeMinMax();
  EXPECT_EQ(p.Min, 0.0f);
  EXPECT_EQ(p.Max, 0.0f);
}

TEST(TVKMPicture, FailedSetSizeLeavesConsistentEmptyPicture) {
  RecordingMessages m;
  TVKMPicture p(&m);
  p.SetSize(10, 10);
  p.SetSize(5, 0);
  ASSERT_EQ(m.Texts(), std::vector<std::string>{"Can\u00b4t get memory!"});
  EXPECT_FALSE(p.HasMatrix());
  EXPECT_EQ(p.Rows, 0);
  EXPECT_EQ(p.Columns, 0);
  EXPECT_TRUE(p.RowTable.empty());

  p.SetSize(10, 10);
  p.SetSize(-1, 4);
  EXPECT_EQ(m.shown.back().text, "Picture too small!");
  EXPECT_EQ(m.shown.back().kind, TMsgDlgType::mtInformation);
  EXPECT_FALSE(p.HasMatrix());
  EXPECT_EQ(p.Rows, 0);
  EXPECT_EQ(p.Columns, 0);
}

TEST(TVKMPicture, LargestPictureIs514AndLargerIsRefused) {
  RecordingMessages m;
  TVKMPicture p(&m);
  p.SetSize(514, 514);
  EXPECT_TRUE(p.HasMatrix());
  EXPECT_TRUE(m.shown.empty());
  p.RowTable[513][513] = 1;
  p.SetSize(515, 10);
  EXPECT_FALSE(p.HasMatrix());
  EXPECT_EQ(p.Columns, 0);
  ASSERT_EQ(m.shown.size(), 1u);
  p.SetSize(10, 515);
  EXPECT_FALSE(p.HasMatrix());
  EXPECT_EQ(m.shown.size(), 2u);
}

TEST(TVKMPicture, ComputeMinMax) {
  TVKMPicture p;
  p.SetSize(3, 2);
  p.RowTable[0][0] = 5;
  p.RowTable[0][1] = -2.5f;
  p.RowTable[1][2] = 9;
  p.ComputeMinMax();
  EXPECT_EQ(p.Min, -2.5f);
  EXPECT_EQ(p.Max, 9.0f);
}

TEST(TVKMPicture, ScanParaCopyHasItsOwnTexts) {
  TScanPara a;
  a.PhysUnit = "nm";
  TScanPara b = a;
  b.PhysUnit = "pA";
  EXPECT_EQ(a.PhysUnit, "nm");
}

TEST(ColourTable, DefaultEntries) {
  const auto t = DefaultColourTable();
  struct S {
    int i, r, g, b;
  };
  for (const S s : {S{0, 12, 0, 24}, S{55, 157, 35, 28}, S{56, 159, 37, 28}, S{100, 206, 92, 40},
                    S{128, 223, 132, 52}, S{164, 231, 181, 68}, S{165, 234, 183, 72},
                    S{200, 235, 222, 92}, S{255, 236, 248, 136}}) {
    EXPECT_EQ(t[s.i].peRed, s.r) << s.i;
    EXPECT_EQ(t[s.i].peGreen, s.g) << s.i;
    EXPECT_EQ(t[s.i].peBlue, s.b) << s.i;
  }
  for (const auto& e : t) EXPECT_EQ(e.peFlags, 1);
  // Blue moves in steps of 4.
  for (const auto& e : t) EXPECT_EQ(e.peBlue % 4, 0);
  TVKMPicture p;
  EXPECT_EQ(p.ColourTable.palPalEntry, t);
}

TEST(Render, MapsRangeOntoIndicesRowZeroAtBottom) {
  TVKMPicture p;
  p.SetSize(3, 2);
  p.RowTable[0][0] = 0;
  p.RowTable[0][1] = 1;
  p.RowTable[0][2] = 0.5f;  // 127.5 -> 128 (half to even)
  p.RowTable[1][0] = 1;
  TBitmap8 out;
  p.Render(out);
  EXPECT_EQ(p.Factor, 255.0f);
  ASSERT_EQ(out.Width, 3);
  ASSERT_EQ(out.Height, 2);
  // Matrix row 0 is the bottom line (line 1), row 1 the top line (line 0).
  EXPECT_EQ(out.ScanLine(1)[0], 0);
  EXPECT_EQ(out.ScanLine(1)[1], 255);
  EXPECT_EQ(out.ScanLine(1)[2], 128);
  EXPECT_EQ(out.ScanLine(0)[0], 255);
  EXPECT_EQ(out.ScanLine(0)[1], 0);
  EXPECT_EQ(out.Palette, p.ColourTable.palPalEntry);
}

TEST(Render, HalfwayRoundsToEven) {
  EXPECT_EQ(ValueToIndex(2.5f, 0, 1), 2);
  EXPECT_EQ(ValueToIndex(3.5f, 0, 1), 4);
  EXPECT_EQ(ValueToIndex(300, 0, 1), 255);
  EXPECT_EQ(ValueToIndex(-3, 0, 1), 0);
}

TEST(Render, FlatImageHasFactorOneAndIndexZero) {
  TVKMPicture p;
  p.SetSize(4, 4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) p.RowTable[r][c] = 3.25f;
  TBitmap8 out;
  p.Render(out);
  EXPECT_EQ(p.Min, p.Max);
  EXPECT_EQ(p.Factor, 1.0f);
  for (uint8_t v : out.Pixels) EXPECT_EQ(v, 0);
}

TEST(Render, TakesColourTableAtEveryRender) {
  TVKMPicture p;
  p.SetSize(2, 1);
  TBitmap8 out;
  p.Render(out);
  p.ColourTable.palPalEntry[7] = {1, 2, 3, 1};
  p.Render(out);
  EXPECT_EQ(out.Palette[7], (TPaletteEntry{1, 2, 3, 1}));
}

TEST(Render, WithoutMatrixDoesNothing) {
  TVKMPicture p;
  TBitmap8 out;
  out.SetSize(2, 2);
  p.Render(out);
  EXPECT_EQ(out.Width, 2);
}

TEST(Render, FastMappingEqualsExtendedMapping) {
  // Random values over ranges of very different scale, plus values placed exactly
  // on and next to half-way points.
  uint64_t state = 88172645463325252ull;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const float ranges[][2] = {{0, 1},          {-3.25f, 12.5f},      {1e-30f, 3e-30f},
                             {-1e30f, 1e30f}, {100000, 100000.01f}, {-7, -6.999f}};
  for (const auto& rg : ranges) {
    const float min = rg[0];
    const float factor = static_cast<float>(
        255.0L / (static_cast<long double>(rg[1]) - static_cast<long double>(min)));
    for (int i = 0; i < 200000; ++i) {
      const double u = static_cast<double>(next() >> 11) / 9007199254740992.0;
      float v = static_cast<float>(min + u * (static_cast<double>(rg[1]) - min));
      if (i % 4 == 0) {
        // Near a half-way point k + 0.5 of the index scale.
        const double k = static_cast<double>(next() % 255) + 0.5;
        v = static_cast<float>(min + k / factor);
        if (i % 8 == 0) v = std::nextafter(v, rg[1]);
      }
      ASSERT_EQ(ValueToIndexFast(v, min, min, factor), ValueToIndex(v, min, factor))
          << v << " in " << rg[0] << ".." << rg[1];
    }
  }
  // 2.5 - (-1e-17): a tie in double, just above it in extended precision.
  EXPECT_EQ(ValueToIndex(2.5f, -1e-17f, 1), 3);
  EXPECT_EQ(ValueToIndexFast(2.5f, -1e-17f, -1e-17f, 1), 3);
  EXPECT_EQ(ValueToIndexFast(3.5f, 1e-17f, 1e-17f, 1), 3);
  EXPECT_EQ(ValueToIndexFast(std::nanf(""), 0, 0, 1), 0);
  EXPECT_EQ(ValueToIndexFast(1e9f, 0, 0, 1), 255);
}

TEST(Render, EveryFiniteRangeMapsOntoAllIndices) {
  // Below a range of about 7.5e-37 the factor 255 / range is no single any more.
  // The mapping must stay that of any other range: min -> 0, max -> 255, and the
  // middle -> round(127.5) = 128.
  const float tiny = std::numeric_limits<float>::denorm_min();
  const float big = std::numeric_limits<float>::max();
  struct Case {
    float v[3];
    int index[3];
  };
  const Case cases[] = {{{0, 5e-38f, 1e-37f}, {0, 128, 255}},
                        {{0, tiny, 2 * tiny}, {0, 128, 255}},
                        {{-1e-40f, 0, 1e-40f}, {0, 128, 255}},
                        {{1e-40f, 1e-40f, 1e-40f}, {0, 0, 0}},
                        {{-big, -big, big}, {0, 0, 255}}};
  for (const Case& c : cases) {
    TVKMPicture p;
    p.SetSize(3, 1);
    std::memcpy(p.RowTable[0], c.v, sizeof c.v);
    TBitmap8 out;
    p.Render(out);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(out.ScanLine(0)[k], c.index[k]) << c.v[k];
  }

  // Random values over small ranges, against the mapping computed directly as
  // round((v - min) * 255 / (max - min)).
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (float span : {7.4e-37f, 1e-38f, 3e-42f, 1e-44f}) {
    for (float lo : {0.0f, -span, 2 * span, -1e-38f}) {
      TVKMPicture p;
      p.SetSize(64, 64);
      float* d = p.Data();
      d[0] = lo;
      d[1] = lo + span;
      for (size_t k = 2; k < p.ValueCount(); ++k)
        d[k] = lo + static_cast<float>(static_cast<double>(next() >> 11) / 9007199254740992.0 *
                                       static_cast<double>(span));
      TBitmap8 out;
      p.Render(out);
      const long double min = p.Min, range = static_cast<long double>(p.Max) - min;
      for (int r = 0; r < 64; ++r)
        for (int c = 0; c < 64; ++c) {
          const long double x = (p.RowTable[r][c] - min) * 255.0L / range;
          ASSERT_EQ(out.ScanLine(63 - r)[c], static_cast<int>(std::nearbyint(x)))
              << p.RowTable[r][c] << " in " << p.Min << ".." << p.Max;
        }
    }
  }
}
