#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "c64/files.hpp"
#include "fli/process.hpp"
#include "intake/crop.hpp"
#include "intake/picture.hpp"
#include "run_tool.hpp"
#include "tests/support/pictures.hpp"

namespace zimbor::testing_cli {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> PpmOf(const CanvasImage& crop, int width = kWidth, int height = kHeight) {
    std::vector<std::uint8_t> bytes =
        Bytes("P6\n# a test crop\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t c = crop[static_cast<std::size_t>(i % kPixels)];
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
    }
    return bytes;
}

// The conversion the library makes of the same crop and settings.
std::unique_ptr<ConversionState> LibraryConversion(const CanvasImage& crop, const Settings& settings) {
    auto state = std::make_unique<ConversionState>();
    NullReporter reporter;
    Process(crop, settings, *state, reporter);
    return state;
}

std::vector<std::uint8_t> ProgramOf(const ConversionState& state) {
    const ProgramBuffer p = BuildProgramBuffer(state.displayerTemplate, state.memory);
    return std::vector<std::uint8_t>(p.begin(), p.end());
}

class Cli : public testing::Test {
protected:
    void SetUp() override {
        crop_ = std::make_unique<CanvasImage>(test::NoisePicture(7));
        WriteFile(dir_ / "crop.ppm", PpmOf(*crop_));
    }
    std::string Crop() const { return (dir_ / "crop.ppm").string(); }

    TempDir dir_;
    std::unique_ptr<CanvasImage> crop_;
};

TEST_F(Cli, ConvertsACropIntoTheSameFilesAsTheLibrary) {
    const ToolResult r = RunConvert({Crop(), "--dither", "custom", "--contrast", "30", "--bg",
                                     "blue", "-o", (dir_ / "pic").string(), "--raw",
                                     (dir_ / "pic.raw").string(), "--dump", (dir_ / "dump").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto state = LibraryConversion(
        *crop_, Settings{.tone = {.contrast = 30}, .dither = DitherMode::Custom, .background = 6});
    EXPECT_EQ(ReadFile(dir_ / "pic.prg"), ProgramOf(*state));
    const std::vector<std::uint8_t> raw = ReadFile(dir_ / "pic.raw");
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), state->rawBuffer.begin(), state->rawBuffer.end()));

