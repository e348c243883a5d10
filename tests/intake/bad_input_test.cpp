// Hostile and damaged files: headers that claim huge pictures, files cut short, bytes flipped.
// Every one must end in a PictureError or in a picture, never in a crash or a hang (the ASan
// and UBSan build runs these too).
#include <gtest/gtest.h>

#include <QImage>
#include <QtGlobal>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fixtures.hpp"
#include "intake/picture.hpp"
#include "test_support.hpp"

namespace zimbor {
namespace {

using fixtures::Bytes;

// The readers report damage through Qt's warnings too (libpng's CRC complaints, seeks past
// the end); the outcome is what these tests check, so keep the log readable.
class QuietQt : public ::testing::Environment {
  public:
    void SetUp() override { previous_ = qInstallMessageHandler(Ignore); }
    void TearDown() override { qInstallMessageHandler(previous_); }

  private:
    static void Ignore(QtMsgType, const QMessageLogContext&, const QString&) {}
    QtMessageHandler previous_ = nullptr;
};
[[maybe_unused]] const auto* const kQuietQt = ::testing::AddGlobalTestEnvironment(new QuietQt);

const std::filesystem::path kPhoto = testsupport::kDataDir / "photo-crop.ppm";

// A picture of the given size in each format, as its own writer makes it.
Bytes Picture(PictureFormat format, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    switch (format) {
        case PictureFormat::Jpeg:
            return fixtures::EncodeJpeg(
                width, height,
                Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 99),
                {.colour = fixtures::JpegColour::Grey});
        case PictureFormat::Bmp:
            return fixtures::EncodeWithQt(image, "bmp");
        case PictureFormat::Png:
            return fixtures::EncodeWithQt(image, "png");
        case PictureFormat::Unrecognised:
            break;
    }
    throw std::invalid_argument("no such format");
}

// A tiny file whose header claims width x height.
Bytes Claiming(PictureFormat format, int width, int height) {
    if (format == PictureFormat::Bmp) {
        // 24-bit, and four bytes of pixel data where billions are claimed.
        return fixtures::Bmp(width, height, 24, fixtures::kBiRgb, {}, {1, 2, 3, 4});
    }
    Bytes file = Picture(format, 16, 16);
    if (format == PictureFormat::Jpeg) fixtures::SetJpegSize(file, width, height);
    if (format == PictureFormat::Png) {
        fixtures::SetPngSize(file, static_cast<std::uint32_t>(width),
                             static_cast<std::uint32_t>(height));
    }
    return file;
}

const char* Extension(PictureFormat format) {
    return format == PictureFormat::Jpeg ? "jpg" : format == PictureFormat::Bmp ? "bmp" : "png";
}

std::string ErrorOf(const Bytes& bytes, PictureFormat format, const std::string& name,
                    const PictureLimits& limits = {}) {
    try {
        const SourcePicture picture = DecodePicture(bytes, format, name, limits);
        return "decoded " + std::to_string(picture.width) + " x " + std::to_string(picture.height);
    } catch (const PictureError& error) {
        return error.what();
    }
}

struct ClaimCase {
    PictureFormat format;
    int width;
    int height;
    std::string size;  // as the message gives it
};
void PrintTo(const ClaimCase& c, std::ostream* out) {
    *out << c.size;
}

class RefusedSizeTest : public ::testing::TestWithParam<ClaimCase> {};

TEST_P(RefusedSizeTest, ClaimedSizeIsRefusedFromTheHeader) {
    const ClaimCase& c = GetParam();
    const std::string name = std::string("big.") + Extension(c.format);
    const Bytes file = Claiming(c.format, c.width, c.height);
    ASSERT_LT(file.size(), 1000u);
    EXPECT_EQ(ErrorOf(file, c.format, name),
              name + ": picture too large: " + c.size +
                  " pixels (at most 16384 on a side and 100000000 in all)");
}

std::vector<ClaimCase> ClaimCases() {
    std::vector<ClaimCase> cases;
    for (const PictureFormat format :
         {PictureFormat::Jpeg, PictureFormat::Bmp, PictureFormat::Png}) {
        cases.push_back({format, 20000, 20000, "20000 x 20000"});
        cases.push_back({format, 65535, 65535, "65535 x 65535"});  // beyond libjpeg's own limit
        cases.push_back({format, 16385, 1, "16385 x 1"});          // one side too long
        cases.push_back({format, 1, 16385, "1 x 16385"});
        cases.push_back({format, 10000, 10001, "10000 x 10001"});  // too many pixels in all
    }
    // A bitmap stored top-down gives its height negative.
    cases.push_back({PictureFormat::Bmp, 65535, -65535, "65535 x 65535"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Claims, RefusedSizeTest, ::testing::ValuesIn(ClaimCases()),
                         [](const auto& row) {
                             const ClaimCase& c = row.param;
                             return std::string(Extension(c.format)) + "_" +
                                    std::to_string(c.width) + "x" + (c.height < 0 ? "minus" : "") +
                                    std::to_string(std::abs(c.height));
                         });

TEST(SizeLimitTest, LimitsAreInclusive) {
    const PictureLimits limits{.max_side = 40, .max_pixels = 600};
    const struct {
        int width, height;
        bool accepted;
    } cases[] = {
        {40, 15, true}, {15, 40, true}, {24, 25, true},   // 600 pixels, sides within 40
        {41, 1, false}, {1, 41, false}, {25, 25, false},  // 625 pixels
    };
    for (const PictureFormat format :
         {PictureFormat::Jpeg, PictureFormat::Bmp, PictureFormat::Png}) {
        for (const auto& c : cases) {
            const std::string name = std::string("limit.") + Extension(format);
            const std::string got =
                ErrorOf(Picture(format, c.width, c.height), format, name, limits);
            const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
            EXPECT_EQ(got, c.accepted ? "decoded " + size
                                      : name + ": picture too large: " + size +
                                            " pixels (at most 40 on a side and 600 in all)");
        }
    }
}

TEST(SizeLimitTest, LongestSideIsAccepted) {
    for (const PictureFormat format : {PictureFormat::Jpeg, PictureFormat::Bmp}) {
        const SourcePicture picture =
            DecodePicture(Picture(format, kMaxPictureSide, 1), format, "long");
        EXPECT_EQ(picture.width, kMaxPictureSide);
        EXPECT_EQ(picture.pixels.size(), static_cast<std::size_t>(kMaxPictureSide));
    }
}

// --- Damaged files.

// Decodes and checks that the outcome is a well-formed picture or our error.
::testing::AssertionResult PictureOrError(const Bytes& bytes, const std::string& what) {
    const PictureFormat format = RecognisePictureFormat(bytes);
    if (format == PictureFormat::Unrecognised) return ::testing::AssertionSuccess();
    try {
        const SourcePicture picture = DecodePicture(bytes, format, "damaged");
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.pixels.size() != static_cast<std::size_t>(picture.width) *
                                         static_cast<std::size_t>(picture.height)) {
            return ::testing::AssertionFailure()
                   << what << ": malformed picture " << picture.width << " x " << picture.height;
        }
    } catch (const PictureError& error) {
        if (std::string(error.what()).rfind("damaged: ", 0) != 0) {
            return ::testing::AssertionFailure() << what << ": message " << error.what();
        }
    } catch (const std::exception& error) {
        return ::testing::AssertionFailure() << what << ": " << error.what();
    }
    return ::testing::AssertionSuccess();
}

class DamagedFileTest : public ::testing::TestWithParam<fixtures::SampleFile> {};

TEST_P(DamagedFileTest, SampleItselfDecodes) {
    const Bytes& whole = GetParam().bytes;
    ASSERT_NE(RecognisePictureFormat(whole), PictureFormat::Unrecognised);
    const SourcePicture picture = DecodePicture(whole, RecognisePictureFormat(whole), "sample");
    EXPECT_GT(picture.width, 0);
}

TEST_P(DamagedFileTest, CutShortAnywhere) {
    const Bytes& whole = GetParam().bytes;
    const std::size_t step = std::max<std::size_t>(1, whole.size() / 97);
    for (std::size_t length = 0; length < whole.size(); length += step) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(PictureOrError(cut, "cut at " + std::to_string(length)));
    }
}

TEST_P(DamagedFileTest, RandomBytesChanged) {
    const Bytes& whole = GetParam().bytes;
    std::mt19937 random(20090217);
    std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    std::uniform_int_distribution<int> count(1, 6);
    for (int trial = 0; trial < 250; ++trial) {
        Bytes damaged = whole;
        std::string what = "trial " + std::to_string(trial) + ":";
        for (int n = count(random); n > 0; --n) {
            const std::size_t at = position(random);
            damaged[at] = static_cast<std::uint8_t>(value(random));
            what += " [" + std::to_string(at) + "]=" + std::to_string(damaged[at]);
        }
        EXPECT_TRUE(PictureOrError(damaged, what));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, DamagedFileTest,
                         ::testing::ValuesIn(fixtures::SampleFiles(kPhoto)), [](const auto& row) {
                             std::string name = row.param.name;
                             for (char& c : name) {
                                 if (c == '.' || c == '-') c = '_';
                             }
                             return name;
                         });

// A single-scan JPEG cut anywhere after its scan header decodes: what is missing is filled
// in. (A progressive file cut inside the tables or header of a later scan ends in the
// decoder's error instead, as it does in djpeg.)
TEST(DamagedJpegTest, CutInTheScanKeepsThePicture) {
    int tried = 0;
    for (const fixtures::SampleFile& sample : fixtures::SampleFiles(kPhoto)) {
        if (!sample.name.ends_with(".jpg")) continue;
        const Bytes& whole = sample.bytes;
        std::vector<std::size_t> scans;  // where each scan's data starts
        for (std::size_t i = 2; i + 3 < whole.size(); ++i) {
            if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
                scans.push_back(i + 2 + static_cast<std::size_t>(whole[i + 2] << 8 | whole[i + 3]));
            }
        }
        if (scans.size() != 1) continue;
        ++tried;
        const std::size_t first_scan = scans.front();
        for (std::size_t length = first_scan; length < whole.size(); length += 7) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(ErrorOf(cut, PictureFormat::Jpeg, sample.name), "decoded 24 x 20")
                << sample.name << " cut at " << length;
        }
    }
    EXPECT_GE(tried, 5);
}

}  // namespace
}  // namespace zimbor
