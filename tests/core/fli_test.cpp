#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "fli/convert.hpp"
#include "fli/pairs.hpp"
#include "fli/render.hpp"

namespace zimbor {
namespace {

// Sets MappedImage and its Y, U, V planes to palette colour `index` at (x, y).
void SetMapped(ColourPlanes& planes, int x, int y, int index) {
    const std::size_t p = PixelSlot(x, y);
    const Yuv yuv = kPaletteTables.YuvOf(index);
    planes.MappedImage[p] = C64Palette[static_cast<std::size_t>(index)];
    planes.MappedY[p] = yuv.y;
    planes.MappedU[p] = yuv.u;
    planes.MappedV[p] = yuv.v;
}

void SetCell(ColourPlanes& planes, int x0, int y, const std::array<int, 8>& colours) {
    int i = 0;
    for (int c : colours) SetMapped(planes, x0 + i++, y, c);
}

void FillMapped(ColourPlanes& planes, int index) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) SetMapped(planes, x, y, index);
    }
}

int PairIndex(int a, int b) {
    for (int j = 0; j < kPairCount; ++j) {
        const ColourPair& p = ColourPairTable[static_cast<std::size_t>(j)];
        if (p.a == a && p.b == b) return j;
    }
    return -1;
}

TEST(ColourPairTable, IsLexicographic) {
    EXPECT_EQ(PairIndex(0, 1), 0);
    EXPECT_EQ(PairIndex(0, 15), 14);
    EXPECT_EQ(PairIndex(1, 2), 15);
    EXPECT_EQ(PairIndex(14, 15), 119);
    for (std::size_t j = 1; j < kPairCount; ++j) {
        const ColourPair& p = ColourPairTable[j - 1];
        const ColourPair& q = ColourPairTable[j];
        EXPECT_TRUE(p.a < q.a || (p.a == q.a && p.b < q.b));
        EXPECT_LT(q.a, q.b);
    }
}

struct PairCase {
    const char* name;
    std::array<int, 8> pixels;
    int overlay;
    int a, b;  // the expected pair
};

class FindCellPairCases : public testing::TestWithParam<PairCase> {};

TEST_P(FindCellPairCases, BothModes) {
    const PairCase& c = GetParam();
    auto planes = std::make_unique<ColourPlanes>();
    SetCell(*planes, 40, 9, c.pixels);
    for (Distance mode : {Distance::Rgb, Distance::Yuv}) {
        EXPECT_EQ(FindCellPair(*planes, mode, c.overlay, 40, 9), PairIndex(c.a, c.b));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindCellPairCases,
    testing::Values(
        PairCase{"all_overlay", {7, 7, 7, 7, 7, 7, 7, 7}, 7, 0, 1},
        PairCase{"one_colour", {9, 9, 9, 9, 9, 9, 9, 9}, 3, 0, 9},
        PairCase{"all_black_not_overlay", {0, 0, 0, 0, 0, 0, 0, 0}, 5, 0, 1},
        PairCase{"colour_and_overlay", {12, 4, 12, 4, 4, 4, 12, 12}, 4, 0, 12},
        PairCase{"colour_and_lower_overlay", {12, 2, 12, 2, 2, 2, 12, 12}, 2, 0, 12},
        PairCase{"two_colours", {13, 6, 13, 6, 6, 6, 13, 13}, 0, 6, 13},
        PairCase{"two_colours_and_overlay", {13, 6, 1, 6, 6, 1, 13, 13}, 1, 6, 13}),
    [](const testing::TestParamInfo<PairCase>& row) { return row.param.name; });

TEST(CellPairError, SumsEachPixelsNearestOfTheThree) {
    auto planes = std::make_unique<ColourPlanes>();
    SetCell(*planes, 0, 0, {1, 1, 1, 1, 2, 2, 3, 3});
    // Pair (0, 1) with overlay 2: the two cyan pixels are left, each at its nearest of the three.
    const auto& d = kRgbPaletteDistances;
    const std::uint32_t cyan = std::min({d[0][3], d[1][3], d[2][3]});
    EXPECT_EQ(CellPairError(*planes, Distance::Rgb, 0, 1, 2, 0, 0), 2 * cyan);
    EXPECT_EQ(CellPairError(*planes, Distance::Yuv, 1, 3, 2, 0, 0), 0u);
}

TEST(ChooseWinner, TiesFollowTheRule) {
    struct Case { std::uint32_t e1, e2, e3; Winner winner; };
    const Case cases[] = {
        {1, 2, 3, Winner::A},       {2, 1, 3, Winner::B},       {3, 2, 1, Winner::Overlay},
        {1, 1, 2, Winner::B},       {1, 1, 1, Winner::Overlay}, {1, 2, 1, Winner::A},
        {2, 1, 1, Winner::Overlay}, {2, 2, 1, Winner::Overlay},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseWinner(c.e1, c.e2, c.e3), c.winner) << c.e1 << " " << c.e2 << " " << c.e3;
    }
}

