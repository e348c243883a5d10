// The conversion against the literal oracle: both run the same crop with the same settings, and
// every plane value, every byte of the memory image, the raw buffer, the template's colour bytes,
// the done flag and the whole sequence of reporter calls must agree.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "c64/displayer.hpp"
#include "fli/process.hpp"
#include "tests/oracle/harness.hpp"
#include "tests/oracle/oracle.hpp"
#include "tests/support/pictures.hpp"
#include "tests/support/recording_reporter.hpp"

namespace {

// Under the sanitizers a whole conversion is some twenty times slower: run a smaller matrix there.
#ifdef ZIMBOR_ORACLE_SMALL_MATRIX
constexpr bool kSmallMatrix = true;
#else
constexpr bool kSmallMatrix = false;
#endif

using zimbor::DitherMode;
using zimbor::Settings;
using zimbor::Tone;
using zimbor::test::EventLog;
using zimbor::test::Gradient;
using zimbor::test::RecordingReporter;
using zimbor::test::RunOracleProcess;
using zimbor::test::StateDifferences;

// ---------------------------------------------------------------------------------------------
// Pictures, by name.
// ---------------------------------------------------------------------------------------------
const zimbor::CanvasImage& Picture(const std::string& name) {
    using namespace zimbor::test;
    static const std::map<std::string, std::function<zimbor::CanvasImage()>> makers = {
        {"noise1", [] { return NoisePicture(1); }},
        {"noise2", [] { return NoisePicture(0xC64); }},
        {"noiseNarrow", [] { return NoisePicture(7, 100, 160); }},  // many near-ties
        {"greyRamp", [] { return GradientPicture(Gradient::GreyRamp); }},
        {"vertical", [] { return GradientPicture(Gradient::Vertical); }},
        {"diagonal", [] { return GradientPicture(Gradient::Diagonal); }},
        {"radial", [] { return GradientPicture(Gradient::Radial); }},
        {"flatBlack", [] { return FlatPaletteColour(0); }},
        {"flatWhite", [] { return FlatPaletteColour(1); }},
        {"flatPink", [] { return FlatPaletteColour(10); }},
        {"patches8x4", [] { return PalettePatches(11, 8, 4); }},  // aligned with the cell rows
        {"patches5x3", [] { return PalettePatches(12, 5, 3); }},  // two or three colours a cell row
        {"quarterMiss",
         [] {
             return PaletteStripes({0, 1, 2, 4});
         }},  // 6048 pixels unmatched
        {"windowEdges", [] { return SelectiveWindowEdgePicture(3); }},
        {"photo", [] { return LoadPpm(TestDataPath("photo-crop.ppm")); }},
        {"cat", [] { return LoadPpm(TestDataPath("cat-crop.ppm")); }},
    };
    static std::map<std::string, zimbor::CanvasImage> made;
    auto found = made.find(name);
    if (found == made.end()) found = made.emplace(name, makers.at(name)()).first;
    return found->second;
}

// ---------------------------------------------------------------------------------------------
// Running both sides.
// ---------------------------------------------------------------------------------------------

EventLog RunProduction(const zimbor::CanvasImage& picture, const Settings& s,
                       zimbor::ConversionState& state) {
    RecordingReporter recorder;
    zimbor::Process(picture, s, state, recorder);
    return recorder.Events();
}


class Differential : public ::testing::Test {
  protected:
    void SetUp() override { oracle::StartProgram(); }

    // One Process run on both sides from the states they are in; the logs and the states must
    // agree afterwards.
    EventLog RunBoth(const std::string& picture, const Settings& s) {
        const EventLog expected = RunOracleProcess(Picture(picture), s);
        const EventLog actual = RunProduction(Picture(picture), s, *state_);
        EXPECT_EQ(zimbor::test::FirstDifference(expected, actual), "");
        EXPECT_EQ(StateDifferences(*state_), "");
        return actual;
    }

