// The integer picture planes that every stage of the conversion reads and writes in place.
#pragma once

#include <array>
#include <cstdint>

#include "colour/palette.hpp"

namespace zimbor {

// 24192 signed 32-bit values, indexed y * 144 + x.
using Plane = std::array<std::int32_t, kPixels>;

constexpr int PixelIndex(int x, int y) { return y * kWidth + x; }
constexpr std::size_t PixelSlot(int x, int y) { return static_cast<std::size_t>(PixelIndex(x, y)); }

// The crop as the conversion reads it: 144 x 168 canvas colours (0x00BBGGRR).
using CanvasImage = std::array<std::uint32_t, kPixels>;

struct ColourPlanes {
    Plane RedPlane{};     // tone-adjusted channels, 0..255; the dithers change them in place
    Plane GreenPlane{};
    Plane BluePlane{};
    Plane MappedImage{};  // the crop reduced to the palette (plane colours)
    Plane MappedY{};      // RgbToYuv of every MappedImage pixel
    Plane MappedU{};
    Plane MappedV{};
    Plane FinalImage{};   // the composed C64 picture
    Plane SpriteLayer{};  // the sprite overlay alone
    Plane HiresLayer{};   // the hires bitmap layer alone
};

}  // namespace zimbor
