// JPEG decoding, compared pixel for pixel with djpeg (libjpeg-turbo's own command-line
// decoder, run with the same settings: accurate integer DCT, fancy upsampling, block smoothing).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without including them
// clang-format on

#include "fixtures.hpp"
#include "intake/picture.hpp"
#include "test_support.hpp"

namespace zimbor {
namespace {

using fixtures::Bytes;
using fixtures::Canvas;
using testsupport::Djpeg;
using testsupport::Quoted;
using testsupport::SamePixels;
using testsupport::ScratchDir;

// Encodes one of the PPM photo crops with cjpeg.
Bytes Cjpeg(const ScratchDir& dir, const std::filesystem::path& ppm, const std::string& options,
            const std::string& out_name = "picture.jpg") {
    const auto out = dir / out_name;
    const int status = testsupport::Run(testsupport::kCjpeg + " " + options + " -outfile " +
                                        Quoted(out) + " " + Quoted(ppm));
    if (status != 0) throw std::runtime_error("cjpeg " + options + " failed");
    return fixtures::ReadBytes(out);
}

SourcePicture Decode(const Bytes& bytes, const std::string& name = "test.jpg") {
    return DecodePicture(bytes, PictureFormat::Jpeg, name);
}

struct CjpegCase {
    const char* name;
    const char* options;
};
void PrintTo(const CjpegCase& c, std::ostream* out) {
    *out << c.name;
}

// The layouts a photograph arrives in: chroma subsampling, progressive and arithmetic coding,
// restart markers, greyscale, and RGB stored without the YCbCr transform.
const std::vector<CjpegCase> kCjpegCases = {
    {"Baseline420", ""},
    {"Quality95", "-quality 95"},
    {"Sampling444", "-sample 1x1"},
    {"Sampling422", "-sample 2x1"},
    {"Sampling440", "-sample 1x2"},
    {"Progressive", "-progressive"},
    {"ProgressiveLowQuality", "-progressive -quality 15"},
    {"Greyscale", "-grayscale"},
    {"GreyscaleProgressive", "-grayscale -progressive"},
    {"Arithmetic", "-arithmetic"},
    {"RestartEveryRow", "-restart 1"},
    {"OptimisedTables", "-optimize"},
    {"StoredAsRgb", "-rgb"},
};

class JpegMatchesDjpeg : public ::testing::TestWithParam<std::tuple<CjpegCase, const char*>> {};

TEST_P(JpegMatchesDjpeg, PixelForPixel) {
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const auto& [jpeg_case, crop] = GetParam();
    const ScratchDir dir;
    const Bytes jpeg = Cjpeg(dir, testsupport::kDataDir / crop, jpeg_case.options);
    ASSERT_EQ(RecognisePictureFormat(jpeg), PictureFormat::Jpeg);
    EXPECT_TRUE(SamePixels(Decode(jpeg), Djpeg(dir / "picture.jpg")));
}

INSTANTIATE_TEST_SUITE_P(Cjpeg, JpegMatchesDjpeg,
                         ::testing::Combine(::testing::ValuesIn(kCjpegCases),
                                            ::testing::Values("photo-crop.ppm", "cat-crop.ppm")),
                         [](const auto& row) {
                             const std::string crop = std::get<1>(row.param);
                             return std::string(std::get<0>(row.param).name) + "_" +
                                    crop.substr(0, crop.find('-'));
                         });

TEST(JpegTest, ShippedPhotoMatchesDjpeg) {
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const auto cat = testsupport::kExamplesDir / "cat.jpg";
    const SourcePicture picture = Decode(fixtures::ReadBytes(cat));
    EXPECT_EQ(picture.width, 400);
    EXPECT_EQ(picture.height, 300);
    const ScratchDir dir;
    std::filesystem::copy_file(cat, dir / "cat.jpg");
    EXPECT_TRUE(SamePixels(picture, Djpeg(dir / "cat.jpg")));
}

TEST(JpegTest, OddSizeMatchesDjpeg) {
    // 141 x 163: partial blocks and MCUs at the right and bottom edges, where the upsampler
    // has to replicate samples.
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const ScratchDir dir;
    fixtures::WriteBytes(
        dir / "odd.ppm",
        fixtures::EncodeWithQt(
            fixtures::CropImage(testsupport::kDataDir / "photo-crop.ppm", 141, 163), "ppm"));
    const Bytes jpeg = Cjpeg(dir, dir / "odd.ppm", "-progressive");
    const SourcePicture picture = Decode(jpeg);
    EXPECT_EQ(picture.width, 141);
    EXPECT_EQ(picture.height, 163);
    EXPECT_TRUE(SamePixels(picture, Djpeg(dir / "picture.jpg")));
}

TEST(JpegTest, ExifFileDecodesLikeItsJfifTwin) {
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const ScratchDir dir;
    const Bytes jfif = Cjpeg(dir, testsupport::kDataDir / "photo-crop.ppm", "");
    const Bytes exif = fixtures::ToExif(jfif);
    ASSERT_EQ(exif[6], 'E');
    ASSERT_EQ(RecognisePictureFormat(exif), PictureFormat::Jpeg);
    EXPECT_EQ(Decode(exif).pixels, Decode(jfif).pixels);
}

// The stream cut short: libjpeg warns, fills the rest, and the picture is kept as djpeg
// keeps it.
TEST(JpegTest, TruncatedFilesKeepWhatDecodedAsDjpegDoes) {
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const ScratchDir dir;
    for (const char* options : {"", "-progressive", "-progressive -quality 15", "-restart 1"}) {
        const Bytes whole = Cjpeg(dir, testsupport::kDataDir / "cat-crop.ppm", options);
        for (const std::size_t percent : {35u, 60u, 90u}) {
            SCOPED_TRACE(std::string("cjpeg ") + options + ", cut at " + std::to_string(percent) +
                         "%");
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(
                                                               whole.size() * percent / 100));
            fixtures::WriteBytes(dir / "cut.jpg", cut);
            const SourcePicture picture = Decode(cut);
            EXPECT_EQ(picture.width, kWidth);
            EXPECT_EQ(picture.height, kHeight);
            EXPECT_TRUE(SamePixels(picture, Djpeg(dir / "cut.jpg")));
        }
    }
}

// What a decoder without block smoothing makes of a stream; the comparison below shows that
// the djpeg matches above would notice smoothing being off.
std::vector<std::uint32_t> DecodeWithoutSmoothing(const Bytes& jpeg) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    errors.output_message = [](j_common_ptr) {};
    jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.do_block_smoothing = FALSE;
    jpeg_start_decompress(&cinfo);
    std::vector<std::uint32_t> pixels;
    std::vector<JSAMPLE> row(cinfo.output_width * 3u);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (std::size_t x = 0; x < cinfo.output_width; ++x) {
            pixels.push_back(Canvas(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

TEST(JpegTest, BlockSmoothingIsOnForPartialProgressiveFiles) {
    ZIMBOR_REQUIRE_JPEG_TOOLS();
    const ScratchDir dir;
    const Bytes whole = Cjpeg(dir, testsupport::kDataDir / "photo-crop.ppm", "-progressive");
    // Only the first three scans: DC, and the first AC band of Y and of Cb; no refinement.
    std::vector<std::size_t> scans;
    for (std::size_t i = 2; i + 1 < whole.size(); ++i) {
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) scans.push_back(i);
    }
    ASSERT_GT(scans.size(), 4u);
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(scans[3]));
    EXPECT_NE(Decode(cut).pixels, DecodeWithoutSmoothing(cut));
    // A complete file has every coefficient at full precision and smoothing changes nothing.
    EXPECT_EQ(Decode(whole).pixels, DecodeWithoutSmoothing(whole));
}

// --- CMYK and YCCK, written by libjpeg here (cjpeg cannot). The samples are Adobe's inverted
// CMYK, 255 = no ink, which is what Photoshop writes and libjpeg hands back unchanged.

struct InkCase {
    std::uint8_t c, m, y, k;
    std::uint32_t want;
};

const std::vector<InkCase> kInks = {
    {255, 255, 255, 255, Canvas(255, 255, 255)},  // no ink: white paper
    {255, 0, 0, 255, Canvas(255, 0, 0)},          // full magenta and yellow: red
    {0, 255, 255, 255, Canvas(0, 255, 255)},      // full cyan
    {255, 255, 255, 0, Canvas(0, 0, 0)},          // full black ink
    {200, 100, 50, 128, Canvas(100, 50, 25)},     // 200 * 128 / 255 = 100.4, and so on
};

// One flat 16 x 16 square per ink: a whole MCU even where chroma is subsampled (YCCK stores
// C, M, Y through Y, Cb, Cr at 2 x 2), so at quality 100 the DCT round trip is exact.
constexpr int kInkSide = 16;

Bytes InkStrip(fixtures::JpegColour colour) {
    const int width = kInkSide * static_cast<int>(kInks.size());
    Bytes samples;
    for (int y = 0; y < kInkSide; ++y) {
        for (int x = 0; x < width; ++x) {
            const InkCase& ink = kInks[static_cast<std::size_t>(x / kInkSide)];
            samples.insert(samples.end(), {ink.c, ink.m, ink.y, ink.k});
        }
    }
    return fixtures::EncodeJpeg(width, kInkSide, samples, {.colour = colour, .quality = 100});
}

int Channel(std::uint32_t canvas, int shift) {
    return static_cast<int>((canvas >> shift) & 0xFF);
}

TEST(JpegTest, CmykAndYcckConvertToRgb) {
    // YCCK stores C, M, Y through the YCC transform, which is not exact: allow 2 steps.
    for (const auto& [colour, tolerance] :
         {std::pair{fixtures::JpegColour::Cmyk, 0}, std::pair{fixtures::JpegColour::Ycck, 2}}) {
        const SourcePicture picture = Decode(InkStrip(colour));
        ASSERT_EQ(picture.width, kInkSide * static_cast<int>(kInks.size()));
        for (std::size_t i = 0; i < kInks.size(); ++i) {
            // Away from the square's edges, where upsampling blends in the neighbour.
            for (const auto& [x, y] : {std::pair{4, 4}, std::pair{11, 11}}) {
                const std::uint32_t got = picture.At(kInkSide * static_cast<int>(i) + x, y);
                for (const int shift : {0, 8, 16}) {
                    EXPECT_NEAR(Channel(got, shift), Channel(kInks[i].want, shift), tolerance)
                        << (colour == fixtures::JpegColour::Cmyk ? "CMYK" : "YCCK") << " ink " << i
                        << std::hex << " got 0x" << got;
                }
            }
        }
    }
}

TEST(JpegTest, GreyscaleGivesEqualChannels) {
    Bytes ramp(64 * 8);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i * 4 % 256);
    const SourcePicture picture =
        Decode(fixtures::EncodeJpeg(64, 8, ramp, {.colour = fixtures::JpegColour::Grey}));
    for (const std::uint32_t pixel : picture.pixels) {
        EXPECT_EQ(Channel(pixel, 0), Channel(pixel, 8));
        EXPECT_EQ(Channel(pixel, 0), Channel(pixel, 16));
    }
}

// --- Errors: the library's message, after the file's name.

// Byte offsets of the last scan (its SOS marker) and of the EOI marker.
std::pair<std::size_t, std::size_t> LastScan(const Bytes& jpeg) {
    std::size_t last_sos = 0;
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last_sos = i;
    }
    return {last_sos, jpeg.size() - 2};
}

