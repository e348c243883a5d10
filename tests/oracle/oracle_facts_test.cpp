// The oracle against numbers worked out by hand from the conversion's rules, so that it is known
// to be right on its own and is not merely a second copy of whatever the fast code does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/oracle/oracle.hpp"
#include "tests/support/pictures.hpp"
#include "tests/support/recording_reporter.hpp"

namespace {

using zimbor::test::Canvas;

constexpr std::int32_t Rgb(int r, int g, int b) {
    return (r << 16) | (g << 8) | b;
}

int Index(int x, int y) {
    return y * 144 + x;
}

void SetPixel(int x, int y, int r, int g, int b) {
    oracle::RedPlane[Index(x, y)] = r;
    oracle::GreenPlane[Index(x, y)] = g;
    oracle::BluePlane[Index(x, y)] = b;
}

std::int32_t PixelOf(int x, int y) {
    const int i = Index(x, y);
    return Rgb(oracle::RedPlane[i], oracle::GreenPlane[i], oracle::BluePlane[i]);
}

class OracleFacts : public ::testing::Test {
  protected:
    void SetUp() override { oracle::StartProgram(); }
};

// Y/U/V whose exact value is whole, where double arithmetic would come out one lower; the ties
// of the nearest colour go to the lower index, and the two distances can disagree.
TEST_F(OracleFacts, YuvAndNearestColour) {
    EXPECT_EQ(oracle::RgbToYuv(2, 156, 19).Y, 97);
    EXPECT_EQ(oracle::RgbToYuv(2, 236, 148).U, 124);
    EXPECT_EQ(oracle::RgbToYuv(1, 184, 137).V, 51);

    struct Row {
        std::int32_t colour;
        bool yuv;
        std::int32_t nearest;
    };
    const Row rows[] = {
        {Rgb(140, 140, 140), false, 0x757575},  // M Grey and L Grey tie at 69
        {Rgb(140, 140, 140), true, 0x757575},   // and at 800
        {Rgb(42, 42, 42), false, 0x7E352B},     // Red and D Grey tie at 96
        {Rgb(37, 37, 37), false, 0x503C00},     // Brown in RGB
        {Rgb(37, 37, 37), true, 0x000000},      // Black in YUV
    };
    for (const Row& row : rows) {
        oracle::Form1.CheckBox2 = row.yuv;
        oracle::Form1.CheckBox4 = false;
        EXPECT_EQ(oracle::NearestPaletteColour(row.colour), row.nearest) << std::hex << row.colour;
    }
    // "Skip YUV Color reduction" turns the YUV mode off for the reduction only.
    oracle::Form1.CheckBox2 = true;
    oracle::Form1.CheckBox4 = true;
    EXPECT_EQ(oracle::NearestPaletteColour(Rgb(37, 37, 37)), 0x503C00);
}

TEST_F(OracleFacts, ToneAdjustment) {
    struct Row {
        int red, brightness, contrast;
        int in, out;  // the same value in all three channels, red offset on red only
        int outRed;
    };
    const Row rows[] = {
        {0, 0, -50, 1, 65, 65},      // -6350 / 100 = -63, truncated toward 128
        {0, 0, -50, 255, 191, 191},  // 6350 / 100 = 63
        {0, 0, -200, 0, 255, 255},   // inverted about 128: 256 clamped
        {0, 0, -200, 255, 1, 1},     // 255 becomes 1
        {0, 0, 256, 127, 125, 125},  // -356 / 100 = -3
        {0, 0, -100, 17, 128, 128},  // factor 0: mid grey
        {0, 256, 0, 3, 255, 255},    // brightness 256: white
        {100, 0, 0, 156, 156, 255},  // red offset on red alone
    };
    for (const Row& row : rows) {
        oracle::Form1 = oracle::MainWindowControls{};
        oracle::Form1.TrackBar1 = row.red;
        oracle::Form1.TrackBar4 = row.brightness;
        oracle::Form1.TrackBar5 = row.contrast;
        oracle::WorkingImage[Index(5, 7)] = Canvas(row.in, row.in, row.in);
        oracle::SeparateChannels();
        EXPECT_EQ(PixelOf(5, 7), Rgb(row.outRed, row.out, row.out))
            << "in " << row.in << ", contrast " << row.contrast;
    }
}

// The grey (200, 200, 200) at (10, 5) chooses L Grey: e = 37, q = 9 in every channel.
TEST_F(OracleFacts, ErrorDiffusionShares) {
    for (int i = 0; i < oracle::PlaneSize; ++i) SetPixel(i % 144, i / 144, 100, 100, 100);
    const std::int32_t current = Rgb(200, 200, 200);
    for (const bool yuv : {false, true}) {
        oracle::Form1.CheckBox2 = yuv;
        EXPECT_EQ(oracle::NearestPaletteColour(current), 0xA3A3A3);
    }
    oracle::DiffuseError(10, 5, 0xA3A3A3, current);
    EXPECT_EQ(PixelOf(10, 5), 0xA3A3A3);
    EXPECT_EQ(PixelOf(11, 5), Rgb(100, 118, 118));  // green and blue 2q to the next pixel
    EXPECT_EQ(PixelOf(12, 5), Rgb(118, 100, 100));  // red 2q two to the right
    EXPECT_EQ(PixelOf(10, 6), Rgb(109, 109, 109));
    EXPECT_EQ(PixelOf(9, 6), Rgb(109, 109, 109));

    // e = -5 gives q = -1 (truncated toward zero), errors of -3..3 are lost; from x = 0 the
    // share below-left lands on the end of the same row, from x = 143 the right-hand share on
    // the next row.
    SetPixel(143, 20, 100, 100, 100);
    oracle::DiffuseError(0, 20, Rgb(5, 3, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelOf(143, 20), Rgb(99, 100, 100));
    EXPECT_EQ(PixelOf(2, 20), Rgb(98, 100, 100));
    oracle::DiffuseError(143, 30, Rgb(0, 0, 0), Rgb(40, 40, 40));
    EXPECT_EQ(PixelOf(0, 31), Rgb(100, 120, 120));
    EXPECT_EQ(PixelOf(1, 31), Rgb(120, 100, 100));

    // On the last row the shares aimed below are dropped, the wrap to (143, 167) is not, and a
    // share stops at 255.
    SetPixel(143, 167, 250, 250, 250);
    oracle::DiffuseError(0, 167, Rgb(0, 0, 0), Rgb(40, 40, 40));
    EXPECT_EQ(PixelOf(143, 167), Rgb(255, 255, 255));
}

TEST_F(OracleFacts, OrderedDitherPixel) {
    struct Row {
        bool selective;
        int x, y;
        std::int32_t in, out;
    };
    const Row rows[] = {
        {false, 0, 0, Rgb(100, 100, 100), Rgb(96, 96, 96)},
        {false, 1, 0, Rgb(100, 100, 100), Rgb(48, 48, 48)},
        {false, 3, 0, Rgb(100, 100, 100), Rgb(36, 36, 36)},
        {false, 0, 3, Rgb(100, 100, 100), Rgb(56, 56, 56)},
        {false, 3, 0, Rgb(20, 200, 30), Rgb(0, 136, 0)},
        {false, 2, 2, Rgb(0, 0, 0), Rgb(0, 0, 0)},
        {true, 0, 0, Rgb(127, 54, 44), Rgb(126, 53, 43)},
        {true, 0, 0, Rgb(128, 53, 43), Rgb(124, 49, 39)},  // just outside Red: darkened
        {true, 5, 9, Rgb(5, 3, 7), Rgb(0, 0, 0)},
        {true, 5, 9, Rgb(250, 255, 248), Rgb(255, 255, 255)},
        {true, 0, 0, Rgb(8, 0, 0), Rgb(4, 0, 0)},
        {true, 1, 1, Rgb(80, 60, 5), Rgb(80, 60, 0)},  // Brown's window ends at blue 5
        {true, 0, 0, Rgb(80, 60, 6), Rgb(76, 56, 2)},
        {true, 7, 7, 0x7064D6, 0x7064D6},  // a palette colour keeps itself
    };
    for (const Row& row : rows) {
        oracle::Form1.RadioButton2 = !row.selective;
        oracle::Form1.RadioButton3 = row.selective;
        SetPixel(row.x, row.y, (row.in >> 16) & 0xFF, (row.in >> 8) & 0xFF, row.in & 0xFF);
        oracle::OrderedDitherPixel(row.x, row.y, 4);
        EXPECT_EQ(PixelOf(row.x, row.y), row.out)
            << std::hex << row.in << " at " << std::dec << row.x << ", " << row.y;
    }
}

// Fills the cell row at (8, 4) of the mapped planes with palette colours given by index.
void MapCellRow(const int (&colours)[8]) {
    for (int i = 0; i < 8; ++i) {
        const std::int32_t c = oracle::C64Palette[colours[i]];
        const int p = Index(8 + i, 4);
        oracle::MappedImage[p] = c;
        const oracle::YUV yuv = oracle::RgbToYuv((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        oracle::MappedY[p] = yuv.Y;
        oracle::MappedU[p] = yuv.U;
        oracle::MappedV[p] = yuv.V;
    }
}

TEST_F(OracleFacts, CellPairSearch) {
    struct Row {
        const char* what;
        int colours[8];
        int overlay;
        int a, b;
    };
    const Row rows[] = {
        {"all overlay", {7, 7, 7, 7, 7, 7, 7, 7}, 7, 0, 1},
        {"all one colour", {9, 9, 9, 9, 9, 9, 9, 9}, 3, 0, 9},
        {"all black", {0, 0, 0, 0, 0, 0, 0, 0}, 3, 0, 1},
        {"one colour and the overlay", {12, 4, 12, 4, 4, 4, 12, 12}, 4, 0, 12},
        {"two colours", {13, 6, 6, 13, 6, 13, 13, 13}, 2, 6, 13},
    };
    for (const bool yuv : {false, true}) {
        oracle::Form1.CheckBox2 = yuv;
        for (const Row& row : rows) {
            MapCellRow(row.colours);
            const int j = oracle::FindCellPair(row.overlay, 8, 4);
            EXPECT_EQ(oracle::ColourPairTable[j][0], row.a) << row.what;
            EXPECT_EQ(oracle::ColourPairTable[j][1], row.b) << row.what;
        }
    }
}

// A cell row of nothing but the overlay colour is drawn with the pair (0, 1): with o = 7 the
// overlay wins every pixel (sprite bits, no bitmap bits, white beneath), with o = 0 colour a wins
// every pixel (bitmap byte $FF, no sprite bits).
TEST_F(OracleFacts, RenderingAllOverlayCellRow) {
    struct Row {
        int overlay;
        std::uint8_t bitmap, sprite;
        std::int32_t hires, final;
    };
    const Row rows[] = {
        {7, 0x00, 0xFF, 0xFFFFFF, 0xCBD765},
        {0, 0xFF, 0x00, 0x000000, 0x000000},
    };
    for (const Row& row : rows) {
        oracle::StartProgram();
        const int colours[8] = {row.overlay, row.overlay, row.overlay, row.overlay,
                                row.overlay, row.overlay, row.overlay, row.overlay};
        MapCellRow(colours);
        const int j = oracle::FindCellPair(row.overlay, 8, 4);
        oracle::RenderCellRow(oracle::ColourPairTable[j][0], oracle::ColourPairTable[j][1],
                              row.overlay, 8, 4);
        // Line 4: screen 4, character row 0, column 12; bitmap $6058 + 8 + 4; sprite 0 byte 1 of
        // row 4 of the block of pointer row 3, block 173.
        EXPECT_EQ(oracle::C64Memory[0x4000 + 4 * 0x400 + 12], 0x01);
        EXPECT_EQ(oracle::C64Memory[0x6058 + 8 + 4], row.bitmap);
        EXPECT_EQ(oracle::C64Memory[0x4000 + 173 * 64 + 3 * 4 + 1], row.sprite);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(oracle::HiresLayer[Index(8 + i, 4)], row.hires);
            EXPECT_EQ(oracle::FinalImage[Index(8 + i, 4)], row.final);
        }
    }
}

// The addresses of the bank writers at the picture's corners.
TEST_F(OracleFacts, BankAddresses) {
    EXPECT_EQ(oracle::SpriteRowAddressTable[0][0], 0x7A40);
    EXPECT_EQ(oracle::SpriteRowAddressTable[1][5], 0x6383);
    EXPECT_EQ(oracle::SpriteRowAddressTable[21][0], 0x6F00);
    EXPECT_EQ(oracle::SpriteRowAddressTable[167][5], 0x7A3C);

    oracle::SetBitmapBit(0, 0, 0);
    EXPECT_EQ(oracle::C64Memory[0x6058], 0x80);
    oracle::SetBitmapBit(136, 167, 7);
    EXPECT_EQ(oracle::C64Memory[0x79E7], 0x01);
    oracle::SetSpriteBit(136, 167, 7);
    EXPECT_EQ(oracle::C64Memory[0x7A3E], 0x01);
    oracle::PutScreenColours(0, 9, 6, 14);
    EXPECT_EQ(oracle::C64Memory[0x4433], 0x6E);

    // No item selected in the background box.
    oracle::FillBackground(-1);
    EXPECT_EQ(oracle::DisplayerTemplateByte26, 0xFF);
    EXPECT_EQ(oracle::C64Memory[0x4000], 0xEF);
    EXPECT_EQ(oracle::C64Memory[0x4000 + 7 * 0x400 + 999], 0xEF);
    EXPECT_EQ(oracle::C64Memory[0x4000 + 7 * 0x400 + 1000], 0x00);
}

// The percentage is the exact integer part of 100 * count / 24192.
TEST_F(OracleFacts, PixelErrorPercentage) {
    struct Row {
        int differing;
        const char* text;
    };
    const Row rows[] = {{0, "0"},     {241, "0"},   {242, "1"},    {6047, "24"},
                        {6048, "25"}, {6049, "25"}, {12096, "50"}, {24192, "100"}};
    for (const Row& row : rows) {
        for (int i = 0; i < oracle::PlaneSize; ++i) {
            oracle::MappedImage[i] = 0x000000;
            oracle::FinalImage[i] = i < row.differing ? 0xFFFFFF : 0x000000;
        }
        zimbor::test::RecordingReporter recorder;
        oracle::Screen = &recorder;
        oracle::ShowPixelError();
        ASSERT_EQ(recorder.Events().size(), 1u);
        EXPECT_EQ(recorder.Events()[0].text, row.text) << row.differing;
    }
}

// Whole conversions of a single colour: every trial of an all-black picture scores 0, so overlay
// colour 0 wins, the sprite preview is light grey, every bitmap bit is set; in an all-white
// picture every pixel is won by b with clear bits and screen bytes $01.
TEST_F(OracleFacts, SingleColourConversions) {
    struct Row {
        int colour;
        std::uint8_t bitmap;
    };
    for (const Row row : {Row{0, 0xFF}, Row{1, 0x00}}) {
        oracle::StartProgram();
        oracle::Form1.RadioButton3 = false;
        oracle::Form1.RadioButton4 = true;
        const zimbor::CanvasImage picture = zimbor::test::FlatPaletteColour(row.colour);
        for (int i = 0; i < oracle::PlaneSize; ++i)
            oracle::WorkingImage[i] = picture[static_cast<std::size_t>(i)];
        zimbor::test::RecordingReporter recorder;
        oracle::Screen = &recorder;
        oracle::Button1Click();

        // The pair (0, 1) reproduces the picture exactly whatever the overlay colour.
        for (int n = 0; n < 16; ++n) EXPECT_EQ(oracle::OverlayResults[n].total, 0u) << n;
        EXPECT_EQ(oracle::DisplayerTemplateByte25, 0);
        EXPECT_EQ(oracle::ConversionDone, 1);
        for (int i = 0; i < oracle::PlaneSize; ++i)
            ASSERT_EQ(oracle::SpriteLayer[i], 0xA3A3A3) << i;
        for (int y = 0; y < 168; ++y) {
            for (int x0 = 0; x0 < 144; x0 += 8) {
                ASSERT_EQ(oracle::C64Memory[0x6058 + (y / 8) * 320 + x0 + y % 8], row.bitmap);
                ASSERT_EQ(oracle::C64Memory[0x4000 + (y % 8) * 0x400 + (y / 8) * 40 + 11 + x0 / 8],
                          0x01);
            }
        }
        const auto& events = recorder.Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[events.size() - 2].text, "0");  // Label8
        EXPECT_EQ(events.back().text, "Processed                  ");
    }
}

// The driver's order of stages and reports in the cheapest mode: "None" with "Preview Only".
TEST_F(OracleFacts, PreviewOnlyReports) {
    oracle::Form1.RadioButton3 = false;
    oracle::Form1.RadioButton4 = true;
    oracle::Form1.CheckBox3 = true;
    zimbor::test::RecordingReporter recorder;
    oracle::Screen = &recorder;
    oracle::Button1Click();

    std::vector<std::string> seen;
    for (const auto& e : recorder.Events()) {
        if (e.kind != zimbor::test::EventKind::Progress) seen.push_back(zimbor::test::Describe(e));
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0], "Status(\"Seperating R,G,B channels                  \")");
    EXPECT_EQ(seen[1], "Status(\"Mapping to closest c64 colors\")");
    EXPECT_EQ(seen[2].substr(0, 17), "ShowPlane(Mapped,");
    EXPECT_EQ(seen[3], "ClearPreviews()");
    EXPECT_EQ(seen[4], seen[2]);
    EXPECT_EQ(seen[5], "Status(\"C64 color conversion only  \")");
    // Two stages, each 0..167 and back to 0.
    EXPECT_EQ(recorder.Events().size(), 6u + 2u * 169u);
    EXPECT_EQ(oracle::ConversionDone, 0);
}

}  // namespace