    std::unique_ptr<zimbor::ConversionState> state_ = std::make_unique<zimbor::ConversionState>();
};

// ---------------------------------------------------------------------------------------------
// The case matrix.
// ---------------------------------------------------------------------------------------------
struct NamedTone {
    const char* name;
    Tone tone;
};

const std::vector<NamedTone>& Tones() {
    static const std::vector<NamedTone> tones = {
        {"neutral", {}},
        {"contrastM256", {.contrast = -256}},
        {"contrastM200", {.contrast = -200}},  // tones inverted about 128
        {"contrastM100", {.contrast = -100}},  // every pixel (128, 128, 128)
        {"contrastM50", {.contrast = -50}},
        {"contrast256", {.contrast = 256}},
        {"bright256", {.brightness = 256}},    // all white
        {"brightM256", {.brightness = -256}},  // all black
        {"brightM40Contrast60", {.brightness = -40, .contrast = 60}},
        {"offsets", {.red = 100, .green = -60, .blue = 35, .contrast = 20}},
    };
    return tones;
}

const Tone& ToneNamed(const std::string& name) {
    for (const NamedTone& t : Tones()) {
        if (name == t.name) return t.tone;
    }
    throw std::invalid_argument("no tone " + name);
}

const char* DitherName(DitherMode d) {
    switch (d) {
        case DitherMode::Custom:
            return "Custom";
        case DitherMode::Forced:
            return "Forced";
        case DitherMode::Selective:
            return "Selective";
        case DitherMode::None:
            return "None";
    }
    return "?";
}

struct Case {
    std::string picture;
    std::string tone;
    DitherMode dither;
    bool yuvDistance;
    bool skipYuvReduction;
    int background;
    bool previewOnly;

    Settings ToSettings() const {
        return Settings{.tone = ToneNamed(tone),
                        .dither = dither,
                        .yuvDistance = yuvDistance,
                        .skipYuvReduction = skipYuvReduction,
                        .previewOnly = previewOnly,
                        .background = background};
    }
    std::string Name() const {
        std::string bg =
            background < 0 ? "M" + std::to_string(-background) : std::to_string(background);
        return picture + "_" + tone + "_" + DitherName(dither) + (yuvDistance ? "_yuv" : "_rgb") +
               (skipYuvReduction ? "_skip" : "") + "_bg" + bg;
    }
};

// So that gtest names a failing case by its settings rather than by its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.Name();
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.Name();
}

// Preview-only runs stop before the conversion and cost milliseconds, so they take every
// picture in every dither mode and every combination of the two distance boxes; the tone walks
// through the list so that each picture meets several tones. The sanitizer build keeps every
// fifth case.
std::vector<Case> PreviewCases() {
    const std::vector<std::string> pictures = {
        "noise1",    "noise2",   "noiseNarrow", "greyRamp",   "vertical",    "diagonal", "radial",
        "flatBlack", "flatPink", "patches8x4",  "patches5x3", "windowEdges", "photo",    "cat"};
    std::vector<Case> cases;
    std::size_t toneIndex = 0;
    std::size_t n = 0;
    for (const std::string& picture : pictures) {
        for (const DitherMode dither :
             {DitherMode::Custom, DitherMode::Forced, DitherMode::Selective, DitherMode::None}) {
            for (const bool yuv : {true, false}) {
                for (const bool skip : {false, true}) {
                    const std::string tone = Tones()[toneIndex++ % Tones().size()].name;
                    if (kSmallMatrix && n++ % 5 != 0) continue;
                    cases.push_back(Case{picture, tone, dither, yuv, skip, 0, true});
                }
            }
        }
    }
    return cases;
}

// Full conversions cost a whole oracle conversion each, so their settings are chosen by hand:
// every pair of (dither, "YUV Distance"), of (dither, "Skip YUV Color reduction") and of the two
// boxes occurs, every kind of picture and every extreme tone occurs, and the background runs
// through black, blue, light grey and "no item selected". The sanitizer build keeps the marked
// row; with the runs on one state below it still covers every dither mode and both distances.
std::vector<Case> FullCases() {
    using D = DitherMode;
    struct Row {
        Case c;
        bool underSanitizers;
    };
    const Row rows[] = {
        // {picture, tone, dither, "YUV Distance", "Skip YUV...", background, preview only},
        // and whether the sanitizer build runs it
        {{"photo", "neutral", D::Selective, true, false, 0, false}, false},  // the defaults
        {{"cat", "contrast256", D::Forced, true, false, 6, false}, false},
        {{"noise1", "neutral", D::Custom, false, true, 15, false}, true},
        {{"patches5x3", "neutral", D::None, false, false, 0, false}, false},
        {{"windowEdges", "neutral", D::Selective, false, true, -1, false}, false},
        {{"photo", "contrastM200", D::Custom, true, true, 0, false}, false},
        {{"cat", "contrastM256", D::None, true, true, 15, false}, false},
        {{"radial", "brightM40Contrast60", D::Forced, false, true, 6, false}, false},
        {{"vertical", "offsets", D::Selective, true, true, 0, false}, false},
        {{"greyRamp", "neutral", D::None, true, false, 0, false}, false},
        {{"diagonal", "contrastM50", D::Custom, true, false, 6, false}, false},
        {{"flatBlack", "neutral", D::None, true, false, 0, false}, false},
        {{"flatWhite", "neutral", D::None, false, false, 0, false}, false},
        {{"noiseNarrow", "contrastM100", D::Forced, true, false, 0, false}, false},
        {{"noise2", "bright256", D::Selective, false, false, 15, false}, false},
        {{"patches8x4", "neutral", D::Forced, false, false, 0, false}, false},
        {{"cat", "neutral", D::Custom, false, false, 0, false}, false},
        {{"photo", "contrast256", D::None, false, true, 6, false}, false},
    };
    std::vector<Case> cases;
    for (const Row& row : rows) {
        if (!kSmallMatrix || row.underSanitizers) cases.push_back(row.c);
    }
    return cases;
}

