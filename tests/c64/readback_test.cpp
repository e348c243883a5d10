#include "c64/readback.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <iterator>

#include "c64/files.hpp"
#include "conversions.hpp"

namespace zimbor {
namespace {

using testing::Convert;

// The first differing pixel, for a readable failure instead of 24192 numbers.
std::string FirstDifference(const Plane& got, const Plane& expected) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t p = PixelSlot(x, y);
            if (got[p] != expected[p]) {
                char text[80];
                std::snprintf(text, sizeof text, "pixel (%d, %d): %06X, expected %06X", x, y,
                              static_cast<unsigned>(got[p]), static_cast<unsigned>(expected[p]));
                return text;
            }
        }
    }
    return "";
}

// ---------------------------------------------------------------------------------------------
// Round trip: both files of a conversion show exactly its FinalImage.
// ---------------------------------------------------------------------------------------------

struct RoundTrip {
    const char* name;
    std::function<std::unique_ptr<CanvasImage>()> picture;
    Settings settings;
};

const RoundTrip kRoundTrips[] = {
    {"noise 1, selective, YUV", [] { return testing::Noise(1); }, {}},
    {"noise 2, custom, YUV", [] { return testing::Noise(2); }, {.dither = DitherMode::Custom}},
    {"noise 3, forced, RGB",
     [] { return testing::Noise(3); },
     {.dither = DitherMode::Forced, .yuvDistance = false, .background = 6}},
    {"noise 4, none, RGB",
     [] { return testing::Noise(4); },
     {.dither = DitherMode::None, .yuvDistance = false, .background = 15}},
    {"noise 5, custom, RGB",
     [] { return testing::Noise(5); },
     {.dither = DitherMode::Custom, .yuvDistance = false, .background = 1}},
    {"gradient, selective, RGB",
     [] { return testing::Gradient(); },
     {.yuvDistance = false, .background = 9}},
    {"gradient, custom, YUV",
     [] { return testing::Gradient(); },
     {.dither = DitherMode::Custom, .background = 2}},
    {"gradient, forced, YUV, skip YUV reduction",
     [] { return testing::Gradient(); },
     {.dither = DitherMode::Forced, .skipYuvReduction = true}},
    {"gradient, none, YUV",
     [] { return testing::Gradient(); },
     {.dither = DitherMode::None, .background = 14}},
    {"flat black", [] { return testing::Flat(0); }, {.dither = DitherMode::None}},
    {"flat white",
     [] { return testing::Flat(testing::Canvas(255, 255, 255)); },
     {.dither = DitherMode::None, .background = 6}},
    {"flat orange, selective", [] { return testing::Flat(testing::Canvas(200, 120, 40)); }, {}},
    {"cat crop, selective, YUV",
     [] { return testing::DataPicture("cat-crop.ppm"); },
     {.background = 11}},
    {"photo crop, custom, RGB",
     [] { return testing::DataPicture("photo-crop.ppm"); },
     {.dither = DitherMode::Custom, .yuvDistance = false}},
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << c.name;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, BothFilesShowTheFinalImage) {
    const RoundTrip& c = GetParam();
    const auto state = Convert(*c.picture(), c.settings);
    const Plane& expected = state->planes.FinalImage;
    const int overlay = state->displayerTemplate[kOverlayColourByte];

    const ProgramBuffer prg = BuildProgramBuffer(state->displayerTemplate, state->memory);
    const ShownPicture fromProgram = ReadProgramFile(prg);
    EXPECT_EQ(FirstDifference(fromProgram.pixels, expected), "");
    EXPECT_EQ(fromProgram.overlayColour, overlay);
    EXPECT_EQ(fromProgram.backgroundColour, c.settings.background);

    const ShownPicture fromRaw = ReadRawFile(state->rawBuffer, overlay);
    EXPECT_EQ(FirstDifference(fromRaw.pixels, expected), "");
    EXPECT_EQ(fromRaw.backgroundColour, c.settings.background);
}

// One named test per picture, so that they run side by side.
INSTANTIATE_TEST_SUITE_P(Pictures, RoundTripTest, ::testing::ValuesIn(kRoundTrips),
                         [](const ::testing::TestParamInfo<RoundTrip>& row) {
                             std::string name;
                             for (const char* p = row.param.name; *p != 0; ++p) {
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             }
                             return name;
                         });

// The same through the disk: the saved files, read back as bytes.
TEST(ReadBack, SavedFilesShowTheFinalImage) {
    const auto state = Convert(*testing::Noise(9), Settings{.background = 5});
    const auto folder = std::filesystem::temp_directory_path() /
                        ("zimbor-readback-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const auto prg = SaveProgramFile(folder / "pic", state->displayerTemplate, state->memory);
    const auto raw = SaveRawFile(folder / "pic", state->rawBuffer);
    const auto contents = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), {}};
    };
    const ShownPicture fromProgram = ReadProgramFile(contents(prg));
    const ShownPicture fromRaw = ReadRawFile(contents(raw), fromProgram.overlayColour);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(FirstDifference(fromProgram.pixels, state->planes.FinalImage), "");
    EXPECT_EQ(FirstDifference(fromRaw.pixels, state->planes.FinalImage), "");
    EXPECT_EQ(fromProgram.backgroundColour, 5);
}

// ---------------------------------------------------------------------------------------------
// A hand-made bank, with addresses worked out from the VIC-II's rules, not from the writers.
// ---------------------------------------------------------------------------------------------

