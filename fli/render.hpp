// Drawing one cell row with its chosen pair: into the three preview planes and the C64 bank.
#pragma once

#include <cstdint>

#include "c64/bank.hpp"
#include "colour/planes.hpp"

namespace zimbor {

// An overlay pixel: SpriteLayer shows the overlay colour, HiresLayer the bitmap beneath it.
void PutSpritePixel(ColourPlanes& planes, int x0, int y, int i, int o, std::int32_t colour);
// A bitmap pixel: HiresLayer shows the colour.
void PutHiresPixel(ColourPlanes& planes, int x0, int y, int i, std::int32_t colour);

// Which of the three colours shows at a pixel, from its distances to a, b and the overlay o.
// The winner always has the smallest distance; ties go as
//   e1 = e2 < e3 -> b,  e1 = e2 = e3 -> overlay,  e1 = e3 < e2 -> a,
//   e2 = e3 < e1 -> overlay,  e1 = e2 > e3 -> overlay.
enum class Winner { A, B, Overlay };
constexpr Winner ChooseWinner(std::uint32_t e1, std::uint32_t e2, std::uint32_t e3) {
    if (e1 < e2) return e3 < e1 ? Winner::Overlay : Winner::A;
    return e3 <= e2 ? Winner::Overlay : Winner::B;
}

// Draws pixel i of the cell row at (x0, y), won by `winner`: FinalImage, HiresLayer,
// SpriteLayer, and its bitmap or sprite bit. (The colour byte is the cell row's, written apart.)
void DrawCellPixel(ColourPlanes& planes, C64Memory& memory, Winner winner, int a, int b, int o,
                   int x0, int y, int i);

// Draws the cell row at (x0, y) with pair (a, b) and overlay colour o: FinalImage, HiresLayer,
// SpriteLayer, the colour byte, the bitmap bits and the sprite bits.
void RenderCellRow(ColourPlanes& planes, C64Memory& memory, Distance mode, int a, int b, int o,
                   int x0, int y);

}  // namespace zimbor