struct Rendered {
    std::unique_ptr<ColourPlanes> planes = std::make_unique<ColourPlanes>();
    std::unique_ptr<C64Memory> memory = std::make_unique<C64Memory>();
};

TEST(RenderCellRow, OverlayAsFirstOrSecondPairColour) {
    Rendered r;
    // a = o and the pixel is a: a wins (e1 = e3 = 0 < e2), bitmap bit set.
    SetCell(*r.planes, 0, 0, {5, 5, 5, 5, 5, 5, 5, 5});
    RenderCellRow(*r.planes, *r.memory, Distance::Yuv, 5, 9, 5, 0, 0);
    EXPECT_EQ((*r.memory)[0x6058], 0xFF);
    EXPECT_EQ((*r.memory)[SpriteAddress(0, 0)], 0x00);
    // b = o and the pixel is b: the overlay wins, HiresLayer still shows b.
    SetCell(*r.planes, 8, 0, {9, 9, 9, 9, 9, 9, 9, 9});
    RenderCellRow(*r.planes, *r.memory, Distance::Yuv, 5, 9, 9, 8, 0);
    EXPECT_EQ((*r.memory)[0x6060], 0x00);
    EXPECT_EQ((*r.memory)[SpriteAddress(8, 0)], 0xFF);
    EXPECT_EQ(r.planes->HiresLayer[PixelSlot(8, 0)], C64Palette[9]);
    EXPECT_EQ(r.planes->SpriteLayer[PixelSlot(8, 0)], C64Palette[9]);
    EXPECT_EQ(r.planes->FinalImage[PixelSlot(8, 0)], C64Palette[9]);
}