TEST(JpegTest, EndlessScansAreRefused) {
    // A progressive file whose last scan is repeated a thousand times: each repeat costs a
    // pass over the coefficients, so a crafted file could keep the decoder busy for ever.
    const Bytes whole = fixtures::EncodeJpeg(
        8, 8, Bytes(64 * 3, 128), {.colour = fixtures::JpegColour::YCbCr, .progressive = true});
    const auto [sos, eoi] = LastScan(whole);
    ASSERT_GT(sos, 0u);
    Bytes crafted(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(eoi));
    for (int i = 0; i < 1000; ++i) {
        crafted.insert(crafted.end(), whole.begin() + static_cast<std::ptrdiff_t>(sos),
                       whole.begin() + static_cast<std::ptrdiff_t>(eoi));
    }
    crafted.insert(crafted.end(), {0xFF, 0xD9});
    EXPECT_THROW(
        {
            try {
                Decode(crafted, "scans.jpg");
            } catch (const PictureError& error) {
                EXPECT_STREQ(error.what(), "scans.jpg: too many scans (more than 500)");
                throw;
            }
        },
        PictureError);
}

struct BadJpegCase {
    const char* name;
    Bytes bytes;
    const char* message;
};

TEST(JpegTest, BrokenStreamsGiveTheDecodersMessage) {
    const Bytes bitmap_with_j = {'B', 'M', 0, 0, 0, 0, 'J', 'F', 'I', 'F', 0, 0};
    const std::vector<BadJpegCase> cases = {
        {"pic.jpg", bitmap_with_j, "pic.jpg: not a JPEG file: starts with 0x42 0x4d"},
        {"empty.jpg", {}, "empty.jpg: empty input file"},
        {"soi.jpg", {0xFF, 0xD8}, "soi.jpg: JPEG datastream contains no image"},
        {"eoi.jpg", {0xFF, 0xD8, 0xFF, 0xD9}, "eoi.jpg: JPEG datastream contains no image"},
        // APP0 whose length runs past the end of the file.
        {"app0.jpg",
         {0xFF, 0xD8, 0xFF, 0xE0, 0x7F, 0xFF, 'J', 'F', 'I', 'F'},
         "app0.jpg: JPEG datastream contains no image"},
    };
    for (const BadJpegCase& c : cases) {
        try {
            Decode(c.bytes, c.name);
            ADD_FAILURE() << c.name << " decoded";
        } catch (const PictureError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace zimbor