    const int overlay = state->displayerTemplate[kOverlayColourByte];
    const int percent = PixelErrorPercent(DifferingPixels(state->planes));
    const std::vector<std::uint8_t> info = ReadFile(dir_ / "dump" / "info.txt");
    EXPECT_EQ(std::string(info.begin(), info.end()),
              "overlay " + std::to_string(overlay) + "\nbackground 6\nlayer_error " +
                  std::to_string(LayerError(state->planes, Distance::Yuv)) + "\npixel_error " +
                  std::to_string(percent) + "\n");
    EXPECT_NE(r.out.find("overlay " + std::to_string(overlay)), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pixel error " + std::to_string(percent) + "%"), std::string::npos) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;  // no progress when stderr is not a terminal

    // The dumped planes are P6 pictures of the planes, pixel for pixel.
    const std::vector<std::uint8_t> final_ = ReadFile(dir_ / "dump" / "final.ppm");
    const std::string header = "P6\n144 168\n255\n";
    ASSERT_EQ(final_.size(), header.size() + 3u * kPixels);
    for (std::size_t i = 0; i < kPixels; ++i) {
        const std::int32_t c = state->planes.FinalImage[i];
        ASSERT_EQ(final_[header.size() + 3 * i], RedOf(c));
        ASSERT_EQ(final_[header.size() + 3 * i + 2], BlueOf(c));
    }
    for (const char* name : {"mapped.ppm", "hires.ppm", "sprite.ppm"}) {
        EXPECT_EQ(ReadFile(dir_ / "dump" / name).size(), final_.size()) << name;
    }
}

TEST_F(Cli, PreviewOnlyDumpsOnlyTheMappedPicture) {
    const ToolResult r = RunConvert({Crop(), "--preview-only", "--dump", (dir_ / "d").string(),
                                     "--png", (dir_ / "m").string(), "--scale", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::exists(dir_ / "d" / "mapped.ppm"), true);
    EXPECT_EQ(fs::exists(dir_ / "d" / "final.ppm"), false);
    EXPECT_EQ(fs::exists(dir_ / "d" / "info.txt"), false);
    // A PNG's IHDR holds the size: 144 x 168 at scale 3.
    const std::vector<std::uint8_t> png = ReadFile(dir_ / "m.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ((png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]), 432);
    EXPECT_EQ((png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23]), 504);
}

TEST_F(Cli, BackgroundNamesAndIndices) {
    for (const char* bg : {"D Grey", "d-grey", "D-GREY", "11"}) {
        const fs::path raw = dir_ / "bg.raw";
        const ToolResult r = RunConvert({Crop(), "--dither", "none", "--bg", bg, "--raw", raw.string()});
        ASSERT_EQ(r.status, 0) << bg << ": " << r.err;
        EXPECT_EQ(ReadFile(raw)[0], 0xBB) << bg;
    }
}

TEST_F(Cli, ExtensionsAreAppendedOnlyWhenMissing) {
    struct Case { std::string given, written; };
    const Case cases[] = {{"pic", "pic.prg"}, {"pic.prg", "pic.prg"}, {"PIC.PRG", "PIC.PRG"},
                          {"pic.raw", "pic.raw.prg"}};
    for (const Case& c : cases) {
        TempDir out;
        const ToolResult r = RunConvert({Crop(), "--dither", "none", "-o", (out / c.given).string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(out.Listing(), std::vector<std::string>{c.written}) << c.given;
    }
}

TEST_F(Cli, AnExistingFileIsReplaced) {
    WriteFile(dir_ / "old.prg", Bytes("old contents"));
    ASSERT_EQ(RunConvert({Crop(), "--dither", "none", "-o", (dir_ / "old.prg").string()}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "old.prg").size(), kProgramFileSize);
}

TEST_F(Cli, AFileThatCannotBeWrittenFailsWithStatus3) {
    const fs::path missing = dir_ / "no" / "such" / "folder" / "pic.prg";
    const ToolResult r = RunConvert({Crop(), "--dither", "none", "-o", missing.string()});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(missing.string()), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(Cli, AFailedSecondFileStillNamesTheFirst) {
    const ToolResult r = RunConvert({Crop(), "--dither", "none", "-o", (dir_ / "ok").string(),
                                     "--raw", (dir_ / "missing" / "x").string()});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("wrote " + (dir_ / "ok.prg").string()), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(dir_ / "ok.prg").size(), kProgramFileSize);
}

TEST_F(Cli, NoOutputMayReplaceThePictureRead) {
    ASSERT_EQ(RunConvert({Crop(), "--png", (dir_ / "pic.png").string(), "--scale", "1"}).status, 0);
    fs::copy_file(dir_ / "crop.ppm", dir_ / "mapped.ppm");
    const std::string png = (dir_ / "pic.png").string();
    const std::string mapped = (dir_ / "mapped.ppm").string();
    const std::vector<std::string> cases[] = {
        {png, "--preview-only", "--png", png},                                // the PNG itself
        {mapped, "--preview-only", "--dump", dir_.path().string()},           // a dumped plane
        {png, "-o", (dir_ / "out").string(), "--png", (dir_ / "PIC").string()},  // not the same file
    };
    const auto pngBefore = ReadFile(png);
    const auto mappedBefore = ReadFile(mapped);
    for (std::size_t k = 0; k < 2; ++k) {
        const ToolResult r = RunConvert(cases[k]);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("would replace the picture"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(png), pngBefore);
        EXPECT_EQ(ReadFile(mapped), mappedBefore);
    }
    EXPECT_EQ(RunConvert(cases[2]).status, 0);  // PIC.png is another file on this file system
}

TEST_F(Cli, PicturesAreCroppedAtTheGivenCorner) {
    const std::string jpeg = ZIMBOR_EXAMPLE_JPEG;
    // The far corner of the 400 x 300 picture, and a point inside.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {256, 132}, {100, 50}}) {
        const ToolResult r = RunConvert({jpeg, "--x", std::to_string(x), "--y", std::to_string(y),
                                         "--preview-only", "--dump", (dir_ / "d").string()});
        ASSERT_EQ(r.status, 0) << r.err;
        PictureCrop crop;
        crop.Load(LoadPicture(jpeg, PictureFormat::Jpeg));
        crop.Pan(-x, -y);
        const auto state = LibraryConversion(crop.Working(), Settings{.previewOnly = true});
        const std::vector<std::uint8_t> mapped = ReadFile(dir_ / "d" / "mapped.ppm");
        const std::size_t header = mapped.size() - 3u * kPixels;
        for (std::size_t i = 0; i < kPixels; i += 97) {
            ASSERT_EQ(mapped[header + 3 * i + 1], GreenOf(state->planes.MappedImage[i])) << x << "," << y;
        }
    }
}

struct BadInput {
    const char* name;
    std::vector<std::string> args;  // "CROP" stands for a good crop, "DIR/x" for a path in the folder
    std::string message;            // a part of the one-line message
};

class CliBadInput : public Cli, public testing::WithParamInterface<BadInput> {};

TEST_P(CliBadInput, FailsWithStatus2AndWritesNothing) {
    const BadInput& c = GetParam();
    WriteFile(dir_ / "small.ppm", PpmOf(*crop_, 100, 100));
    std::vector<std::uint8_t> truncated = PpmOf(*crop_);
    truncated.resize(truncated.size() - 1);
    WriteFile(dir_ / "truncated.ppm", truncated);
    WriteFile(dir_ / "p3.ppm", Bytes("P3\n144 168\n255\n0 0 0\n"));
    WriteFile(dir_ / "maxval.ppm", Bytes("P6\n144 168\n65535\n"));
    WriteFile(dir_ / "text.txt", Bytes("just some text, nothing else\n"));

    std::vector<std::string> args;
    for (const std::string& a : c.args) {
        if (a == "CROP") args.push_back(Crop());
        else if (a.starts_with("DIR/")) args.push_back((dir_ / a.substr(4)).string());
        else args.push_back(a);
    }
    const auto before = dir_.Listing();
    const ToolResult r = RunConvert(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(r.err.starts_with("zimbor-convert: ")) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(dir_.Listing(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInput,
    testing::Values(
        BadInput{"unknown_option", {"CROP", "--sharpen", "3"}, "unknown option \"--sharpen\""},
        BadInput{"slider_out_of_range", {"CROP", "--red", "257", "-o", "DIR/x"}, "--red: 257 is out of range -256..256"},
        BadInput{"slider_not_a_number", {"CROP", "--contrast", "lots"}, "--contrast: \"lots\" is not a whole number"},
        BadInput{"slider_trailing_junk", {"CROP", "--blue", "12px"}, "not a whole number"},
        BadInput{"missing_value", {"CROP", "--brightness"}, "--brightness needs a value"},
        BadInput{"bad_dither", {"CROP", "--dither", "floyd"}, "--dither: \"floyd\""},
        BadInput{"bad_background", {"CROP", "--bg", "mauve", "-o", "DIR/x"}, "--bg: \"mauve\""},
        BadInput{"background_index_16", {"CROP", "--bg", "16"}, "--bg: \"16\""},
        BadInput{"no_picture", {"--rgb"}, "no picture given"},
        BadInput{"two_pictures", {"CROP", "CROP"}, "several pictures need --out-dir"},
        BadInput{"preview_only_and_program", {"CROP", "--preview-only", "-o", "DIR/x"}, "--preview-only"},
        BadInput{"missing_file", {"DIR/nothing.jpg", "-o", "DIR/x"}, "nothing.jpg: cannot open"},
        BadInput{"folder", {"DIR/", "-o", "DIR/x"}, "is a folder"},
        BadInput{"text_file", {"DIR/text.txt", "-o", "DIR/x"}, "not a JPEG, BMP, PNG or PPM picture"},
        BadInput{"ppm_of_another_size", {"DIR/small.ppm", "-o", "DIR/x"}, "100 x 100, not 144 x 168"},
        BadInput{"ppm_truncated", {"DIR/truncated.ppm", "-o", "DIR/x"}, "truncated"},
        BadInput{"ppm_ascii", {"DIR/p3.ppm", "-o", "DIR/x"}, "not a JPEG, BMP, PNG or PPM"},
        BadInput{"ppm_16_bit", {"DIR/maxval.ppm", "-o", "DIR/x"}, "maximum value is 65535"},
        BadInput{"crop_corner_outside_ppm", {"CROP", "--x", "1", "-o", "DIR/x"}, "--x 1 is outside 0..0"},
        BadInput{"crop_corner_outside_jpeg", {ZIMBOR_EXAMPLE_JPEG, "--y", "133", "-o", "DIR/x"}, "--y 133 is outside 0..132"},
        BadInput{"output_is_a_folder", {"CROP", "-o", "DIR/"}, "-o needs a file name"},
        BadInput{"scale_zero", {"CROP", "--scale", "0"}, "--scale: 0 is out of range 1..16"},
        BadInput{"overlay_without_render", {"CROP", "--overlay", "3"}, "--overlay goes with --render"}),
    [](const testing::TestParamInfo<BadInput>& row) { return row.param.name; });

}  // namespace
}  // namespace zimbor::testing_cli

namespace zimbor::testing_cli {
namespace {

TEST_F(Cli, RenderReadsBothFilesBackIntoTheFinalPicture) {
    ASSERT_EQ(RunConvert({Crop(), "--bg", "pink", "-o", (dir_ / "pic").string(), "--raw",
                          (dir_ / "pic").string(), "--dump", (dir_ / "converted").string()})
                  .status,
              0);
    const std::vector<std::uint8_t> final_ = ReadFile(dir_ / "converted" / "final.ppm");
    const std::vector<std::uint8_t> info = ReadFile(dir_ / "converted" / "info.txt");
    const std::string text(info.begin(), info.end());
    const std::string overlay = text.substr(8, text.find('\n') - 8);  // the line "overlay N"

    const ToolResult prg = RunConvert({"--render", (dir_ / "pic.prg").string(), "--dump",
                                       (dir_ / "from-prg").string()});
    ASSERT_EQ(prg.status, 0) << prg.err;
    EXPECT_EQ(ReadFile(dir_ / "from-prg" / "final.ppm"), final_);
    EXPECT_NE(prg.out.find("background 10 (Pink)"), std::string::npos) << prg.out;

    const ToolResult raw = RunConvert({"--render", (dir_ / "pic.raw").string(), "--overlay",
                                       overlay, "--dump", (dir_ / "from-raw").string(), "--png",
                                       (dir_ / "screen.png").string(), "--screen", "--scale", "1"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    const std::vector<std::uint8_t> png = ReadFile(dir_ / "screen.png");
    EXPECT_EQ((png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]), 320);
    EXPECT_EQ((png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23]), 200);
    const std::vector<std::uint8_t> screen = ReadFile(dir_ / "from-raw" / "final.ppm");
    const std::string header = "P6\n320 200\n255\n";
    ASSERT_EQ(screen.size(), header.size() + 3u * 320 * 200);
    // Picture pixel (x, y) is screen pixel (88 + x, y).
    const std::size_t finalHeader = final_.size() - 3u * kPixels;
    for (int y = 0; y < kHeight; y += 7) {
        for (int x = 0; x < kWidth; x += 5) {
            const std::size_t p = finalHeader + 3u * static_cast<std::size_t>(y * kWidth + x);
            const std::size_t s = header.size() + 3u * static_cast<std::size_t>(y * 320 + 88 + x);
            ASSERT_EQ(screen[s], final_[p]) << x << "," << y;
            ASSERT_EQ(screen[s + 2], final_[p + 2]) << x << "," << y;
        }
    }
}

TEST_F(Cli, RenderRefusesWhatIsNotASavedFile) {
    ASSERT_EQ(RunConvert({Crop(), "--raw", (dir_ / "pic").string(), "-o", (dir_ / "pic").string()}).status, 0);
    WriteFile(dir_ / "short.prg", Bytes("not a program"));
    std::vector<std::uint8_t> unsigned_ = ReadFile(dir_ / "pic.prg");
    unsigned_[19] = 'x';
    WriteFile(dir_ / "unsigned.prg", unsigned_);
    struct Case { std::vector<std::string> args; std::string message; };
    const Case cases[] = {
        {{"--render", (dir_ / "pic.raw").string()}, "give it with --overlay N"},
        {{"--render", (dir_ / "pic.prg").string(), "--overlay", "3"}, "--overlay is for raw files"},
        {{"--render", (dir_ / "short.prg").string()}, "short.prg: "},
        {{"--render", (dir_ / "unsigned.prg").string()}, "unsigned.prg: not a program file"},
        {{"--render", (dir_ / "missing.prg").string()}, "cannot open"},
        {{"--render", (dir_ / "pic.prg").string(), Crop()}, "takes no picture"},
        {{"--render", (dir_ / "pic.prg").string(), "--contrast", "5"}, "takes no conversion settings"},
    };
    for (const Case& c : cases) {
        const ToolResult r = RunConvert(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace zimbor::testing_cli
