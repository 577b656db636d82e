// Palette operations on the 768 bytes.
#include "palette/PaletteOps.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

int ClampEntry(int entry) {
  return std::clamp(entry, 0, kPaletteEntries - 1);
}

// The block's bounds inside the palette, first <= last.
std::pair<int, int> BlockBounds(int blockStart, int blockEnd) {
  int s = ClampEntry(blockStart);
  int e = ClampEntry(blockEnd);
  if (s > e) std::swap(s, e);
  return {s, e};
}

uint8_t& At(PaletteBytes& data, int entry, int channel) {
  return data[static_cast<size_t>(3 * entry + channel)];
}

int ValueAt(const PaletteBytes& data, int entry, int channel) {
  return data[static_cast<size_t>(3 * entry + channel)];
}

}  // namespace

TRgb EntryColour(const PaletteBytes& data, int entry) {
  const int e = ClampEntry(entry);
  return {data[3 * e], data[3 * e + 1], data[3 * e + 2]};
}

void SetEntryColour(PaletteBytes& data, int entry, TRgb colour) {
  const int e = ClampEntry(entry);
  At(data, e, chRed) = colour.Red;
  At(data, e, chGreen) = colour.Green;
  At(data, e, chBlue) = colour.Blue;
}

void FillBlock(PaletteBytes& data, int blockStart, int blockEnd, TRgb colour) {
  const auto [s, e] = BlockBounds(blockStart, blockEnd);
  for (int i = s; i <= e; ++i) SetEntryColour(data, i, colour);
}

void GradientBlock(PaletteBytes& data, int blockStart, int blockEnd) {
  const auto [s, e] = BlockBounds(blockStart, blockEnd);
  for (int i = s + 1; i < e; ++i)
    for (int c = 0; c < 3; ++c) {
      const int first = ValueAt(data, s, c);
      const int last = ValueAt(data, e, c);
      At(data, i, c) = static_cast<uint8_t>(first + ((last - first) * (i - s)) / (e - s));
    }
}

void MirrorBlock(PaletteBytes& data, int blockStart, int blockEnd) {
  const auto [s, e] = BlockBounds(blockStart, blockEnd);
  for (int k = 0; k < (e - s + 1) / 2; ++k) {
    const TRgb a = EntryColour(data, s + k);
    SetEntryColour(data, s + k, EntryColour(data, e - k));
    SetEntryColour(data, e - k, a);
  }
}

void InvertBlock(PaletteBytes& data, int blockStart, int blockEnd, const ChannelSet& active) {
  const auto [s, e] = BlockBounds(blockStart, blockEnd);
  for (int i = s; i <= e; ++i)
    for (int c = 0; c < 3; ++c)
      if (active[c]) At(data, i, c) = static_cast<uint8_t>(255 - ValueAt(data, i, c));
}

void SmoothPalette(PaletteBytes& data, const ChannelSet& active) {
  for (int i = 5; i <= 250; ++i)
    for (int c = 0; c < 3; ++c) {
      if (!active[c]) continue;
      int sum = 5;
      for (int j = i - 5; j <= i + 5; ++j) sum += ValueAt(data, j, c);
      At(data, i, c) = static_cast<uint8_t>(sum / 11);
    }
}

int CountRepetitions(const PaletteBytes& data) {
  int n = 0;
  for (int i = 0; i < kPaletteEntries - 1; ++i) {
    const TRgb colour = EntryColour(data, i);
    for (int j = i + 1; j < kPaletteEntries; ++j)
      if (EntryColour(data, j) == colour) {
        ++n;
        break;
      }
  }
  return n;
}

std::string RepetitionText(int repetitions) {
  return std::to_string(repetitions) + " Wiederholungen, d.h. " +
         std::to_string(kPaletteEntries - repetitions) + " verschiedene Farben.";
}

void DrawCurveStep(PaletteBytes& data, int lastX, int x, int value, const ChannelSet& active) {
  const int from = ClampEntry(lastX);
  const int to = ClampEntry(x);
  const int v = std::clamp(value, 0, 255);
  for (int c = 0; c < 3; ++c) {
    if (!active[c]) continue;
    if (to == from) {
      At(data, to, c) = static_cast<uint8_t>(v);
      continue;
    }
    const int start = ValueAt(data, from, c);
    const int step = to > from ? 1 : -1;
    for (int i = from + step; i != to + step; i += step) {
      // Extended precision, rounded to the nearest integer with ties to even.
      const long double t =
          static_cast<long double>(i - from) / static_cast<long double>(to - from);
      const long double r = std::nearbyint(t * static_cast<long double>(v - start));
      At(data, i, c) = static_cast<uint8_t>(start + static_cast<int>(r));
    }
  }
}

void ActiveChannelClick(ChannelSet& active, bool linked, int channel) {
  if (channel < 0 || channel > 2) return;
  if (linked) {
    const bool othersActive = active[(channel + 1) % 3] || active[(channel + 2) % 3];
    if (othersActive) active[channel] = !active[channel];
  } else {
    active = {false, false, false};
    active[channel] = true;
  }
  // Every rule above keeps one channel active; a set that arrived empty gets red.
  if (!active[0] && !active[1] && !active[2]) active[chRed] = true;
}

void LinkChannelsClick(ChannelSet& active, bool& linked) {
  linked = !linked;
  if (linked) {
    active = {true, true, true};
    return;
  }
  const int keep = active[chRed] ? chRed : active[chGreen] ? chGreen : chBlue;
  active = {false, false, false};
  active[keep] = true;
}
