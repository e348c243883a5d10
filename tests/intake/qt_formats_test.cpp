// BMP and PNG through QImageReader: the variants that turn up, alpha, and the forced format.
// No QGuiApplication exists in this test program: the built-in readers need none.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <string>
#include <vector>

#include "fixtures.hpp"
#include "intake/picture.hpp"

namespace zimbor {
namespace {

using fixtures::Bmp;
using fixtures::Bytes;
using fixtures::Canvas;
using fixtures::kBiRgb;
using fixtures::kBiRle8;

constexpr std::uint32_t kRed = Canvas(255, 0, 0);
constexpr std::uint32_t kGreen = Canvas(0, 255, 0);
constexpr std::uint32_t kBlue = Canvas(0, 0, 255);
constexpr std::uint32_t kWhite = Canvas(255, 255, 255);
constexpr std::uint32_t kBlack = Canvas(0, 0, 0);
constexpr std::uint32_t kGrey = Canvas(128, 128, 128);

// The 3 x 2 picture that every bitmap below holds, top row first.
// clang-format off
const std::vector<std::uint32_t> kPicture = {
    kRed,   kGreen, kBlue,
    kWhite, kBlack, kGrey,
};
// clang-format on

// Palette entries as a bitmap stores them, 0x00RRGGBB, in the index order used below:
// 0 red, 1 green, 2 blue, 3 white, 4 black, 5 grey.
const std::vector<std::uint32_t> kPalette = {0xFF0000, 0x00FF00, 0x0000FF,
                                             0xFFFFFF, 0x000000, 0x808080};

struct BmpCase {
    const char* name;
    Bytes file;
    std::vector<std::uint32_t> want;
};
void PrintTo(const BmpCase& c, std::ostream* out) {
    *out << c.name;
}

// Pixel data by hand. Rows are padded to 4 bytes; a positive height stores the bottom row
// first, a negative one the top row first; colours are B, G, R.
// clang-format off
const std::vector<BmpCase> kBmpCases = {
    {"Rgb24BottomUp",
     Bmp(3, 2, 24, kBiRgb, {},
         {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0, 0, 0,    // bottom row
          0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0}),  // top row
     kPicture},
    {"Rgb24TopDown",
     Bmp(3, -2, 24, kBiRgb, {},
         {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0,    // top row
          0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0, 0, 0}),  // bottom row
     kPicture},
    // The fourth byte is unused in a plain 32-bit bitmap and often 0: it is not alpha.
    {"Rgb32WithZeroFourthByte",
     Bmp(3, 2, 32, kBiRgb, {},
         {0xFF, 0xFF, 0xFF, 0, 0x00, 0x00, 0x00, 0, 0x80, 0x80, 0x80, 0,
          0x00, 0x00, 0xFF, 0, 0x00, 0xFF, 0x00, 0, 0xFF, 0x00, 0x00, 0}),
     kPicture},
    // 5-5-5: 0x7C00 red, 0x03E0 green, 0x001F blue, grey 16 of 31. Qt widens five bits by
    // shifting, so full intensity reads as 248.
    {"Rgb16",
     Bmp(3, 2, 16, kBiRgb, {},
         {0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0,
          0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}),
     {Canvas(248, 0, 0), Canvas(0, 248, 0), Canvas(0, 0, 248), Canvas(248, 248, 248), kBlack,
      kGrey}},
    {"Palette8",
     Bmp(3, 2, 8, kBiRgb, kPalette,
         {3, 4, 5, 0,     // bottom row, one pad byte
          0, 1, 2, 0}),   // top row
     kPicture},
    {"Palette4",
     Bmp(3, 2, 4, kBiRgb, kPalette,
         {0x34, 0x50, 0, 0,    // bottom row: 3 4 5, padded
          0x01, 0x20, 0, 0}),  // top row: 0 1 2
     kPicture},
    // Two colours: bit set = index 1 (white), clear = index 0 (black).
    {"Palette1",
     Bmp(3, 2, 1, kBiRgb, {0x000000, 0xFFFFFF},
         {0b0100'0000, 0, 0, 0,    // bottom row: black white black
          0b1010'0000, 0, 0, 0}),  // top row: white black white
     {kWhite, kBlack, kWhite, kBlack, kWhite, kBlack}},
    // RLE8: the bottom row in absolute mode (00 n, n indices, padded to a word), the top row
    // as runs of one (count, index), 00 00 ends a line, 00 01 the bitmap.
    {"Rle8",
     Bmp(3, 2, 8, kBiRle8, kPalette,
         {0x00, 0x03, 3, 4, 5, 0x00, 0x00, 0x00,
          0x01, 0, 0x01, 1, 0x01, 2, 0x00, 0x00,
          0x00, 0x01}),
     kPicture},
    // A run longer than one: the top row all green.
    {"Rle8Runs",
     Bmp(3, 2, 8, kBiRle8, kPalette,
         {0x03, 4, 0x00, 0x00,     // bottom row: three black
          0x03, 1, 0x00, 0x00,     // top row: three green
          0x00, 0x01}),
     {kGreen, kGreen, kGreen, kBlack, kBlack, kBlack}},
};
// clang-format on

class BmpTest : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpTest, DecodesPixelForPixel) {
    const Bytes& file = GetParam().file;
    ASSERT_EQ(RecognisePictureFormat(file), PictureFormat::Bmp);
    const SourcePicture picture = DecodePicture(file, PictureFormat::Bmp, "test.bmp");
    ASSERT_EQ(picture.width, 3);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpTest, ::testing::ValuesIn(kBmpCases),
                         [](const auto& row) { return std::string(row.param.name); });

// --- PNG, written by Qt in each colour type.

struct PngCase {
    const char* name;
    QImage image;
    int colour_type;  // the IHDR byte: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    std::vector<std::uint32_t> want;
};

QImage Image(QImage::Format format, const std::vector<QRgb>& pixels) {
    QImage image(3, 2, format);
    for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, pixels[static_cast<std::size_t>(i)]);
    return image;
}

QImage Indexed(const std::vector<QRgb>& palette, const std::vector<int>& indices) {
    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, static_cast<uint>(indices[static_cast<std::size_t>(i)]));
    return image;
}

QImage Grey(QImage::Format format, const std::vector<int>& levels) {
    QImage image(3, 2, format);
    for (int i = 0; i < 6; ++i) {
        const int level = levels[static_cast<std::size_t>(i)];
        image.setPixelColor(i % 3, i / 3, QColor(level, level, level));
    }
    return image;
}

const std::vector<QRgb> kPictureRgb = {qRgb(255, 0, 0),     qRgb(0, 255, 0), qRgb(0, 0, 255),
                                       qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(128, 128, 128)};

std::vector<PngCase> PngCases() {
    return {
        {"Rgb", Image(QImage::Format_RGB32, kPictureRgb), 2, kPicture},
        {"Palette", Indexed(kPictureRgb, {0, 1, 2, 3, 4, 5}), 3, kPicture},
        {"Grey8",
         Grey(QImage::Format_Grayscale8, {0, 64, 128, 192, 255, 1}),
         0,
         {Canvas(0, 0, 0), Canvas(64, 64, 64), Canvas(128, 128, 128), Canvas(192, 192, 192),
          Canvas(255, 255, 255), Canvas(1, 1, 1)}},
        {"Grey16",
         Grey(QImage::Format_Grayscale16, {0, 64, 128, 192, 255, 1}),
         0,
         {Canvas(0, 0, 0), Canvas(64, 64, 64), Canvas(128, 128, 128), Canvas(192, 192, 192),
          Canvas(255, 255, 255), Canvas(1, 1, 1)}},
        // Alpha is composited onto black: colour x alpha / 255, rounded.
        {"RgbaCompositedOntoBlack",
         Image(QImage::Format_ARGB32,
               {qRgba(255, 0, 0, 255), qRgba(200, 100, 50, 128), qRgba(255, 255, 255, 0),
                qRgba(0, 0, 255, 255), qRgba(255, 255, 255, 1), qRgba(90, 180, 255, 254)}),
         6,
         {kRed, Canvas(100, 50, 25), kBlack, kBlue, Canvas(1, 1, 1), Canvas(90, 179, 254)}},
        {"PaletteWithTransparentEntry",
         Indexed({qRgb(255, 0, 0), qRgba(255, 255, 255, 0), qRgba(0, 255, 0, 51)},
                 {0, 1, 2, 2, 1, 0}),
         3,
         {kRed, kBlack, Canvas(0, 51, 0), Canvas(0, 51, 0), kBlack, kRed}},
    };
}

TEST(PngTest, DecodesEachColourType) {
    for (const PngCase& c : PngCases()) {
        SCOPED_TRACE(c.name);
        const Bytes png = fixtures::EncodeWithQt(c.image, "png");
        ASSERT_EQ(png.at(25), c.colour_type) << "Qt wrote another colour type";
        ASSERT_EQ(RecognisePictureFormat(png), PictureFormat::Png);
        const SourcePicture picture = DecodePicture(png, PictureFormat::Png, "test.png");
        ASSERT_EQ(picture.width, 3);
        ASSERT_EQ(picture.height, 2);
        EXPECT_EQ(picture.pixels, c.want);
    }
}

TEST(PngTest, PhotoRoundTripsExactly) {
    const QImage photo =
        fixtures::CropImage(ZIMBOR_TEST_DATA_DIR "/photo-crop.ppm", kWidth, kHeight);
    const SourcePicture picture =
        DecodePicture(fixtures::EncodeWithQt(photo, "png"), PictureFormat::Png, "photo.png");
    ASSERT_EQ(picture.width, kWidth);
    ASSERT_EQ(picture.height, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const QRgb p = photo.pixel(x, y);
            ASSERT_EQ(picture.At(x, y),
                      Canvas(static_cast<unsigned>(qRed(p)), static_cast<unsigned>(qGreen(p)),
                             static_cast<unsigned>(qBlue(p))))
                << "(" << x << ", " << y << ")";
        }
    }
}

