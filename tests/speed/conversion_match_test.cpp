// The fast conversion on random pictures with random settings, against the literal oracle: the
// planes, the whole memory image, the raw buffer, the template's colour bytes, the done flag and
// the whole log of reporter calls must agree.
//
// A whole oracle conversion takes about 0.2 s (ten times that under the sanitizers), so the
// oracle sees a few dozen pictures per run; ZIMBOR_SPEED_PICTURES=N raises that for a longer run.
// Hundreds more pictures are checked without the oracle for what must hold on any picture: the
// same result with any number of threads, and the trials' totals as the error of their pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fli/convert.hpp"
#include "fli/process.hpp"
#include "tests/oracle/harness.hpp"
#include "tests/oracle/oracle.hpp"
#include "tests/speed/random_pictures.hpp"
#include "tests/support/recording_reporter.hpp"

namespace zimbor::test {
namespace {

#ifdef ZIMBOR_SPEED_SANITIZED
constexpr int kOracleConversions = 2;
constexpr int kOracleRuns = 1;
constexpr int kPropertyPictures = 6;
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
constexpr int kOracleConversions = 24;
constexpr int kOracleRuns = 8;
constexpr int kPropertyPictures = 240;
#endif

// The oracle counts, or N from ZIMBOR_SPEED_PICTURES for the conversions (and N / 3 runs).
int OracleCount(int normal, int share) {
    if (const char* n = std::getenv("ZIMBOR_SPEED_PICTURES"))
        return std::max(1, std::atoi(n) / share);
    return normal;
}

// ---------------------------------------------------------------------------------------------
// The two sides.
// ---------------------------------------------------------------------------------------------
// Leftovers of earlier work on both sides, which the final pass must clear: the same random
// values in the output planes and in the memory image, and the done flag set.
void Dirty(SplitMix64& random, ConversionState& state) {
    for (std::size_t i = 0; i < kPixels; ++i) {
        const auto f = static_cast<std::int32_t>(random.Next() & 0xFFFFFF);
        const auto h = static_cast<std::int32_t>(random.Next() & 0xFFFFFF);
        const auto s = static_cast<std::int32_t>(random.Next() & 0xFFFFFF);
        state.planes.FinalImage[i] = oracle::FinalImage[i] = f;
        state.planes.HiresLayer[i] = oracle::HiresLayer[i] = h;
        state.planes.SpriteLayer[i] = oracle::SpriteLayer[i] = s;
    }
    for (std::size_t a = 0; a < state.memory.size(); ++a) {
        state.memory[a] = oracle::C64Memory[a] = static_cast<std::uint8_t>(random.Next());
    }
    state.conversionDone = true;
    oracle::ConversionDone = 1;
}

std::string ThreadsName(int threads) {
    return threads == 0 ? "one per core" : std::to_string(threads);
}

// ---------------------------------------------------------------------------------------------
// ConvertToHiresFli on random mapped pictures: noise, patches, stripes, tiles and reduced crops,
// either distance, any background (also "no item selected"), 1 to 4 threads or one per core,
// from a fresh or a used state.
// ---------------------------------------------------------------------------------------------
class OracleConversion : public testing::TestWithParam<int> {};

TEST_P(OracleConversion, MatchesTheOracle) {
    const auto seed = static_cast<std::uint64_t>(GetParam());
    const RandomPicture picture = MakeRandomPicture(seed);
    SplitMix64 random(seed ^ 0xF11);
    const Distance mode = random.Below(3) != 0 ? Distance::Yuv : Distance::Rgb;
    const int background = random.Below(kColourCount + 1) - 1;
    const int threads = random.Below(5);
    const bool used = random.Below(2) == 0;
    SCOPED_TRACE(picture.description + (mode == Distance::Yuv ? ", yuv" : ", rgb") + ", bg " +
                 std::to_string(background) + ", threads " + ThreadsName(threads) +
                 (used ? ", used state" : ""));

    oracle::StartProgram();
    auto state = std::make_unique<ConversionState>();
    LoadOracleMapped(picture.indices);
    LoadMapped(picture.indices, state->planes);
    if (used) Dirty(random, *state);

    const EventLog expected = RunOracleConversion(mode, background);
    RecordingReporter recorder;
    ConvertToHiresFli(*state, mode, background, recorder, ConvertOptions{.threads = threads});
    EXPECT_EQ(FirstDifference(expected, recorder.Events()), "");
    EXPECT_EQ(StateDifferences(*state), "");
}

INSTANTIATE_TEST_SUITE_P(Random, OracleConversion,
                         testing::Range(0, OracleCount(kOracleConversions, 1)));

// ---------------------------------------------------------------------------------------------
// Whole Process runs on random crops (photo pieces, gradients, noise, window edges) with random
// tone, dither, distance boxes and background.
// ---------------------------------------------------------------------------------------------
class OracleProcess : public testing::TestWithParam<int> {};

TEST_P(OracleProcess, MatchesTheOracle) {
    SplitMix64 random(static_cast<std::uint64_t>(GetParam()) * 7919 + 0xC64);
    std::string what;
    const CanvasImage crop = RandomCrop(random, what);
    const Settings s = RandomSettings(random);
    SCOPED_TRACE(what + ", " + Describe(s));

    oracle::StartProgram();
    auto state = std::make_unique<ConversionState>();
    const EventLog expected = RunOracleProcess(crop, s);
    RecordingReporter recorder;
    Process(crop, s, *state, recorder);
    EXPECT_EQ(FirstDifference(expected, recorder.Events()), "");
    EXPECT_EQ(StateDifferences(*state), "");
}

INSTANTIATE_TEST_SUITE_P(Random, OracleProcess, testing::Range(0, OracleCount(kOracleRuns, 3)));

// ---------------------------------------------------------------------------------------------
// Mapped planes that do not hold palette colours with their own Y, U, V are converted step by
// step, still exactly as the oracle does.
// ---------------------------------------------------------------------------------------------
struct OddPlanes {
    const char* name;
    Distance mode;
    void (*spoil)(std::int32_t* mapped, std::int32_t* y);  // on one side's MappedImage, MappedY
    bool stepByStep;  // the production side goes step by step: 12 s each under the sanitizers
};

void PrintTo(const OddPlanes& c, std::ostream* out) {
    *out << c.name;
}

void ShiftY(std::int32_t*, std::int32_t* y) {
    for (std::size_t i = 0; i < kPixels; i += 97) y[i] += 1;
}
void NonPaletteColour(std::int32_t* mapped, std::int32_t*) {
    for (std::size_t i = 5; i < kPixels; i += 1001) mapped[i] = 0x123456;
}

class OddMappedPlanes : public testing::TestWithParam<OddPlanes> {};

TEST_P(OddMappedPlanes, MatchTheOracle) {
    const OddPlanes& c = GetParam();
    if (kSanitized && c.stepByStep) GTEST_SKIP() << "too slow under the sanitizers";
    const RandomPicture picture = MakeRandomPicture(4);
    oracle::StartProgram();
    auto state = std::make_unique<ConversionState>();
    LoadOracleMapped(picture.indices);
    LoadMapped(picture.indices, state->planes);
    c.spoil(oracle::MappedImage, oracle::MappedY);
    c.spoil(state->planes.MappedImage.data(), state->planes.MappedY.data());

    const EventLog expected = RunOracleConversion(c.mode, 3);
    RecordingReporter recorder;
    ConvertToHiresFli(*state, c.mode, 3, recorder);
    EXPECT_EQ(FirstDifference(expected, recorder.Events()), "");
    EXPECT_EQ(StateDifferences(*state), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OddMappedPlanes,
    testing::Values(OddPlanes{"YuvPlaneOffByOne", Distance::Yuv, ShiftY, true},
                    // The RGB mode reads no Y, U, V: the same planes take the fast path there.
                    OddPlanes{"YuvPlaneOffByOneInRgb", Distance::Rgb, ShiftY, false},
                    OddPlanes{"NonPaletteColour", Distance::Rgb, NonPaletteColour, true}),
    [](const testing::TestParamInfo<OddPlanes>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------------------------
// Without the oracle, on many pictures: any number of threads gives the same result, and the
// reported trials are consistent with the outcome.
// ---------------------------------------------------------------------------------------------
struct Outcome {
    EventLog log;
    std::unique_ptr<ConversionState> state;
};

Outcome Convert(const RandomPicture& picture, Distance mode, int background, int threads) {
    Outcome r{{}, std::make_unique<ConversionState>()};
    LoadMapped(picture.indices, r.state->planes);
    RecordingReporter recorder;
    ConvertToHiresFli(*r.state, mode, background, recorder, ConvertOptions{.threads = threads});
    r.log = recorder.Events();
    return r;
}

TEST(RandomPictures, SameResultWithAnyThreadCountAndConsistentTrials) {
    auto scratch = std::make_unique<ColourPlanes>();
    for (int n = 0; n < kPropertyPictures; ++n) {
        const auto seed = static_cast<std::uint64_t>(1000 + n);
        const RandomPicture picture = MakeRandomPicture(seed);
        const Distance mode = n % 3 == 2 ? Distance::Rgb : Distance::Yuv;
        SCOPED_TRACE(picture.description + (mode == Distance::Yuv ? ", yuv" : ", rgb"));

        const Outcome one = Convert(picture, mode, n % 16, 1);
        for (const int threads : {2, 3, 8}) {
            const Outcome many = Convert(picture, mode, n % 16, threads);
            ASSERT_EQ(FirstDifference(one.log, many.log), "") << threads << " threads";
            ASSERT_TRUE(one.state->planes.FinalImage == many.state->planes.FinalImage &&
                        one.state->planes.HiresLayer == many.state->planes.HiresLayer &&
                        one.state->planes.SpriteLayer == many.state->planes.SpriteLayer &&
                        one.state->memory == many.state->memory &&
                        one.state->rawBuffer == many.state->rawBuffer &&
                        one.state->displayerTemplate == many.state->displayerTemplate)
                << threads << " threads";
        }

        // The 16 trial pictures, then the final one. The overlay colour is the first trial with
        // the smallest LayerError, and the final picture is that trial's.
        std::vector<const Plane*> shown;
        for (const ReportEvent& e : one.log) {
            if (e.kind == EventKind::ShowPlane && e.preview == Preview::Final)
                shown.push_back(e.plane.get());
        }
        ASSERT_EQ(shown.size(), 17u);
        scratch->MappedImage = one.state->planes.MappedImage;
        int best = 0;
        std::uint32_t bestTotal = 0;
        for (int o = 0; o < kColourCount; ++o) {
            scratch->FinalImage = *shown[static_cast<std::size_t>(o)];
            const std::uint32_t total = LayerError(*scratch, mode);
            if (o == 0 || total < bestTotal) {
                best = o;
                bestTotal = total;
            }
        }
        ASSERT_EQ(one.state->displayerTemplate[kOverlayColourByte], best);
        ASSERT_TRUE(*shown[static_cast<std::size_t>(best)] == *shown[16]);
        ASSERT_TRUE(*shown[16] == one.state->planes.FinalImage);
    }
}

}  // namespace
}  // namespace zimbor::test
