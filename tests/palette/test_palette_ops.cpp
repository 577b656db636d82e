#include <gtest/gtest.h>

#include "palette/PaletteOps.h"

namespace {

// Entry i is (i, 255 - i, (7 * i) mod 256): every entry differs from every other.
PaletteBytes Distinct() {
  PaletteBytes p{};
  for (int i = 0; i < 256; ++i) {
    p[3 * i] = static_cast<uint8_t>(i);
    p[3 * i + 1] = static_cast<uint8_t>(255 - i);
    p[3 * i + 2] = static_cast<uint8_t>((7 * i) % 256);
  }
  return p;
}

TRgb DistinctEntry(int i) {
  return {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
          static_cast<uint8_t>((7 * i) % 256)};
}

std::vector<int> Channel(const PaletteBytes& p, int channel, int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(p[3 * i + channel]);
  return v;
}

// Every entry outside from..to is as in `before`.
void ExpectUnchangedOutside(const PaletteBytes& before, const PaletteBytes& after, int from,
                            int to) {
  for (int i = 0; i < 256; ++i) {
    if (i < from || i > to) {
      EXPECT_EQ(EntryColour(after, i), EntryColour(before, i)) << i;
    }
  }
}

constexpr ChannelSet kRed{true, false, false};
constexpr ChannelSet kGreen{false, true, false};

}  // namespace

TEST(PaletteMirror, EvenAndOddBlocks) {
  PaletteBytes p = Distinct();
  MirrorBlock(p, 0, 3);
  EXPECT_EQ(EntryColour(p, 0), DistinctEntry(3));
  EXPECT_EQ(EntryColour(p, 1), DistinctEntry(2));
  EXPECT_EQ(EntryColour(p, 2), DistinctEntry(1));
  EXPECT_EQ(EntryColour(p, 3), DistinctEntry(0));
  ExpectUnchangedOutside(Distinct(), p, 0, 3);

  p = Distinct();
  MirrorBlock(p, 0, 4);
  EXPECT_EQ(EntryColour(p, 0), DistinctEntry(4));
  EXPECT_EQ(EntryColour(p, 1), DistinctEntry(3));
  EXPECT_EQ(EntryColour(p, 2), DistinctEntry(2));
  EXPECT_EQ(EntryColour(p, 3), DistinctEntry(1));
  EXPECT_EQ(EntryColour(p, 4), DistinctEntry(0));
  ExpectUnchangedOutside(Distinct(), p, 0, 4);

  // The whole palette, from its last entry backwards.
  p = Distinct();
  MirrorBlock(p, 0, 255);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(EntryColour(p, i), DistinctEntry(255 - i));
}

TEST(PaletteGradient, RisingFallingAndTruncatedTowardZero) {
  PaletteBytes p{};
  p[3 * 4] = 100;  // red 0 at entry 0, 100 at entry 4
  GradientBlock(p, 0, 4);
  EXPECT_EQ(Channel(p, chRed, 0, 4), (std::vector<int>{0, 25, 50, 75, 100}));

  p = {};
  p[0] = 100;  // red falling from 100 to 0
  GradientBlock(p, 0, 4);
  EXPECT_EQ(Channel(p, chRed, 0, 4), (std::vector<int>{100, 75, 50, 25, 0}));

  // 10 -> 0 over three steps: 10 + (-10 * i) / 3 truncates toward zero to 7 and 4
  // (flooring would give 6 and 3); 0 -> 10 gives 3 and 6.
  p = {};
  p[3 * 10] = 10;
  p[3 * 13 + 2] = 10;
  GradientBlock(p, 10, 13);
  EXPECT_EQ(Channel(p, chRed, 10, 13), (std::vector<int>{10, 7, 4, 0}));
  EXPECT_EQ(Channel(p, chBlue, 10, 13), (std::vector<int>{0, 3, 6, 10}));
  EXPECT_EQ(Channel(p, chGreen, 10, 13), (std::vector<int>{0, 0, 0, 0}));
}

