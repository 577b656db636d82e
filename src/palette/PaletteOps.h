// The palette editor's operations on the 768 palette bytes: fill, gradient, mirror,
// invert, smoothing, curve drawing, the repetition check and the channel rules.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// 256 entries of red, green and blue: entry i at bytes 3i, 3i + 1 and 3i + 2.
using PaletteBytes = std::array<uint8_t, 768>;
inline constexpr int kPaletteEntries = 256;

// The three channels of an entry, in the order of their bytes.
enum TChannel : int { chRed = 0, chGreen = 1, chBlue = 2 };

// One flag per channel (red, green, blue): the active or the visible channels.
using ChannelSet = std::array<bool, 3>;

struct TRgb {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  bool operator==(const TRgb&) const = default;
};

TRgb EntryColour(const PaletteBytes& data, int entry);
void SetEntryColour(PaletteBytes& data, int entry, TRgb colour);

// The block operations take the block's first and last entry, both inclusive.
// Bounds outside 0..255 are clamped and a reversed pair is put in order, so no
// caller can make them touch bytes beyond the palette.

// Every entry of the block, all three channels, becomes `colour`.
void FillBlock(PaletteBytes& data, int blockStart, int blockEnd, TRgb colour);

// The entries strictly between the two ends run linearly from the one end's colour
// to the other's, each channel in integer arithmetic truncated toward zero:
// c(i) = c(S) + ((c(E) - c(S)) * (i - S)) div (E - S). The ends stay; a block of one
// or two entries stays as it is. All three channels take part, whatever is active.
void GradientBlock(PaletteBytes& data, int blockStart, int blockEnd);

// Exchanges whole entries S + k and E - k for k < (E - S + 1) div 2: the block in
// reverse order, its middle entry (odd length) in place.
void MirrorBlock(PaletteBytes& data, int blockStart, int blockEnd);

// value := 255 - value for every entry of the block and every active channel.
void InvertBlock(PaletteBytes& data, int blockStart, int blockEnd, const ChannelSet& active);

// For i = 5 .. 250 in this order and each active channel c:
// c(i) := (5 + c(i - 5) + ... + c(i + 5)) div 11, in place, so the entries below i are
// already smoothed when entry i is computed. Entries 0..4 and 251..255 stay.
void SmoothPalette(PaletteBytes& data, const ChannelSet& active);

// The number of entries i in 0..254 for which a later entry has the same colour.
int CountRepetitions(const PaletteBytes& data);
// n, " Wiederholungen, d.h. ", 256 - n, " verschiedene Farben."
std::string RepetitionText(int repetitions);

// One step of drawing a curve in the channel view, from entry `lastX` to entry `x`
// at channel value `value`. When x = lastX the active channels of entry x take the
// value. Otherwise every entry i from lastX to x (either direction, both ends) gets
// c(lastX) + round((i - lastX) / (x - lastX) * (value - c(lastX))) in each active
// channel, in extended precision with ties to even, so a fast stroke leaves a ramp
// between the sampled points instead of gaps. Entry lastX keeps its value.
void DrawCurveStep(PaletteBytes& data, int lastX, int x, int value, const ChannelSet& active);

// A click on the active-channel switch of `channel`. Linked: the channel is toggled,
// except that the last active channel cannot be switched off. Not linked: the
// channel becomes the only active one. At least one channel stays active.
void ActiveChannelClick(ChannelSet& active, bool linked, int channel);

// A click on "Verbinden": toggles the link. Linking makes all three channels active;
// unlinking keeps exactly one: red if it was active, else green if it was, else blue.
void LinkChannelsClick(ChannelSet& active, bool& linked);
