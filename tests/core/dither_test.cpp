#include <gtest/gtest.h>

#include <memory>

#include "colour/dither.hpp"
#include "colour/mapping.hpp"

namespace zimbor {
namespace {

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Rgb& c) {
        return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    }
};

std::unique_ptr<ColourPlanes> FilledPlanes(Rgb c) {
    auto planes = std::make_unique<ColourPlanes>();
    planes->RedPlane.fill(c.r);
    planes->GreenPlane.fill(c.g);
    planes->BluePlane.fill(c.b);
    return planes;
}

void Set(ColourPlanes& planes, int x, int y, Rgb c) {
    const std::size_t i = PixelSlot(x, y);
    planes.RedPlane[i] = c.r;
    planes.GreenPlane[i] = c.g;
    planes.BluePlane[i] = c.b;
}

Rgb At(const ColourPlanes& planes, int x, int y) {
    const std::size_t i = PixelSlot(x, y);
    return Rgb{planes.RedPlane[i], planes.GreenPlane[i], planes.BluePlane[i]};
}

TEST(DitherMatrix, IsTheBayerMatrixIndexedByXThenY) {
    // Rows are x mod 4, columns y mod 4.
    const int expected[4][4] = {{1, 9, 3, 11}, {13, 5, 15, 7}, {4, 12, 2, 10}, {16, 8, 14, 6}};
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) EXPECT_EQ(DitherMatrixEntry(x + 4, y + 8), expected[x][y]);
    }
}

TEST(SelectiveWindows, EveryPaletteColourLiesInItsOwnWindowOnly) {
    for (std::size_t c = 0; c < kColourCount; ++c) {
        const std::int32_t p = C64Palette[c];
        for (const SelectiveWindow& w : SelectiveWindows) {
            EXPECT_EQ(w.Holds(RedOf(p), GreenOf(p), BlueOf(p)), w.colour == static_cast<int>(c))
                << C64ColourNames[c];
        }
    }
}

struct OrderedCase {
    const char* name;
    bool selective;
    int x, y;
    Rgb in, out;
};

class OrderedDitherCases : public testing::TestWithParam<OrderedCase> {};