TEST(PaletteGradient, AllChannelsEndsKeptAndShortBlocksUntouched) {
  PaletteBytes p = Distinct();
  SetEntryColour(p, 20, {0, 200, 50});
  SetEntryColour(p, 30, {250, 0, 50});
  GradientBlock(p, 20, 30);
  for (int i = 21; i < 30; ++i) {
    const int t = i - 20;
    EXPECT_EQ(EntryColour(p, i), (TRgb{static_cast<uint8_t>(250 * t / 10),
                                       static_cast<uint8_t>(200 - 200 * t / 10), 50}))
        << i;
  }
  EXPECT_EQ(EntryColour(p, 20), (TRgb{0, 200, 50}));
  EXPECT_EQ(EntryColour(p, 30), (TRgb{250, 0, 50}));
  ExpectUnchangedOutside(Distinct(), p, 20, 30);

  PaletteBytes q = Distinct();
  GradientBlock(q, 7, 8);
  GradientBlock(q, 9, 9);
  EXPECT_EQ(q, Distinct());
}

TEST(PaletteInvert, OnlyActiveChannelsOfTheBlock) {
  PaletteBytes p = Distinct();
  InvertBlock(p, 10, 12, kGreen);
  for (int i = 10; i <= 12; ++i) {
    const TRgb d = DistinctEntry(i);
    EXPECT_EQ(EntryColour(p, i), (TRgb{d.Red, static_cast<uint8_t>(i), d.Blue})) << i;
  }
  ExpectUnchangedOutside(Distinct(), p, 10, 12);

  p = Distinct();
  InvertBlock(p, 0, 0, {true, true, true});
  EXPECT_EQ(EntryColour(p, 0), (TRgb{255, 0, 255}));
}

TEST(PaletteBlocks, BoundsAreClampedAndOrdered) {
  PaletteBytes p = Distinct();
  FillBlock(p, 258, 254, {9, 9, 9});  // reversed and beyond the end: 254..255
  EXPECT_EQ(EntryColour(p, 254), (TRgb{9, 9, 9}));
  EXPECT_EQ(EntryColour(p, 255), (TRgb{9, 9, 9}));
  ExpectUnchangedOutside(Distinct(), p, 254, 255);

  p = Distinct();
  MirrorBlock(p, 1, -5);  // 0..1
  EXPECT_EQ(EntryColour(p, 0), DistinctEntry(1));
  EXPECT_EQ(EntryColour(p, 1), DistinctEntry(0));
}

