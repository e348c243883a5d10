// The search by cell content against the oracle's literal pair search, cell row by cell row:
// for every overlay colour and both distances, the same pair (first minimum in table order) and
// the same score.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <sstream>
#include <vector>

#include "fli/pairs.hpp"
#include "fli/search.hpp"
#include "tests/oracle/oracle.hpp"
#include "tests/speed/random_pictures.hpp"

namespace zimbor::test {
namespace {

#ifdef ZIMBOR_SPEED_SANITIZED
constexpr int kRandomCells = 150;
#else
constexpr int kRandomCells = 1200;
#endif

using Cell = std::array<int, 8>;

// Cells at the edges of the arithmetic and of the tie rules.
const std::vector<Cell>& ExtremeCells() {
    static const std::vector<Cell> cells = {
        {0, 0, 0, 0, 0, 0, 0, 0},  // black: everything ties at 0
        {1, 1, 1, 1, 1, 1, 1, 1},  // white
        {0, 1, 0, 1, 0, 1, 0, 1},  // the largest distance, black against white
        {0, 0, 0, 0, 1, 1, 1, 1},       {0, 1, 2, 3, 4, 5, 6, 7},          // eight colours
        {8, 9, 10, 11, 12, 13, 14, 15}, {12, 15, 12, 15, 11, 11, 12, 15},  // greys: near ties
        {2, 9, 8, 2, 9, 8, 2, 9},                                          // red, brown, orange
        {0, 1, 15, 0, 1, 15, 0, 1},  // three colours: the overlay decides
        {14, 6, 14, 6, 14, 6, 14, 3},
    };
    return cells;
}

// Random cells: uniform over the palette, over few colours (many ties), and mostly one colour.
Cell RandomCell(SplitMix64& random) {
    Cell c{};
    switch (random.Below(3)) {
        case 0:
            for (int& v : c) v = random.Below(kColourCount);
            break;
        case 1: {
            const std::array<int, 3> few = {random.Below(16), random.Below(16), random.Below(16)};
            for (int& v : c) v = few[static_cast<std::size_t>(random.Below(3))];
            break;
        }
        default: {
            const int ground = random.Below(kColourCount);
            for (int& v : c) v = random.Below(4) == 0 ? random.Below(kColourCount) : ground;
            break;
        }
    }
    return c;
}

std::string Show(const Cell& c) {
    std::ostringstream out;
    for (int v : c) out << v << ' ';
    return out.str();
}

TEST(FastSearch, MatchesTheOracleForEveryOverlayColour) {
    std::vector<Cell> cells = ExtremeCells();
    SplitMix64 random(0x5EA);
    while (cells.size() < ExtremeCells().size() + kRandomCells) cells.push_back(RandomCell(random));

    // The cells side by side in the mapped planes, 18 to a line, on both sides.
    ASSERT_LE(cells.size(), static_cast<std::size_t>(kPixels / 8));
    IndexPicture picture{};
    for (std::size_t n = 0; n < cells.size(); ++n) {
        for (std::size_t i = 0; i < 8; ++i)
            picture[8 * n + i] = static_cast<std::uint8_t>(cells[n][i]);
    }
    oracle::StartProgram();
    LoadOracleMapped(picture);
    auto planes = std::make_unique<ColourPlanes>();
    LoadMapped(picture, *planes);

    for (const Distance mode : {Distance::Yuv, Distance::Rgb}) {
        oracle::Form1.CheckBox2 = mode == Distance::Yuv;
        for (std::size_t n = 0; n < cells.size(); ++n) {
            const int x0 = static_cast<int>(n % 18) * 8;
            const int y = static_cast<int>(n / 18);
            const OverlayPairs fast = SearchCellPairs(PackCellColours(cells[n]), mode);
            // Every instruction set this processor runs gives the same answers.
            for (const std::string_view isa : SearchInstructionSets()) {
                const OverlayPairs other =
                    SearchCellPairsOn(isa, HistogramOf(PackCellColours(cells[n])), mode);
                ASSERT_TRUE(other.pair == fast.pair && other.score == fast.score)
                    << isa << ", cell " << Show(cells[n]);
            }
            for (int o = 0; o < kColourCount; ++o) {
                const auto slot = static_cast<std::size_t>(o);
                const int expected = oracle::FindCellPair(o, x0, y);
                const auto& pair = oracle::ColourPairTable[expected];
                ASSERT_EQ(fast.pair[slot], expected) << "cell " << Show(cells[n]) << "overlay " << o
                                                     << (mode == Distance::Yuv ? " yuv" : " rgb");
                ASSERT_EQ(fast.score[slot], oracle::CellPairError(pair[0], pair[1], o, x0, y))
                    << "cell " << Show(cells[n]) << "overlay " << o;
                ASSERT_EQ(FindCellPair(*planes, mode, o, x0, y), expected);
            }
        }
    }
}

// Only palette colours with their own Y, U, V may take the search by content; a pixel that only
// looks like one in R, G, B still counts in the RGB mode, where Y, U, V are not read.
TEST(FastSearch, TakesOnlyPalettePixels) {
    struct Row {
        const char* name;
        std::int32_t colour;
        int yOffset;
        bool yuv, rgb;  // whether the cell is taken in each mode
    };
    const Row rows[] = {
        {"palette colour", C64Palette[7], 0, true, true},
        {"Y off by one", C64Palette[7], 1, false, true},
        {"no palette colour", 0x7E352C, 0, false, false},
        {"a bit above 24", C64Palette[7] | 0x1000000, 0, false, false},
    };
    for (const Row& r : rows) {
        auto planes = std::make_unique<ColourPlanes>();
        IndexPicture grey{};
        grey.fill(12);
        LoadMapped(grey, *planes);
        planes->MappedImage[PixelSlot(3, 0)] = r.colour;
        planes->MappedY[PixelSlot(3, 0)] = kPaletteTables.PaletteY[7] + r.yOffset;
        planes->MappedU[PixelSlot(3, 0)] = kPaletteTables.PaletteU[7];
        planes->MappedV[PixelSlot(3, 0)] = kPaletteTables.PaletteV[7];
        CellColours cell = 0;
        EXPECT_EQ(MappedCellColours(*planes, Distance::Yuv, 0, 0, cell), r.yuv) << r.name;
        EXPECT_EQ(MappedCellColours(*planes, Distance::Rgb, 0, 0, cell), r.rgb) << r.name;
    }
}

// Both ways of drawing a picture from its pairs (the vector one where the processor has it) give
// the colour the rule names at every pixel.
TEST(DrawTrialPicture, ShowsTheWinningColourOfEveryPixel) {
    SplitMix64 random(0xD4A);
    auto indices = std::make_unique<std::array<std::uint8_t, kPixels>>();
    auto pairs = std::make_unique<std::array<std::uint8_t, kCells>>();
    for (std::uint8_t& c : *indices) c = static_cast<std::uint8_t>(random.Below(kColourCount));
    for (std::uint8_t& j : *pairs) j = static_cast<std::uint8_t>(random.Below(kPairCount));
    auto best = std::make_unique<Plane>();
    auto baseline = std::make_unique<Plane>();
    for (const Distance mode : {Distance::Yuv, Distance::Rgb}) {
        for (int o = 0; o < kColourCount; ++o) {
            DrawTrialPicture(mode, o, *indices, *pairs, *best);
            DrawTrialPicture(mode, o, *indices, *pairs, *baseline, true);
            for (std::size_t p = 0; p < kPixels; ++p) {
                const ColourPair pair = ColourPairTable[(*pairs)[p / 8]];
                const PaletteDistanceTable& d = PaletteDistances(mode);
                const std::size_t c = (*indices)[p];
                const auto a = static_cast<std::size_t>(pair.a);
                const auto b = static_cast<std::size_t>(pair.b);
                const auto overlay = static_cast<std::size_t>(o);
                const Winner w = ChooseWinner(d[a][c], d[b][c], d[overlay][c]);
                const std::size_t shown = w == Winner::A ? a : w == Winner::B ? b : overlay;
                ASSERT_EQ((*best)[p], C64Palette[shown]) << "pixel " << p << ", overlay " << o;
                ASSERT_EQ((*baseline)[p], C64Palette[shown]) << "pixel " << p << ", overlay " << o;
            }
        }
    }
}

}  // namespace
}  // namespace zimbor::test
