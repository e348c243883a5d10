// Recognising a picture file by its first bytes; the name never takes part.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fixtures.hpp"
#include "intake/picture.hpp"
#include "test_support.hpp"

namespace zimbor {
namespace {

using fixtures::Bytes;
using testsupport::ScratchDir;

// The first bytes of a JFIF file: SOI, APP0 with "JFIF" from offset 6.
const Bytes kJfif = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',
                     0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
// A camera's file: SOI, then APP1 with "Exif" (offset 6 holds 'E').
const Bytes kExif = {0xFF, 0xD8, 0xFF, 0xE1, 0x1C, 0x2A, 'E',  'x',  'i',  'f',
                     0x00, 0x00, 'I',  'I',  0x2A, 0x00, 0x08, 0x00, 0x00, 0x00};
const Bytes kBitmap = {'B',  'M',  0x3A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                       0x36, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x01, 0x00};
const Bytes kPng = {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n',
                    0x00, 0x00, 0x00, 0x0D, 'I',  'H',  'D',  'R'};

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
Bytes Prefix(const Bytes& bytes, std::size_t n) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

struct HeaderCase {
    const char* name;
    Bytes header;
    PictureFormat want;
};
void PrintTo(const HeaderCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<HeaderCase> kHeaderCases = {
    {"Jfif", kJfif, PictureFormat::Jpeg},
    {"Exif", kExif, PictureFormat::Jpeg},
    // SOI followed directly by a quantisation table, no application segment at all.
    {"BareJpeg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x08}, PictureFormat::Jpeg},
    // The letter J at offset 6 is tested before the letter B at offset 0.
    {"BAtZeroAndJAtSix", Text("BMxxxxJFIF"), PictureFormat::Jpeg},
    {"Bitmap", kBitmap, PictureFormat::Bmp},
    {"BitmapOfSevenBytes", Prefix(kBitmap, 7), PictureFormat::Bmp},
    {"Png", kPng, PictureFormat::Png},
    // Seven bytes are enough when the seventh is J, whatever comes before it.
    {"AnythingWithJAtSix", Text("xxxxxxJ"), PictureFormat::Jpeg},
    {"JpegStartMissingThirdByte",
     {0xFF, 0xD8, 0x00, 0xE1, 0x00, 0x10, 'E', 'x'},
     PictureFormat::Unrecognised},
    {"PngSignatureDamaged",
     {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, 0x00},
     PictureFormat::Unrecognised},
    {"PngSignatureCutAtSeven", Prefix(kPng, 7), PictureFormat::Unrecognised},
    {"Gif", Text("GIF89a\x01\x00\x01\x00"), PictureFormat::Unrecognised},
    {"Text", Text("Hello, world: not a picture\n"), PictureFormat::Unrecognised},
    {"LowerCaseLetters", Text("bmxxxxj"), PictureFormat::Unrecognised},
    {"Zeros", Bytes(16, 0), PictureFormat::Unrecognised},
    {"Empty", {}, PictureFormat::Unrecognised},
};

class HeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTest, RecognisesByContent) {
    EXPECT_EQ(RecognisePictureFormat(GetParam().header), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Headers, HeaderTest, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HeaderTest, FewerThanSevenBytesAreNeverRecognised) {
    // Every prefix of a JPEG, a bitmap and a PNG that ends before byte 6.
    for (const Bytes& file : {kJfif, kExif, kBitmap, kPng}) {
        for (std::size_t n = 0; n < 7; ++n) {
            EXPECT_EQ(RecognisePictureFormat(Prefix(file, n)), PictureFormat::Unrecognised)
                << n << " bytes";
        }
    }
}

// --- The same test on files: the name plays no part; unreadable files are unrecognised.

struct FileCase {
    const char* name;
    const char* file_name;
    Bytes content;
    PictureFormat want;
};
void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<FileCase> kFileCases = {
    {"BmpNameHoldingJfif", "picture.bmp", kJfif, PictureFormat::Jpeg},
    {"JpgNameHoldingBitmap", "picture.jpg", kBitmap, PictureFormat::Bmp},
    {"JpgNameHoldingExif", "camera.JPG", kExif, PictureFormat::Jpeg},
    {"PngWithoutExtension", "picture", kPng, PictureFormat::Png},
    {"JpgNameHoldingText", "notes.jpg", Text("just some text, no picture\n"),
     PictureFormat::Unrecognised},
    {"EmptyFile", "empty.jpg", {}, PictureFormat::Unrecognised},
    {"OneByte", "one.bmp", Prefix(kBitmap, 1), PictureFormat::Unrecognised},
    {"SixBytesOfJfif", "six.jpg", Prefix(kJfif, 6), PictureFormat::Unrecognised},
    {"SevenBytesOfJfif", "seven.jpg", Prefix(kJfif, 7), PictureFormat::Jpeg},
};

class HeaderFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(HeaderFileTest, RecognisesTheFile) {
    const ScratchDir dir;
    const auto path = dir / GetParam().file_name;
    fixtures::WriteBytes(path, GetParam().content);
    EXPECT_EQ(RecognisePictureFile(path), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Files, HeaderFileTest, ::testing::ValuesIn(kFileCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HeaderFileTest, FilesUpToSixBytesAreUnrecognised) {
    const ScratchDir dir;
    for (std::size_t n = 0; n < 7; ++n) {
        const auto path = dir / ("prefix" + std::to_string(n));
        fixtures::WriteBytes(path, Prefix(kJfif, n));
        EXPECT_EQ(RecognisePictureFile(path), PictureFormat::Unrecognised) << n << " bytes";
    }
}

TEST(HeaderFileTest, FilesThatCannotBeReadAreUnrecognised) {
    const ScratchDir dir;
    // A folder opens on Linux but reads nothing; a folder named like a JPEG changes nothing.
    std::filesystem::create_directory(dir / "folder.jpg");
    EXPECT_EQ(RecognisePictureFile(dir / "folder.jpg"), PictureFormat::Unrecognised);
    EXPECT_EQ(RecognisePictureFile(dir / "missing.jpg"), PictureFormat::Unrecognised);
    EXPECT_EQ(RecognisePictureFile(""), PictureFormat::Unrecognised);
}

TEST(HeaderFileTest, FileWithoutReadPermissionIsUnrecognised) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permission bits do not stop root";
    const ScratchDir dir;
    const auto path = dir / "locked.jpg";
    fixtures::WriteBytes(path, kJfif);
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(RecognisePictureFile(path), PictureFormat::Unrecognised);
}

TEST(HeaderFileTest, ShippedExampleIsJpeg) {
    EXPECT_EQ(RecognisePictureFile(testsupport::kExamplesDir / "cat.jpg"), PictureFormat::Jpeg);
}

// --- Loading: recognise, then decode with what the content says.

TEST(LoadPictureTest, NameDoesNotChooseTheDecoder) {
    const ScratchDir dir;
    // A JPEG named .bmp decodes as the JPEG it is.
    const auto jpeg_as_bmp = dir / "cat.bmp";
    std::filesystem::copy_file(testsupport::kExamplesDir / "cat.jpg", jpeg_as_bmp);
    ASSERT_EQ(RecognisePictureFile(jpeg_as_bmp), PictureFormat::Jpeg);
    const SourcePicture cat = LoadPicture(jpeg_as_bmp, RecognisePictureFile(jpeg_as_bmp));
    EXPECT_EQ(cat.width, 400);
    EXPECT_EQ(cat.height, 300);

    // A 1 x 1 red bitmap named .jpg decodes as a bitmap.
    const auto bmp_as_jpg = dir / "red.jpg";
    fixtures::WriteBytes(bmp_as_jpg,
                         fixtures::Bmp(1, 1, 24, fixtures::kBiRgb, {}, {0x00, 0x00, 0xFF, 0x00}));
    ASSERT_EQ(RecognisePictureFile(bmp_as_jpg), PictureFormat::Bmp);
    const SourcePicture red = LoadPicture(bmp_as_jpg, RecognisePictureFile(bmp_as_jpg));
    ASSERT_EQ(red.width, 1);
    EXPECT_EQ(red.At(0, 0), fixtures::Canvas(255, 0, 0));
}

TEST(LoadPictureTest, ErrorsNameTheFileAndTheProblem) {
    const ScratchDir dir;
    std::filesystem::create_directory(dir / "folder.jpg");
    fixtures::WriteBytes(dir / "text.png", Text("no picture here"));
    fixtures::WriteBytes(dir / "pic.jpg", kBitmap);
    const struct {
        std::filesystem::path path;
        PictureFormat format;
        std::string message;
    } cases[] = {
        {dir / "missing.jpg", PictureFormat::Jpeg, ": cannot open the file: No such file"},
        {dir / "folder.jpg", PictureFormat::Jpeg, ": cannot read the file: Is a directory"},
        {dir / "text.png", PictureFormat::Unrecognised, ": not a JPEG, BMP or PNG file"},
        {dir / "pic.jpg", PictureFormat::Jpeg, ": not a JPEG file: starts with 0x42 0x4d"},
    };
    for (const auto& c : cases) {
        try {
            LoadPicture(c.path, c.format);
            ADD_FAILURE() << c.path << " loaded";
        } catch (const PictureError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.path.string() + c.message, 0), 0u)
                << error.what();
        }
    }
}

}  // namespace
}  // namespace zimbor
