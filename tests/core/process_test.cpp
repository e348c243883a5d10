#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fli/process.hpp"

namespace zimbor {
namespace {

// Keeps the status texts, the preview events and the last progress position.
class StageLog final : public Reporter {
public:
    std::vector<std::string> events;
    int progress = -1;
    std::string pixelError;

    void SetStatus(std::string_view text) override {
        if (events.empty() || events.back() != text) events.emplace_back(text);
    }
    void SetProgress(int position) override { progress = position; }
    void ShowPlane(Preview which, const Plane&) override {
        static constexpr const char* kNames[] = {"show mapped", "show final", "show sprite",
                                                 "show hires"};
        events.emplace_back(kNames[static_cast<int>(which)]);
    }
    void ClearPreviews() override { events.emplace_back("clear"); }
    void SetPixelErrorText(std::string_view text) override { pixelError = text; }
};

std::unique_ptr<CanvasImage> Gradient() {
    auto crop = std::make_unique<CanvasImage>();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            (*crop)[PixelSlot(x, y)] = static_cast<std::uint32_t>(x + (y << 8) + ((x ^ y) << 16));
        }
    }
    return crop;
}

struct ModeCase {
    const char* name;
    DitherMode dither;
    std::vector<std::string> stages;  // status texts up to the mapping
};

class ProcessStages : public testing::TestWithParam<ModeCase> {};

TEST_P(ProcessStages, PreviewOnlyStopsAfterTheMapping) {
    const ModeCase& c = GetParam();
    auto state = std::make_unique<ConversionState>();
    StageLog log;
    Process(*Gradient(), Settings{.dither = c.dither, .previewOnly = true}, *state, log);
    std::vector<std::string> expected = c.stages;
    expected.insert(expected.end(), {"show mapped", "clear", "show mapped",
                                     std::string(status::kPreviewOnly)});
    EXPECT_EQ(log.events, expected);
    EXPECT_EQ(log.progress, 0);
    EXPECT_FALSE(state->conversionDone);
}

TEST_P(ProcessStages, FullRunConvertsAndReportsThePixelError) {
    const ModeCase& c = GetParam();
    auto state = std::make_unique<ConversionState>();
    StageLog log;
    Process(*Gradient(), Settings{.dither = c.dither}, *state, log);
    std::vector<std::string> expected = c.stages;
    expected.emplace_back("show mapped");
    for (int n = 0; n < 16; ++n) {
        expected.push_back(std::string(status::kTrialPrefix) + std::to_string(n));
        expected.emplace_back("show final");
    }
    const int overlay = state->displayerTemplate[kOverlayColourByte];
    expected.push_back(std::string(status::kFinalPrefix) + std::to_string(overlay));
    expected.insert(expected.end(), {"show final", "show sprite", "show hires",
                                     std::string(status::kProcessed)});
    EXPECT_EQ(log.events, expected);
    EXPECT_EQ(log.progress, 0);
    EXPECT_EQ(log.pixelError, std::to_string(PixelErrorPercent(DifferingPixels(state->planes))));
    EXPECT_TRUE(state->conversionDone);
    EXPECT_EQ(CopyBank(state->memory), state->rawBuffer);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ProcessStages,
    testing::Values(
        ModeCase{"custom", DitherMode::Custom,
                 {std::string(status::kSeparating), std::string(status::kErrorDiffusion),
                  std::string(status::kMapping)}},
        ModeCase{"forced", DitherMode::Forced,
                 {std::string(status::kSeparating), std::string(status::kOrdered),
                  std::string(status::kMapping)}},
        ModeCase{"selective", DitherMode::Selective,
                 {std::string(status::kSeparating), std::string(status::kOrdered),
                  std::string(status::kMapping)}},
        ModeCase{"none", DitherMode::None,
                 {std::string(status::kSeparating), std::string(status::kMapping)}}),
    [](const testing::TestParamInfo<ModeCase>& row) { return row.param.name; });

TEST(Process, PreviewOnlyAfterAFullRunKeepsTheBankAndTheFiles) {
    auto state = std::make_unique<ConversionState>();
    NullReporter reporter;
    Process(*Gradient(), Settings{.background = 6}, *state, reporter);
    const auto before = std::make_unique<ConversionState>(*state);
    auto other = std::make_unique<CanvasImage>();
    other->fill(0x00FFFFFFu);
    Process(*other, Settings{.dither = DitherMode::None, .previewOnly = true, .background = 3},
            *state, reporter);
    EXPECT_EQ(state->memory, before->memory);
    EXPECT_EQ(state->rawBuffer, before->rawBuffer);
    EXPECT_EQ(state->displayerTemplate, before->displayerTemplate);
    EXPECT_TRUE(state->conversionDone);
    EXPECT_NE(state->planes.MappedImage, before->planes.MappedImage);
}

TEST(Process, TwoRunsGiveTheSameResult) {
    auto first = std::make_unique<ConversionState>();
    auto second = std::make_unique<ConversionState>();
    NullReporter reporter;
    const Settings settings{.tone = {.contrast = 40}, .dither = DitherMode::Custom, .background = 11};
    Process(*Gradient(), settings, *first, reporter);
    Process(*Gradient(), Settings{.dither = DitherMode::Forced, .yuvDistance = false}, *second,
            reporter);
    Process(*Gradient(), settings, *second, reporter);
    EXPECT_EQ(first->memory, second->memory);
    EXPECT_EQ(first->rawBuffer, second->rawBuffer);
    EXPECT_EQ(first->displayerTemplate, second->displayerTemplate);
    EXPECT_EQ(first->planes.FinalImage, second->planes.FinalImage);
    EXPECT_EQ(first->planes.SpriteLayer, second->planes.SpriteLayer);
    EXPECT_EQ(first->planes.HiresLayer, second->planes.HiresLayer);
}

TEST(Settings, WhichDistanceEachStepUses) {
    struct Case { bool yuv, skip; Distance reduction, conversion; };
    const Case cases[] = {
        {true, false, Distance::Yuv, Distance::Yuv},
        {true, true, Distance::Rgb, Distance::Yuv},
        {false, false, Distance::Rgb, Distance::Rgb},
        {false, true, Distance::Rgb, Distance::Rgb},
    };
    for (const Case& c : cases) {
        const Settings s{.yuvDistance = c.yuv, .skipYuvReduction = c.skip};
        EXPECT_EQ(ReductionDistance(s), c.reduction);
        EXPECT_EQ(ConversionDistance(s), c.conversion);
    }
}

}  // namespace
}  // namespace zimbor
