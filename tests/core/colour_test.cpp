#include <gtest/gtest.h>

#include <memory>

#include "colour/mapping.hpp"
#include "colour/palette.hpp"
#include "colour/tone.hpp"

namespace zimbor {
namespace {

TEST(Palette, TablesHoldTheComponentsAndTheirYuv) {
    // Index, R, G, B, Y, U, V.
    struct Row { int index, r, g, b, y, u, v; };
    const Row rows[] = {
        {0, 0, 0, 0, 16, 128, 128},        {1, 255, 255, 255, 235, 128, 128},
        {2, 126, 53, 43, 79, 112, 160},    {3, 110, 183, 193, 155, 143, 95},
        {4, 127, 59, 166, 94, 164, 150},   {5, 92, 160, 53, 125, 91, 105},
        {6, 51, 39, 153, 63, 176, 125},    {7, 203, 215, 101, 186, 79, 130},
        {8, 133, 83, 28, 94, 96, 153},     {9, 80, 60, 0, 66, 98, 141},
        {10, 180, 107, 97, 125, 112, 160}, {11, 74, 74, 74, 79, 128, 128},
        {12, 117, 117, 117, 116, 128, 128}, {13, 163, 231, 124, 186, 91, 105},
        {14, 112, 100, 214, 116, 176, 125}, {15, 163, 163, 163, 156, 128, 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(C64ColourNames[static_cast<std::size_t>(row.index)]);
        const auto i = static_cast<std::size_t>(row.index);
        EXPECT_EQ(kPaletteTables.PaletteRed[i], row.r);
        EXPECT_EQ(kPaletteTables.PaletteGreen[i], row.g);
        EXPECT_EQ(kPaletteTables.PaletteBlue[i], row.b);
        EXPECT_EQ(kPaletteTables.YuvOf(row.index), (Yuv{row.y, row.u, row.v}));
    }
}

TEST(Palette, RgbToYuvIsExactWhereDoublesAreNot) {
    EXPECT_EQ(RgbToYuv(0, 0, 0), (Yuv{16, 128, 128}));
    EXPECT_EQ(RgbToYuv(255, 255, 255), (Yuv{235, 128, 128}));
    // Exact whole numbers that double arithmetic puts just below.
    EXPECT_EQ(RgbToYuv(2, 156, 19).y, 97);
    EXPECT_EQ(RgbToYuv(2, 236, 148).u, 124);
    EXPECT_EQ(RgbToYuv(1, 184, 137).v, 51);
    for (int g = 0; g < 256; ++g) {
        const Yuv grey = RgbToYuv(g, g, g);
        ASSERT_EQ(grey.u, 128) << g;
        ASSERT_EQ(grey.v, 128) << g;
    }
}

TEST(Palette, Distances) {
    EXPECT_EQ(RgbDistance(0x000000, 0xFFFFFF), 765u);
    EXPECT_EQ(YuvDistance(0x000000, 0xFFFFFF), 95922u);
    EXPECT_EQ(RgbDistance(0x123456, 0x123456), 0u);
    EXPECT_EQ(YuvDistance(0x123456, 0x123456), 0u);
    EXPECT_EQ(RgbDistance(0x102030, 0x302010), 64u);
    // No two palette colours share R, G, B or Y, U, V: distance 0 means the same colour.
    for (Distance mode : {Distance::Rgb, Distance::Yuv}) {
        for (std::size_t a = 0; a < kColourCount; ++a) {
            for (std::size_t b = 0; b < kColourCount; ++b) {
                EXPECT_EQ(PaletteDistances(mode)[a][b] == 0, a == b);
                EXPECT_EQ(PaletteDistances(mode)[a][b], PaletteDistances(mode)[b][a]);
            }
        }
    }
}

TEST(Palette, PackingsSwapRedAndBlue) {
    EXPECT_EQ(PlaneToCanvas(0x7E352B), 0x002B357Eu);
    EXPECT_EQ(PlaneToCanvas(static_cast<std::int32_t>(0xFF7E352Bu)), 0x002B357Eu);
    EXPECT_EQ(CanvasToPlane(0x002B357Eu), 0x7E352B);
    EXPECT_EQ(PackPlaneColour(0x17E, 0x35, 0x2B), 0x7E352B);  // components masked to 8 bits
}

struct ToneCase {
    const char* name;
    int value, offset, brightness, contrast, expected;
};

class ToneAdjust : public testing::TestWithParam<ToneCase> {};

TEST_P(ToneAdjust, Channel) {
    const ToneCase& c = GetParam();
    EXPECT_EQ(AdjustChannel(c.value, c.offset, c.brightness, c.contrast), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToneAdjust,
    testing::Values(ToneCase{"neutral_is_identity", 77, 0, 0, 0, 77},
                    ToneCase{"contrast_minus_100_gives_grey", 3, 200, -50, -100, 128},
                    ToneCase{"contrast_minus_200_inverts_0", 0, 0, 0, -200, 255},
                    ToneCase{"contrast_minus_200_inverts_255", 255, 0, 0, -200, 1},
                    ToneCase{"truncates_toward_128_low", 1, 0, 0, -50, 65},
                    ToneCase{"truncates_toward_128_high", 255, 0, 0, -50, 191},
                    ToneCase{"contrast_minus_50_zero", 0, 0, 0, -50, 64},
                    ToneCase{"full_brightness_is_white", 0, 0, 256, 0, 255},
                    ToneCase{"no_brightness_is_black", 255, 0, -256, 0, 0},
                    ToneCase{"red_offset_clamps", 156, 100, 0, 0, 255},
                    ToneCase{"red_offset_reaches_255", 155, 100, 0, 0, 255},
                    ToneCase{"contrast_256_below_mid", 127, 0, 0, 256, 125},
                    ToneCase{"contrast_256_above_mid", 129, 0, 0, 256, 131},
                    ToneCase{"contrast_256_black", 0, 0, 0, 256, 0},
                    ToneCase{"contrast_256_white", 255, 0, 0, 256, 255},
                    ToneCase{"extremes_stay_in_range", 255, 256, 256, 256, 255}),
    [](const testing::TestParamInfo<ToneCase>& row) { return row.param.name; });

TEST(SeparateChannels, SplitsCanvasOrderAndAppliesEachChannelsOffset) {
    auto crop = std::make_unique<CanvasImage>();
    crop->fill(0x00302010u);                 // R 0x10, G 0x20, B 0x30
    (*crop)[PixelSlot(143, 167)] = 0x00FFFFFFu;
    auto planes = std::make_unique<ColourPlanes>();
    planes->MappedImage.fill(42);
    NullReporter reporter;
    SeparateChannels(*crop, Tone{.red = 1, .green = 2, .blue = 3}, *planes, reporter);
    EXPECT_EQ(planes->RedPlane[0], 0x11);
    EXPECT_EQ(planes->GreenPlane[0], 0x22);
    EXPECT_EQ(planes->BluePlane[0], 0x33);
    EXPECT_EQ(planes->RedPlane[PixelSlot(143, 167)], 255);
    EXPECT_EQ(planes->MappedImage[0], 42);  // no other plane is touched
}

TEST(NearestPaletteColour, CasesInBothModes) {
    struct Case { std::int32_t colour; std::int32_t rgb; std::int32_t yuv; };
    const Case cases[] = {
        {0x8C8C8C, 0x757575, 0x757575},  // (140,140,140): tie M Grey / L Grey -> lower index
        {0x2A2A2A, 0x7E352B, 0x4A4A4A},  // (42,42,42): RGB tie Red / D Grey -> Red
        {0x252525, 0x503C00, 0x000000},  // (37,37,37): the modes disagree
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestPaletteColour(c.colour, Distance::Rgb), c.rgb) << std::hex << c.colour;
        EXPECT_EQ(NearestPaletteColour(c.colour, Distance::Yuv), c.yuv) << std::hex << c.colour;
    }
    for (std::int32_t p : C64Palette) {
        EXPECT_EQ(NearestPaletteColour(p, Distance::Rgb), p);
        EXPECT_EQ(NearestPaletteColour(p, Distance::Yuv), p);
    }
}

TEST(MapToPalette, FillsTheMappedPlanesAndLeavesTheChannels) {
    auto planes = std::make_unique<ColourPlanes>();
    for (std::size_t i = 0; i < kPixels; ++i) {
        planes->RedPlane[i] = static_cast<int>(i % 256);
        planes->GreenPlane[i] = static_cast<int>((i / 256) % 256);
        planes->BluePlane[i] = 200;
    }
    const ColourPlanes before = *planes;
    NullReporter reporter;
    MapToPalette(*planes, Distance::Yuv, reporter);
    for (std::size_t i = 0; i < kPixels; ++i) {
        const std::int32_t m = planes->MappedImage[i];
        ASSERT_EQ(m, NearestPaletteColour(ChannelColour(before, i), Distance::Yuv));
        ASSERT_EQ((Yuv{planes->MappedY[i], planes->MappedU[i], planes->MappedV[i]}), RgbToYuv(m));
    }
    EXPECT_EQ(planes->RedPlane, before.RedPlane);
    EXPECT_EQ(planes->BluePlane, before.BluePlane);
}

}  // namespace
}  // namespace zimbor