// The header test decides the format; the reader must not second-guess it from the content.
TEST(QtFormatTest, FormatIsForcedNotGuessed) {
    const Bytes png = fixtures::EncodeWithQt(Image(QImage::Format_RGB32, kPictureRgb), "png");
    const Bytes bmp = kBmpCases.front().file;
    EXPECT_THROW(DecodePicture(png, PictureFormat::Bmp, "x.bmp"), PictureError);
    EXPECT_THROW(DecodePicture(bmp, PictureFormat::Png, "x.png"), PictureError);
    // A Qt-written bitmap of the photo reads back exactly.
    const QImage photo = fixtures::CropImage(ZIMBOR_TEST_DATA_DIR "/cat-crop.ppm", 37, 11);
    const SourcePicture picture =
        DecodePicture(fixtures::EncodeWithQt(photo, "bmp"), PictureFormat::Bmp, "cat.bmp");
    ASSERT_EQ(picture.width, 37);
    EXPECT_EQ(picture.At(36, 10), Canvas(static_cast<unsigned>(qRed(photo.pixel(36, 10))),
                                         static_cast<unsigned>(qGreen(photo.pixel(36, 10))),
                                         static_cast<unsigned>(qBlue(photo.pixel(36, 10)))));
}

TEST(QtFormatTest, NeedsNoGuiApplication) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_NO_THROW(DecodePicture(kBmpCases.front().file, PictureFormat::Bmp, "x.bmp"));
}

TEST(QtFormatTest, ErrorsNameTheFile) {
    const struct {
        Bytes bytes;
        PictureFormat format;
        const char* name;
        const char* prefix;
    } cases[] = {
        {{'B', 'M', 'x', 'x', 'x', 'x', 'x', 'x', 'x'},
         PictureFormat::Bmp,
         "broken.bmp",
         "broken.bmp: cannot read the BMP file: "},
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
         PictureFormat::Png,
         "broken.png",
         "broken.png: cannot read the PNG file: "},
    };
    for (const auto& c : cases) {
        try {
            DecodePicture(c.bytes, c.format, c.name);
            ADD_FAILURE() << c.name << " decoded";
        } catch (const PictureError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.prefix, 0), 0u) << error.what();
        }
    }
}

}  // namespace
}  // namespace zimbor
