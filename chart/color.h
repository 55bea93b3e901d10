// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace kolva::chart {

// A colour laid out 0x00BBGGRR, red in the low byte, plus the engine's
// special values above 0x00FFFFFF.
using TColor = std::uint32_t;

// No colour of its own: take the owner's (a series gets one from its chart).
inline constexpr TColor clAutoColor = 0x80000000u;
// Not drawn: a point with this colour leaves a gap in its line.
inline constexpr TColor clNone = 0x1FFFFFFFu;
// The toolkit's "default colour"; a point added with it is stored as clAutoColor.
inline constexpr TColor clDefault = 0x20000000u;

inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clMaroon = 0x000080u;
inline constexpr TColor clGreen = 0x008000u;
inline constexpr TColor clOlive = 0x008080u;
inline constexpr TColor clNavy = 0x800000u;
inline constexpr TColor clPurple = 0x800080u;
inline constexpr TColor clTeal = 0x808000u;
inline constexpr TColor clGray = 0x808080u;
inline constexpr TColor clSilver = 0xC0C0C0u;
inline constexpr TColor clRed = 0x0000FFu;
inline constexpr TColor clLime = 0x00FF00u;
inline constexpr TColor clYellow = 0x00FFFFu;
inline constexpr TColor clBlue = 0xFF0000u;
inline constexpr TColor clFuchsia = 0xFF00FFu;
inline constexpr TColor clAqua = 0xFFFF00u;
inline constexpr TColor clWhite = 0xFFFFFFu;

// The window system's colours, resolved to the classic desktop scheme.
inline constexpr TColor clBtnFace = 0xC0C0C0u;
inline constexpr TColor clBtnShadow = 0x808080u;
inline constexpr TColor clBtnHighlight = 0xFFFFFFu;
inline constexpr TColor clWindowText = 0x000000u;

inline constexpr int kPaletteSize = 16;

// Colours for series and points that have none of their own.
inline constexpr std::array<TColor, kPaletteSize> DefaultColorPalette = {
    clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
    clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua,    clBlack};

// Entry (i mod 16) of the palette; negative indices wrap the same way.
constexpr TColor PaletteColor(int i) {
  int k = i % kPaletteSize;
  if (k < 0) k += kPaletteSize;
  return DefaultColorPalette[static_cast<std::size_t>(k)];
}

// Red, green and blue of a plain colour (the special values are not plain).
constexpr int RedOf(TColor c) {
  return static_cast<int>(c & 0xFFu);
}
constexpr int GreenOf(TColor c) {
  return static_cast<int>((c >> 8) & 0xFFu);
}
constexpr int BlueOf(TColor c) {
  return static_cast<int>((c >> 16) & 0xFFu);
}

}  // namespace kolva::chart