TEST_P(OrderedDitherCases, Pixel) {
    const OrderedCase& c = GetParam();
    auto planes = FilledPlanes({0, 0, 0});
    Set(*planes, c.x, c.y, c.in);
    OrderedDitherPixel(*planes, c.x, c.y, kOrderedDitherStrength, c.selective);
    EXPECT_EQ(At(*planes, c.x, c.y), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderedDitherCases,
    testing::Values(
        OrderedCase{"forced_at_0_0", false, 0, 0, {100, 100, 100}, {96, 96, 96}},
        OrderedCase{"forced_at_1_0", false, 1, 0, {100, 100, 100}, {48, 48, 48}},
        OrderedCase{"forced_at_3_0", false, 3, 0, {100, 100, 100}, {36, 36, 36}},
        OrderedCase{"forced_at_0_3", false, 0, 3, {100, 100, 100}, {56, 56, 56}},
        OrderedCase{"forced_clamps_at_0", false, 3, 0, {20, 200, 30}, {0, 136, 0}},
        OrderedCase{"forced_black_stays", false, 2, 2, {0, 0, 0}, {0, 0, 0}},
        OrderedCase{"forced_ignores_windows", false, 0, 0, {126, 53, 43}, {122, 49, 39}},
        OrderedCase{"red_window_snaps", true, 0, 0, {127, 54, 44}, {126, 53, 43}},
        OrderedCase{"just_outside_red_window", true, 0, 0, {128, 53, 43}, {124, 49, 39}},
        OrderedCase{"black_window", true, 5, 5, {5, 3, 7}, {0, 0, 0}},
        OrderedCase{"white_window", true, 5, 5, {250, 255, 248}, {255, 255, 255}},
        OrderedCase{"just_outside_black_window", true, 0, 0, {8, 0, 0}, {4, 0, 0}},
        OrderedCase{"brown_window_edge", true, 0, 0, {80, 60, 5}, {80, 60, 0}},
        OrderedCase{"just_outside_brown_window", true, 0, 0, {80, 60, 6}, {76, 56, 2}},
        OrderedCase{"palette_colour_kept", true, 3, 1, {0x70, 0x64, 0xD6}, {0x70, 0x64, 0xD6}}),
    [](const testing::TestParamInfo<OrderedCase>& row) { return row.param.name; });

TEST(ErrorDiffusion, GreyPassesItsQuartersToItsNeighbours) {
    for (Distance mode : {Distance::Rgb, Distance::Yuv}) {
        auto planes = FilledPlanes({0, 0, 0});
        Set(*planes, 10, 5, {200, 200, 200});
        const std::int32_t current = PackPlaneColour(200, 200, 200);
        const std::int32_t chosen = NearestPaletteColour(current, mode);
        ASSERT_EQ(chosen, 0xA3A3A3);  // L Grey; e = 37, q = 9 in every channel
        DiffuseError(*planes, 10, 5, chosen, current);
        EXPECT_EQ(At(*planes, 10, 5), (Rgb{163, 163, 163}));
        EXPECT_EQ(At(*planes, 12, 5), (Rgb{18, 0, 0}));   // red's double share, two to the right
        EXPECT_EQ(At(*planes, 11, 5), (Rgb{0, 18, 18}));  // green's and blue's, one to the right
        EXPECT_EQ(At(*planes, 10, 6), (Rgb{9, 9, 9}));
        EXPECT_EQ(At(*planes, 9, 6), (Rgb{9, 9, 9}));
    }
}

TEST(ErrorDiffusion, QuartersTruncateTowardZeroAndSmallErrorsVanish) {
    auto planes = FilledPlanes({100, 100, 100});
    // Red e = -5 (q = -1), green e = 3 (q = 0), blue e = -3 (q = 0).
    DiffuseError(*planes, 20, 20, PackPlaneColour(105, 97, 103), PackPlaneColour(100, 100, 100));
    EXPECT_EQ(At(*planes, 22, 20), (Rgb{98, 100, 100}));
    EXPECT_EQ(At(*planes, 21, 20), (Rgb{100, 100, 100}));
    EXPECT_EQ(At(*planes, 20, 21), (Rgb{99, 100, 100}));
    EXPECT_EQ(At(*planes, 19, 21), (Rgb{99, 100, 100}));
}

TEST(ErrorDiffusion, SharesWrapAtTheSidesAndDropBelowTheLastRow) {
    auto planes = FilledPlanes({100, 100, 100});
    // From x = 0 the share aimed below-left lands on (143, y) of the same row.
    DiffuseError(*planes, 0, 7, PackPlaneColour(60, 60, 60), PackPlaneColour(100, 100, 100));
    EXPECT_EQ(At(*planes, 143, 7), (Rgb{110, 110, 110}));
    // From x = 143 the right-hand share lands on (0, y + 1); red's on (1, y + 1).
    DiffuseError(*planes, 143, 9, PackPlaneColour(60, 60, 60), PackPlaneColour(100, 100, 100));
    EXPECT_EQ(At(*planes, 0, 10), (Rgb{100, 120, 120}));
    EXPECT_EQ(At(*planes, 1, 10), (Rgb{120, 100, 100}));
    // On the last row only the wrap from x = 0 and the shares to the right stay in the picture.
    auto last = FilledPlanes({100, 100, 100});
    DiffuseError(*last, 0, 167, PackPlaneColour(60, 60, 60), PackPlaneColour(100, 100, 100));
    EXPECT_EQ(At(*last, 143, 167), (Rgb{110, 110, 110}));
    DiffuseError(*last, 143, 167, PackPlaneColour(60, 60, 60), PackPlaneColour(100, 100, 100));
    EXPECT_EQ(At(*last, 142, 167), (Rgb{100, 100, 100}));
}

TEST(ErrorDiffusion, SharesClampAtOnce) {
    auto planes = FilledPlanes({250, 2, 128});
    // Red e = 250 - 0 = 250 (q = 62) pushes past 255; green e = 2 - 255 (q = -63) below 0.
    DiffuseError(*planes, 50, 50, PackPlaneColour(0, 255, 128), PackPlaneColour(250, 2, 128));
    EXPECT_EQ(At(*planes, 52, 50).r, 255);
    EXPECT_EQ(At(*planes, 51, 50).g, 0);
    EXPECT_EQ(At(*planes, 50, 51), (Rgb{255, 0, 128}));
}

TEST(ErrorDiffusion, LeavesOnlyPaletteColoursThatTheMappingKeeps) {
    for (Distance mode : {Distance::Rgb, Distance::Yuv}) {
        auto planes = std::make_unique<ColourPlanes>();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) Set(*planes, x, y, {x + 50, y, (x * y) % 256});
        }
        NullReporter reporter;
        ErrorDiffusionDither(*planes, mode, reporter);
        MapToPalette(*planes, mode, reporter);
        for (std::size_t i = 0; i < kPixels; ++i) {
            ASSERT_EQ(ChannelColour(*planes, i), planes->MappedImage[i]) << i;
        }
    }
}

}  // namespace
}  // namespace zimbor
