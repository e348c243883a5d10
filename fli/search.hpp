// The fast pair search. The mapped picture holds only palette colours, so a cell row is 8
// palette indices, and a pixel's distance to colour c is an entry of the 16 x 16 palette
// distance table. A pair's score is a sum over the pixels, so it depends only on how many pixels
// of each colour the cell row holds, not on their order: the search runs once per cell content
// and answers for all 16 overlay colours at once.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "colour/planes.hpp"
#include "fli/pairs.hpp"
#include "fli/render.hpp"

namespace zimbor {

// The 8 palette indices of a cell row, pixel i in bits 4i..4i+3.
using CellColours = std::uint32_t;

constexpr CellColours PackCellColours(const std::array<int, 8>& indices) {
    CellColours packed = 0;
    for (std::size_t i = 0; i < 8; ++i)
        packed |= static_cast<CellColours>(indices[i] & 0xF) << (4 * i);
    return packed;
}
constexpr int CellPixelColour(CellColours cell, int i) {
    return static_cast<int>((cell >> (4 * i)) & 0xFu);
}

// How many pixels of each colour a cell row holds, colour c in bits 4c..4c+3 (a count is at most
// 8, so it fits). Two cell rows with the same histogram choose the same pairs.
using CellHistogram = std::uint64_t;

constexpr CellHistogram HistogramOf(CellColours cell) {
    CellHistogram h = 0;
    for (int i = 0; i < 8; ++i) h += CellHistogram{1} << (4 * CellPixelColour(cell, i));
    return h;
}

// The chosen pair (index into ColourPairTable) and its score, for each overlay colour 0..15.
struct OverlayPairs {
    std::array<std::uint8_t, kColourCount> pair{};
    std::array<std::uint32_t, kColourCount> score{};
};

// FindCellPair and CellPairError of a cell row for every overlay colour: the first pair in table
// order with the smallest score, as the literal search chooses it.
OverlayPairs SearchCellPairs(CellHistogram histogram, Distance mode);
inline OverlayPairs SearchCellPairs(CellColours cell, Distance mode) {
    return SearchCellPairs(HistogramOf(cell), mode);
}

// A perfect hash of the 16 palette colours into 32 slots, (colour * multiplier) >> 27, so that
// telling a plane colour's palette index takes one multiplication and one comparison. The
// multiplier is the first multiple of 2654435761 (the golden-ratio constant of Fibonacci
// hashing) that gives the 16 colours 16 different slots.
struct PaletteHash {
    std::uint32_t multiplier = 0;
    std::array<std::int8_t, 32> slot{};  // palette index, or -1 for a slot no colour hashes to

    constexpr std::size_t SlotOf(std::int32_t plane) const {
        return (static_cast<std::uint32_t>(plane) * multiplier) >> 27;
    }
};

constexpr PaletteHash BuildPaletteHash() {
    for (std::uint32_t m = 1;; ++m) {
        PaletteHash h;
        h.multiplier = m * 2654435761u;
        h.slot.fill(-1);
        bool separated = true;
        for (std::size_t c = 0; c < kColourCount && separated; ++c) {
            std::int8_t& s = h.slot[h.SlotOf(C64Palette[c])];
            separated = s < 0;
            s = static_cast<std::int8_t>(c);
        }
        if (separated) return h;
    }
}
inline constexpr PaletteHash kPaletteHash = BuildPaletteHash();

// PaletteIndexOf by the hash: the palette index of a plane colour, or -1.
constexpr int HashedPaletteIndexOf(std::int32_t plane) {
    const int c = kPaletteHash.slot[kPaletteHash.SlotOf(plane)];
    return c >= 0 && C64Palette[static_cast<std::size_t>(c)] == plane ? c : -1;
}

// The palette indices of the mapped pixels first .. first + out.size() - 1 (slots of the
// planes), or false when one of them is no palette colour or (in the YUV mode) its MappedY,
// MappedU, MappedV are not that colour's. Only such pixels may take the fast search.
bool MappedPaletteIndices(const ColourPlanes& planes, Distance mode, std::size_t first,
                          std::span<std::uint8_t> out);

// The cell row at (x0, y) of MappedImage as palette indices, or false when one of its pixels is
// no palette colour with its own Y, U, V.
bool MappedCellColours(const ColourPlanes& planes, Distance mode, int x0, int y, CellColours& cell);

// Which of a, b and the overlay o shows at a pixel of palette colour c, for every overlay colour
// o, pair j and colour c: ChooseWinner over the palette distances, [o][j][c].
using WinnerTable =
    std::array<std::array<std::array<Winner, kColourCount>, kPairCount>, kColourCount>;
const WinnerTable& Winners(Distance mode);

// The palette index that shows at such a pixel: a, b or o as the winner says, [o][j][c].
using ShownColourTable =
    std::array<std::array<std::array<std::uint8_t, kColourCount>, kPairCount>, kColourCount>;
const ShownColourTable& ShownColours(Distance mode);

// The cell rows of a picture, 18 to a line: cell row n holds the pixels 8n .. 8n + 7.
inline constexpr int kCells = kPixels / 8;  // 3024

// Draws a picture from the pairs of its cell rows with overlay colour o: pixel p shows palette
// colour ShownColours(mode)[o][pairs[p / 8]][indices[p]]. With AVX2 where the processor has it,
// unless `baselineOnly`.
void DrawTrialPicture(Distance mode, int o, const std::array<std::uint8_t, kPixels>& indices,
                 const std::array<std::uint8_t, kCells>& pairs, Plane& image,
                 bool baselineOnly = false);

// Which instruction set the search was compiled for on this machine ("avx512", "avx2" or
// "baseline"), for the benchmark's report.
const char* SearchInstructionSet();

// Every variant of the search this processor runs, widest first, and one of them by name, so
// that the tests can hold them all to the same answers.
std::vector<std::string_view> SearchInstructionSets();
OverlayPairs SearchCellPairsOn(std::string_view instructionSet, CellHistogram histogram,
                               Distance mode);

}  // namespace zimbor