TEST(ReadBack, PixelsComeFromScreenBitmapAndSprites) {
    RawBuffer bank{};
    // Line 9, cell column 0: screen 1, row 1, column 11 ($4433): red on white; the bitmap byte
    // is $6000 + 320 + 88 + 1 = $6199, its bit 7 the leftmost pixel.
    bank[0x4433 - 0x4000] = 0x21;
    bank[0x6199 - 0x4000] = 0x80;
    // Pixel (143, 167): bitmap byte $79E7 bit 0 over black on cyan (screen 7, row 20, column 28
    // at $5C00 + 800 + 28 = $5F3C), and the sprite bit of overlay sprite 5 at $7A3E.
    bank[0x5F3C - 0x4000] = 0x03;
    bank[0x79E7 - 0x4000] = 0x01;
    bank[0x7A3E - 0x4000] = 0x01;
    // Pixel (0, 0): sprite 0's row 0 comes through screen 7's pointers, block 233 at $7A40.
    bank[0x7A40 - 0x4000] = 0x80;

    const Plane picture = PictureFromBank(bank, 13);  // L Green
    EXPECT_EQ(picture[PixelSlot(0, 9)], C64Palette[2]);
    EXPECT_EQ(picture[PixelSlot(1, 9)], C64Palette[1]);
    EXPECT_EQ(picture[PixelSlot(7, 9)], C64Palette[1]);
    EXPECT_EQ(picture[PixelSlot(8, 9)], C64Palette[0]);  // the next cell: all zero
    EXPECT_EQ(picture[PixelSlot(143, 167)], C64Palette[13]);
    EXPECT_EQ(picture[PixelSlot(142, 167)], C64Palette[3]);
    EXPECT_EQ(picture[PixelSlot(0, 0)], C64Palette[13]);
    EXPECT_EQ(picture[PixelSlot(1, 0)], C64Palette[0]);

    bank[0x7A3E - 0x4000] = 0;  // without the sprite bit, the set bitmap bit: black
    EXPECT_EQ(PictureFromBank(bank, 13)[PixelSlot(143, 167)], C64Palette[0]);
}

// ---------------------------------------------------------------------------------------------
// Refusals.
// ---------------------------------------------------------------------------------------------

TEST(ReadBack, RefusesWhatIsNotOurFile) {
    const auto state = Convert(*testing::Flat(0), Settings{.dither = DitherMode::None});
    const ProgramBuffer good = BuildProgramBuffer(state->displayerTemplate, state->memory);
    const std::vector<std::uint8_t> prg(good.begin(), good.end());
    const std::vector<std::uint8_t> raw(state->rawBuffer.begin(), state->rawBuffer.end());

    struct Case {
        const char* name;
        std::function<void()> read;
        const char* message;
    };
    const auto changed = [&prg](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = prg;
        bytes[at] = value;
        return bytes;
    };
    const Case cases[] = {
        {"short program file", [&] { ReadProgramFile(std::span(prg).first(prg.size() - 1)); },
         "30722 bytes"},
        {"long program file",
         [&] {
             std::vector<std::uint8_t> bytes = prg;
             bytes.push_back(0);
             ReadProgramFile(bytes);
         },
         "this one has 30723"},
        {"raw file as a program file", [&] { ReadProgramFile(raw); }, "30722 bytes"},
        {"program file as a raw file", [&] { ReadRawFile(prg, 0); }, "16384 bytes"},
        {"load address $0801", [&] { ReadProgramFile(changed(0, 0x01)); }, "$0801"},
        {"other signature", [&] { ReadProgramFile(changed(23, 'x')); }, "zimbr"},
        {"overlay colour 16", [&] { ReadProgramFile(changed(25, 16)); }, "overlay colour 16"},
        {"background colour 255", [&] { ReadProgramFile(changed(26, 255)); },
         "background colour 255"},
        {"raw overlay colour -1", [&] { ReadRawFile(raw, -1); }, "overlay colour -1"},
        {"raw overlay colour 16", [&] { ReadRawFile(raw, 16); }, "overlay colour 16"},
    };
    for (const Case& c : cases) {
        try {
            c.read();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const SavedFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.name << ": " << e.what();
        }
    }
    EXPECT_NO_THROW(ReadProgramFile(prg));
    EXPECT_NO_THROW(ReadRawFile(raw, 15));
}

// ---------------------------------------------------------------------------------------------
// The whole display window.
// ---------------------------------------------------------------------------------------------

TEST(ShowScreen, PictureInItsWindowBackgroundAroundBlackBelowLine227) {
    ShownPicture shown;
    shown.backgroundColour = 6;  // Blue
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            shown.pixels[PixelSlot(x, y)] = C64Palette[static_cast<std::size_t>((x + y) % 5 + 1)];
        }
    }
    const ScreenImage screen = ShowScreen(shown);
    ASSERT_EQ(screen.pixels.size(), 320u * 200u);
    const std::int32_t blue = C64Palette[6];
    const std::int32_t black = C64Palette[0];
    struct Point {
        int x, y;
        std::int32_t expected;
    };
    const Point points[] = {
        {88, 0, shown.pixels[PixelSlot(0, 0)]},
        {231, 0, shown.pixels[PixelSlot(143, 0)]},
        {88, 167, shown.pixels[PixelSlot(0, 167)]},
        {231, 167, shown.pixels[PixelSlot(143, 167)]},
        {150, 80, shown.pixels[PixelSlot(62, 80)]},
        {87, 0, blue},
        {232, 0, blue},
        {0, 100, blue},
        {319, 100, blue},
        {88, 168, blue},
        {0, 176, blue},
        {319, 176, blue},
        {0, 177, black},
        {160, 190, black},
        {319, 199, black},
    };
    for (const Point& p : points) {
        EXPECT_EQ(screen.At(p.x, p.y), p.expected) << "(" << p.x << ", " << p.y << ")";
    }
}

}  // namespace
}  // namespace zimbor