class PreviewOnly : public Differential, public ::testing::WithParamInterface<Case> {};

TEST_P(PreviewOnly, MatchesOracle) {
    RunBoth(GetParam().picture, GetParam().ToSettings());
}

INSTANTIATE_TEST_SUITE_P(Matrix, PreviewOnly, ::testing::ValuesIn(PreviewCases()), CaseName);

class FullConversion : public Differential, public ::testing::WithParamInterface<Case> {};

TEST_P(FullConversion, MatchesOracle) {
    RunBoth(GetParam().picture, GetParam().ToSettings());
}

INSTANTIATE_TEST_SUITE_P(Matrix, FullConversion, ::testing::ValuesIn(FullCases()), CaseName);

// ---------------------------------------------------------------------------------------------
// Runs one after the other on one state.
// ---------------------------------------------------------------------------------------------

// A preview-only run after a full one redoes the planes up to the mapping but leaves the bank,
// the raw buffer, the template and the done flag of the full run.
TEST_F(Differential, PreviewOnlyAfterFullRunKeepsTheBank) {
    RunBoth("cat", Settings{.dither = DitherMode::Selective, .background = 6});
    const zimbor::C64Memory memory = state_->memory;
    const zimbor::RawBuffer raw = state_->rawBuffer;
    const zimbor::DisplayerTemplate displayerTemplate = state_->displayerTemplate;

    RunBoth("photo", Settings{.tone = {.contrast = 256},
                              .dither = DitherMode::Custom,
                              .yuvDistance = false,
                              .previewOnly = true,
                              .background = 15});
    EXPECT_TRUE(state_->memory == memory);
    EXPECT_TRUE(state_->rawBuffer == raw);
    EXPECT_TRUE(state_->displayerTemplate == displayerTemplate);
    EXPECT_TRUE(state_->conversionDone);
}

// The trials leave bits in the bank and pixels in the layers; a second full run on the same state
// must not see them, and the same crop and settings must give the same bank again.
TEST_F(Differential, TwoFullRunsOnOneState) {
    const Settings first{.dither = DitherMode::Forced, .background = -1};
    RunBoth("noise2", first);
    const zimbor::RawBuffer raw = state_->rawBuffer;
    RunBoth("photo",
            Settings{.tone = {.brightness = 30}, .dither = DitherMode::None, .yuvDistance = false});
    if (kSmallMatrix) return;
    RunBoth("noise2", first);
    EXPECT_TRUE(state_->rawBuffer == raw);
}

// Black, white, red and purple in one-pixel stripes: in YUV every cell row shows black by the
// overlay and white and red by its pair, and misses its 2 purple pixels, 6048 in all, which is
// exactly 25 per cent (the floating-point formula of old would have shown 24).
TEST_F(Differential, QuarterOfThePixelsMissed) {
    if (kSmallMatrix)
        GTEST_SKIP() << "one more full conversion; the build without sanitizers runs it";
    const EventLog log = RunBoth("quarterMiss", Settings{.dither = DitherMode::None});
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(zimbor::test::Describe(log[log.size() - 2]), "PixelErrorText(\"25\")");
}

// A preview-only run as the very first run: the bank stays zero, the template keeps its initial
// colour bytes and nothing is marked done.
TEST_F(Differential, PreviewOnlyFirstLeavesTheStartState) {
    RunBoth("photo", Settings{.previewOnly = true});
    EXPECT_FALSE(state_->conversionDone);
    EXPECT_EQ(oracle::DisplayerTemplateByte25, 10);
    EXPECT_EQ(oracle::DisplayerTemplateByte26, 0);
}

}  // namespace
