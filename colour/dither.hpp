// The two dithers that run between the tone adjustment and the palette mapping: error
// diffusion ("Custom Dither") and the 4 x 4 ordered dither, forced or selective.
#pragma once

#include <array>
#include <cstdint>

#include "colour/planes.hpp"
#include "colour/report.hpp"

namespace zimbor {

// ---------------------------------------------------------------------------------------------
// Error diffusion. Each visited pixel takes its nearest palette colour, and each channel's error
// e is passed on in quarters q = e / 4 (truncated toward zero; the remainder is dropped):
//
//   channel | 2q goes to             | q goes to | q goes to
//   red     | i + 2 (two to the right) | i + 144   | i + 143
//   green   | i + 1                  | i + 144   | i + 143
//   blue    | i + 1                  | i + 144   | i + 143
//
// Targets are flat indices, so at the sides they run into the neighbouring row; a target at
// 24192 or beyond lies below the picture and its share is dropped. Each share is added and
// clamped to 0..255 at once.
// ---------------------------------------------------------------------------------------------

// Writes the chosen colour into pixel (x, y) of the channel planes and spreads the three
// channel errors of current against chosen.
void DiffuseError(ColourPlanes& planes, int x, int y, std::int32_t chosen, std::int32_t current);

void ErrorDiffusionDither(ColourPlanes& planes, Distance mode, Reporter& reporter);

// ---------------------------------------------------------------------------------------------
// Ordered dither.
// ---------------------------------------------------------------------------------------------

// The 4 x 4 Bayer matrix, entries 1..16, stored by (x mod 4) * 4 + (y mod 4):
//   x mod 4 | y mod 4 = 0  1  2  3
//   0       |           1  9  3 11
//   1       |          13  5 15  7
//   2       |           4 12  2 10
//   3       |          16  8 14  6
inline constexpr std::array<std::int32_t, 16> DitherMatrix = {1,  9, 3,  11, 13, 5,  15, 7,
                                                              4, 12, 2, 10, 16, 8, 14, 6};

constexpr std::int32_t DitherMatrixEntry(int x, int y) {
    return DitherMatrix[static_cast<std::size_t>((x % 4) * 4 + (y % 4))];
}

// Both ordered modes take 4..64 off every channel.
inline constexpr int kOrderedDitherStrength = 4;

// A window around one palette colour: a pixel whose three channels all lie in the inclusive
// ranges is snapped to that colour. Apart from black (all below 8) and white (all 248 or more)
// each range runs from c - h to c + h - 1 around the colour's component c.
struct SelectiveWindow {
    int colour;  // palette index of the result
    int redLow, redHigh;
    int greenLow, greenHigh;
    int blueLow, blueHigh;

    constexpr bool Holds(int r, int g, int b) const {
        return r >= redLow && r <= redHigh && g >= greenLow && g <= greenHigh && b >= blueLow &&
               b <= blueHigh;
    }
};

// Tested in this order (palette order); no two overlap.
inline constexpr std::array<SelectiveWindow, 16> SelectiveWindows = {{
    {0, 0, 7, 0, 7, 0, 7},              // Black
    {1, 248, 255, 248, 255, 248, 255},  // White
    {2, 124, 127, 51, 54, 41, 44},      // Red,     half-width 2
    {3, 102, 117, 175, 190, 185, 200},  // Cyan,    8
    {4, 119, 134, 51, 66, 158, 173},    // Purple,  8
    {5, 84, 99, 152, 167, 45, 60},      // Green,   8
    {6, 43, 58, 31, 46, 145, 160},      // Blue,    8
    {7, 195, 210, 207, 222, 93, 108},   // Yellow,  8
    {8, 129, 136, 79, 86, 24, 31},      // Orange,  4
    {9, 74, 85, 54, 65, 0, 5},          // Brown,   6
    {10, 178, 181, 105, 108, 95, 98},   // Pink,    2
    {11, 72, 75, 72, 75, 72, 75},       // D Grey,  2
    {12, 115, 118, 115, 118, 115, 118}, // M Grey,  2
    {13, 155, 170, 223, 238, 116, 131}, // L Green, 8
    {14, 104, 119, 92, 107, 206, 221},  // L Blue,  8
    {15, 161, 164, 161, 164, 161, 164}, // L Grey,  2
}};

// Changes the one pixel (x, y): in the selective mode a pixel inside a window takes the window's
// colour; otherwise every channel is lowered by the matrix entry times the strength, down to 0.
void OrderedDitherPixel(ColourPlanes& planes, int x, int y, int strength, bool selective);

void OrderedDither(ColourPlanes& planes, bool selective, Reporter& reporter);

}  // namespace zimbor