TEST(RenderCellRow, MixedCellWritesEveryLayerAndTheBank) {
    Rendered r;
    r.planes->SpriteLayer.fill(0x123456);
    // Pixels: a, b, overlay, a, b, overlay, a, b with pair (2, 6) and overlay 14, line 9.
    SetCell(*r.planes, 16, 9, {2, 6, 14, 2, 6, 14, 2, 6});
    RenderCellRow(*r.planes, *r.memory, Distance::Rgb, 2, 6, 14, 16, 9);
    const std::int32_t a = C64Palette[2], b = C64Palette[6], o = C64Palette[14];
    const std::int32_t final_[8] = {a, b, o, a, b, o, a, b};
    const std::int32_t hires[8] = {a, b, b, a, b, b, a, b};
    const std::int32_t sprite[8] = {0x123456, 0x123456, o, 0x123456, 0x123456, o, 0x123456,
                                    0x123456};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(r.planes->FinalImage[PixelSlot(16 + i, 9)], final_[i]) << i;
        EXPECT_EQ(r.planes->HiresLayer[PixelSlot(16 + i, 9)], hires[i]) << i;
        EXPECT_EQ(r.planes->SpriteLayer[PixelSlot(16 + i, 9)], sprite[i]) << i;
    }
    EXPECT_EQ((*r.memory)[0x4400 + 40 + 11 + 2], 0x26);              // screen 1, row 1, column 13
    EXPECT_EQ((*r.memory)[BitmapAddress(16, 9)], 0b1001'0010);       // the a pixels
    EXPECT_EQ((*r.memory)[SpriteAddress(16, 9)], 0b0010'0100);       // the overlay pixels
}

TEST(RenderCellRow, EquidistantPixelIsDrawnInB) {
    // Search the palette for a pixel colour exactly as far from a as from b and farther from o.
    const auto& d = kRgbPaletteDistances;
    for (int p = 0; p < kColourCount; ++p) {
        for (int a = 0; a < kColourCount; ++a) {
            for (int b = a + 1; b < kColourCount; ++b) {
                for (int o = 0; o < kColourCount; ++o) {
                    const auto pa = d[static_cast<std::size_t>(a)][static_cast<std::size_t>(p)];
                    const auto pb = d[static_cast<std::size_t>(b)][static_cast<std::size_t>(p)];
                    const auto po = d[static_cast<std::size_t>(o)][static_cast<std::size_t>(p)];
                    if (pa != pb || po <= pa) continue;
                    Rendered r;
                    SetMapped(*r.planes, 0, 0, p);
                    RenderCellRow(*r.planes, *r.memory, Distance::Rgb, a, b, o, 0, 0);
                    EXPECT_EQ(r.planes->FinalImage[0], C64Palette[static_cast<std::size_t>(b)]);
                    EXPECT_EQ((*r.memory)[0x6058] & 0x80, 0);
                    return;
                }
            }
        }
    }
    FAIL() << "no equidistant triple in the palette";
}

TEST(PixelErrorPercent, IsTheExactIntegerPart) {
    // The floating-point formula shows 24, 49, 74 and 99 for exactly 25, 50, 75 and 100 percent.
    const int cases[][2] = {{0, 0},      {6047, 24},  {6048, 25},  {6049, 25},
                            {12096, 50}, {18144, 75}, {24191, 99}, {24192, 100}};
    for (const auto& c : cases) EXPECT_EQ(PixelErrorPercent(c[0]), c[1]) << c[0];
}

struct FlatCase {
    const char* name;
    int colour;
    int overlay;
    std::int32_t spriteBackground;
    std::uint8_t bitmap;
};

class FlatPicture : public testing::TestWithParam<FlatCase> {};

TEST_P(FlatPicture, ConvertsExactly) {
    const FlatCase& c = GetParam();
    auto state = std::make_unique<ConversionState>();
    FillMapped(state->planes, c.colour);
    NullReporter reporter;
    ConvertToHiresFli(*state, Distance::Yuv, 0, reporter);
    EXPECT_EQ(state->displayerTemplate[kOverlayColourByte], c.overlay);
    EXPECT_EQ(LayerError(state->planes, Distance::Yuv), 0u);
    EXPECT_EQ(DifferingPixels(state->planes), 0);
    for (std::size_t p = 0; p < kPixels; ++p) {
        ASSERT_EQ(state->planes.SpriteLayer[p], c.spriteBackground);
        ASSERT_EQ(state->planes.FinalImage[p], C64Palette[static_cast<std::size_t>(c.colour)]);
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            ASSERT_EQ(state->memory[static_cast<std::size_t>(ScreenAddress(x0, y))], 0x01);
            ASSERT_EQ(state->memory[static_cast<std::size_t>(BitmapAddress(x0, y))], c.bitmap);
            ASSERT_EQ(state->memory[static_cast<std::size_t>(SpriteAddress(x0, y))], 0);
        }
    }
    EXPECT_TRUE(state->conversionDone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlatPicture,
    testing::Values(
        // Every trial scores 0 and colour 0 wins: pair (0, 1), every bit set, grey sprite layer.
        FlatCase{"black", 0, 0, 0xA3A3A3, 0xFF},
        // Trial 0 already scores 0: every pixel is won by b (white), all bits clear.
        FlatCase{"white", 1, 0, 0xA3A3A3, 0x00}),
    [](const testing::TestParamInfo<FlatCase>& row) { return row.param.name; });

TEST(ConvertToHiresFli, OverlayOnEveryPixelOfItsColour) {
    // A cell row whose 8 pixels all have the overlay colour o: pair (0, 1), all sprite bits.
    auto planes = std::make_unique<ColourPlanes>();
    auto memory = std::make_unique<C64Memory>();
    SetCell(*planes, 64, 100, {13, 13, 13, 13, 13, 13, 13, 13});
    const ColourPair pair = ColourPairTable[static_cast<std::size_t>(
        FindCellPair(*planes, Distance::Yuv, 13, 64, 100))];
    RenderCellRow(*planes, *memory, Distance::Yuv, pair.a, pair.b, 13, 64, 100);
    EXPECT_EQ((*memory)[static_cast<std::size_t>(ScreenAddress(64, 100))], 0x01);
    EXPECT_EQ((*memory)[static_cast<std::size_t>(SpriteAddress(64, 100))], 0xFF);
    EXPECT_EQ((*memory)[static_cast<std::size_t>(BitmapAddress(64, 100))], 0x00);
    EXPECT_EQ(planes->HiresLayer[PixelSlot(64, 100)], C64Palette[1]);
    EXPECT_EQ(planes->FinalImage[PixelSlot(71, 100)], C64Palette[13]);
}

TEST(ConvertToHiresFli, EqualTotalsChooseTheLowerColour) {
    // Red, cyan and yellow in turn: every cell row holds all three, so only the overlay colours
    // red, cyan and yellow let the pair take the other two and score 0. The lowest, red, wins.
    constexpr int kCycle[3] = {2, 3, 7};
    auto state = std::make_unique<ConversionState>();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) SetMapped(state->planes, x, y, kCycle[x % 3]);
    }
    NullReporter reporter;
    ConvertToHiresFli(*state, Distance::Rgb, 0, reporter);
    EXPECT_EQ(state->displayerTemplate[kOverlayColourByte], 2);
    EXPECT_EQ(DifferingPixels(state->planes), 0);
}

}  // namespace
}  // namespace zimbor
