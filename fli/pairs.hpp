// The colour-pair search of one cell row: every 8 x 1 cell row gets the pair of C64 colours
// (a for set bitmap bits, b for clear ones) that, together with the overlay colour, reproduces
// its 8 mapped pixels best.
#pragma once

#include <array>
#include <cstdint>

#include "colour/planes.hpp"

namespace zimbor {

struct ColourPair {
    std::int32_t a;  // colour of set bitmap bits
    std::int32_t b;  // colour of clear bitmap bits, a < b
};

inline constexpr int kPairCount = 120;

// All unordered pairs of the 16 colours in lexicographic order: (0,1), (0,2), ..., (14,15).
// The order decides ties.
constexpr std::array<ColourPair, kPairCount> BuildColourPairTable() {
    std::array<ColourPair, kPairCount> t{};
    std::size_t j = 0;
    for (std::int32_t a = 0; a < kColourCount; ++a) {
        for (std::int32_t b = a + 1; b < kColourCount; ++b) t[j++] = ColourPair{a, b};
    }
    return t;
}
inline constexpr std::array<ColourPair, kPairCount> ColourPairTable = BuildColourPairTable();

// The distance between palette colour c and the mapped pixel at slot p: RgbDistance of the
// palette bytes against MappedImage, or YuvDistance of the palette's Y, U, V against MappedY,
// MappedU, MappedV.
std::uint32_t MappedPixelDistance(const ColourPlanes& planes, Distance mode, int c, std::size_t p);

// The score of pair (a, b) with overlay colour o for the cell row at (x0, y): the sum over its
// 8 pixels of each pixel's distance to the nearest of a, b and o.
std::uint32_t CellPairError(const ColourPlanes& planes, Distance mode, int a, int b, int o, int x0,
                            int y);

// The index of the pair with the smallest score; the first in table order among equals.
int FindCellPair(const ColourPlanes& planes, Distance mode, int o, int x0, int y);

}  // namespace zimbor