TEST(PaletteSmooth, RunsInPlaceOnActiveChannels) {
  PaletteBytes p{};
  p[3 * 100] = 110;
  p[3 * 100 + 1] = 110;  // green is not active and keeps its spike
  p[3 * 2] = 200;        // the first and last five entries are never smoothed
  p[3 * 253] = 200;
  SmoothPalette(p, kRed);
  EXPECT_EQ(Channel(p, chRed, 95, 100), (std::vector<int>{10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(Channel(p, chRed, 101, 108), (std::vector<int>{6, 5, 5, 4, 3, 2, 2, 1}));
  EXPECT_EQ(Channel(p, chRed, 0, 4), (std::vector<int>{0, 0, 200, 0, 0}));
  EXPECT_EQ(Channel(p, chRed, 251, 255), (std::vector<int>{0, 0, 200, 0, 0}));
  // The rounding term 5 carries a tail of ones until five of them sum to 5.
  EXPECT_EQ(Channel(p, chRed, 109, 113), (std::vector<int>{1, 1, 1, 1, 0}));
  EXPECT_EQ(Channel(p, chRed, 113, 247), std::vector<int>(135, 0));
  EXPECT_EQ(p[3 * 100 + 1], 110);
  EXPECT_EQ(p[3 * 99 + 1], 0);
}

TEST(PaletteRepetitions, CountsEntriesWithALaterTwin) {
  PaletteBytes black{};
  EXPECT_EQ(CountRepetitions(black), 255);
  EXPECT_EQ(RepetitionText(CountRepetitions(black)),
            "255 Wiederholungen, d.h. 1 verschiedene Farben.");
  EXPECT_EQ(CountRepetitions(Distinct()), 0);
  EXPECT_EQ(RepetitionText(0), "0 Wiederholungen, d.h. 256 verschiedene Farben.");

  // Three equal entries count twice; equal red and green with another blue not at all.
  PaletteBytes p = Distinct();
  SetEntryColour(p, 5, DistinctEntry(200));
  SetEntryColour(p, 255, DistinctEntry(200));
  SetEntryColour(p, 6, {DistinctEntry(7).Red, DistinctEntry(7).Green, 0});
  EXPECT_EQ(CountRepetitions(p), 2);
}

TEST(PaletteCurve, RampFromTheLastPointInActiveChannelsOnly) {
  PaletteBytes p = Distinct();
  p[3 * 10] = 0;
  DrawCurveStep(p, 10, 20, 100, kRed);
  EXPECT_EQ(p[3 * 15], 50);
  EXPECT_EQ(p[3 * 20], 100);
  for (int i = 10; i <= 20; ++i) EXPECT_EQ(p[3 * i], 10 * (i - 10)) << i;
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(p[3 * i + 1], Distinct()[3 * i + 1]);
    EXPECT_EQ(p[3 * i + 2], Distinct()[3 * i + 2]);
  }
  ExpectUnchangedOutside(Distinct(), p, 10, 20);
}

TEST(PaletteCurve, RightToLeftFillsLikeLeftToRight) {
  PaletteBytes p{};
  p[3 * 40 + 1] = 200;
  DrawCurveStep(p, 40, 30, 100, kGreen);  // 200 at 40 down to 100 at 30
  for (int i = 30; i <= 40; ++i) EXPECT_EQ(p[3 * i + 1], 100 + 10 * (i - 30)) << i;
  EXPECT_EQ(p[3 * 29 + 1], 0);
  EXPECT_EQ(p[3 * 41 + 1], 0);
}

TEST(PaletteCurve, HalfWayValuesRoundToEven) {
  // Entry 1 of a two-step ramp lies half way: 0.5 rounds to 0, 1.5 to 2, 2.5 to 2.
  for (const auto& [v, half] : {std::pair{1, 0}, {3, 2}, {5, 2}, {7, 4}}) {
    PaletteBytes p{};
    DrawCurveStep(p, 0, 2, v, kRed);
    EXPECT_EQ(p[3], half) << v;
    EXPECT_EQ(p[6], v);
  }
  // The quotient and the product are extended-precision numbers: 3 / 22 * 99 is then
  // exactly 13.5 (to 14), 13 / 22 * 165 just below 97.5 (to 97); in double precision
  // the two fall the other way (13 and 98).
  PaletteBytes p{};
  DrawCurveStep(p, 0, 22, 99, kRed);
  EXPECT_EQ(p[3 * 3], 14);
  p = PaletteBytes{};
  DrawCurveStep(p, 0, 22, 165, kRed);
  EXPECT_EQ(p[3 * 13], 97);
}

TEST(PaletteCurve, SamePointSetsTheValueAndLastPointKeepsIt) {
  PaletteBytes p = Distinct();
  DrawCurveStep(p, 77, 77, 3, {true, false, true});
  EXPECT_EQ(EntryColour(p, 77), (TRgb{3, DistinctEntry(77).Green, 3}));
  ExpectUnchangedOutside(Distinct(), p, 77, 77);

  // The start of a step keeps its value even when the new value differs.
  p = Distinct();
  DrawCurveStep(p, 100, 101, 0, kRed);
  EXPECT_EQ(p[3 * 100], 100);
  EXPECT_EQ(p[3 * 101], 0);
}

TEST(PaletteChannels, ActiveChannelRules) {
  ChannelSet a{true, false, false};
  ActiveChannelClick(a, false, chGreen);  // not linked: the only active one
  EXPECT_EQ(a, (ChannelSet{false, true, false}));
  ActiveChannelClick(a, false, chGreen);
  EXPECT_EQ(a, (ChannelSet{false, true, false}));

  a = {true, false, false};
  ActiveChannelClick(a, true, chRed);  // linked: the last one stays
  EXPECT_EQ(a, (ChannelSet{true, false, false}));
  ActiveChannelClick(a, true, chBlue);
  EXPECT_EQ(a, (ChannelSet{true, false, true}));
  ActiveChannelClick(a, true, chRed);
  EXPECT_EQ(a, (ChannelSet{false, false, true}));
}

TEST(PaletteChannels, LinkingActivatesAllUnlinkingKeepsOne) {
  ChannelSet a{false, true, false};
  bool linked = false;
  LinkChannelsClick(a, linked);
  EXPECT_TRUE(linked);
  EXPECT_EQ(a, (ChannelSet{true, true, true}));
  LinkChannelsClick(a, linked);
  EXPECT_FALSE(linked);
  EXPECT_EQ(a, (ChannelSet{true, false, false}));

  for (const auto& [before, after] :
       {std::pair{ChannelSet{false, true, true}, ChannelSet{false, true, false}},
        {ChannelSet{false, false, true}, ChannelSet{false, false, true}},
        {ChannelSet{true, false, true}, ChannelSet{true, false, false}}}) {
    ChannelSet s = before;
    bool l = true;
    LinkChannelsClick(s, l);
    EXPECT_EQ(s, after);
  }
}
