// Benchmarks of the conversion: the literal oracle against the production conversion on the same
// mapped pictures (every dither mode, both distance settings), the pair search alone, the colour
// stages, and the command line as a subprocess (one picture, and a batch of 100) with its peak
// memory. Times are wall-clock; at the end a table gives the oracle-to-production ratios, which
// are the figures to compare, since both sides run in the same process at the same moment.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "colour/dither.hpp"
#include "colour/mapping.hpp"
#include "colour/tone.hpp"
#include "fli/pairs.hpp"
#include "fli/process.hpp"
#include "fli/search.hpp"
#include "tests/support/pictures.hpp"
#ifdef ZIMBOR_BENCH_ORACLE
#include "tests/oracle/oracle.hpp"
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace zimbor;

// ---------------------------------------------------------------------------------------------
// Inputs: three crops, reduced to the palette by the production colour stages under every
// dither mode and both distance settings.
// ---------------------------------------------------------------------------------------------
struct Picture {
    std::string name;
    CanvasImage crop;
};

const std::vector<Picture>& Pictures() {
    static const std::vector<Picture> pictures = [] {
        std::vector<Picture> p;
        p.push_back({"photo", test::LoadPpm(test::TestDataPath("photo-crop.ppm"))});
        p.push_back({"cat", test::LoadPpm(test::TestDataPath("cat-crop.ppm"))});
        p.push_back({"noise", test::NoisePicture(1)});
        return p;
    }();
    return pictures;
}

struct Dither {
    const char* name;
    DitherMode mode;
};
constexpr Dither kDithers[] = {
    {"custom", DitherMode::Custom},
    {"forced", DitherMode::Forced},
    {"selective", DitherMode::Selective},
    {"none", DitherMode::None},
};

Settings MakeSettings(DitherMode dither, bool yuv) {
    return Settings{.dither = dither, .yuvDistance = yuv};
}

// A state whose mapped planes hold the crop reduced with these settings.
std::unique_ptr<ConversionState> Mapped(const CanvasImage& crop, DitherMode dither, bool yuv) {
    auto state = std::make_unique<ConversionState>();
    Settings s = MakeSettings(dither, yuv);
    s.previewOnly = true;
    NullReporter quiet;
    Process(crop, s, *state, quiet);
    return state;
}

std::string CaseName(const Picture& p, const Dither& d, bool yuv) {
    return p.name + "/" + d.name + "/" + (yuv ? "yuv" : "rgb");
}

// ---------------------------------------------------------------------------------------------
// The whole conversion: 16 trials and the final pass.
// ---------------------------------------------------------------------------------------------
void ConvertProduction(benchmark::State& st, const CanvasImage& crop, DitherMode dither, bool yuv,
                       int threads) {
    auto state = Mapped(crop, dither, yuv);
    NullReporter quiet;
    const ConvertOptions options{.threads = threads};
    const Distance mode = yuv ? Distance::Yuv : Distance::Rgb;
    for (auto _ : st) {
        ConvertToHiresFli(*state, mode, 0, quiet, options);
        benchmark::DoNotOptimize(state->rawBuffer.data());
    }
}

#ifdef ZIMBOR_BENCH_ORACLE
void LoadOracleMapped(const ColourPlanes& planes) {
    for (std::size_t i = 0; i < kPixels; ++i) {
        oracle::MappedImage[i] = planes.MappedImage[i];
        oracle::MappedY[i] = planes.MappedY[i];
        oracle::MappedU[i] = planes.MappedU[i];
        oracle::MappedV[i] = planes.MappedV[i];
    }
}

void ConvertOracle(benchmark::State& st, const CanvasImage& crop, DitherMode dither, bool yuv) {
    oracle::StartProgram();
    LoadOracleMapped(Mapped(crop, dither, yuv)->planes);
    oracle::Form1.CheckBox2 = yuv;
    for (auto _ : st) {
        oracle::ConvertToHiresFli();
        benchmark::DoNotOptimize(oracle::RawBuffer);
    }
}
#endif

// ---------------------------------------------------------------------------------------------
// The pair search alone: every cell row of the picture once, for overlay colour 0 (FindCellPair)
// or for all 16 overlay colours at once (SearchCellPairs, no reuse between cell rows).
// ---------------------------------------------------------------------------------------------
void PairSearchFindCellPair(benchmark::State& st, const CanvasImage& crop) {
    auto state = Mapped(crop, DitherMode::Selective, true);
    for (auto _ : st) {
        int sum = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x0 = 0; x0 < kWidth; x0 += 8)
                sum += FindCellPair(state->planes, Distance::Yuv, 0, x0, y);
        }
        benchmark::DoNotOptimize(sum);
    }
    st.counters["cells"] =
        benchmark::Counter(3024.0, benchmark::Counter::kIsIterationInvariantRate);
}

void PairSearchAllOverlays(benchmark::State& st, const CanvasImage& crop) {
    auto state = Mapped(crop, DitherMode::Selective, true);
    std::vector<CellColours> cells;
    for (int y = 0; y < kHeight; ++y) {
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            CellColours c = 0;
            MappedCellColours(state->planes, Distance::Yuv, x0, y, c);
            cells.push_back(c);
        }
    }
    for (auto _ : st) {
        std::uint32_t sum = 0;
        for (CellColours c : cells) sum += SearchCellPairs(c, Distance::Yuv).score[0];
        benchmark::DoNotOptimize(sum);
    }
    st.counters["cells"] =
        benchmark::Counter(3024.0, benchmark::Counter::kIsIterationInvariantRate);
    st.SetLabel(SearchInstructionSet());
}

#ifdef ZIMBOR_BENCH_ORACLE
void PairSearchOracle(benchmark::State& st, const CanvasImage& crop) {
    oracle::StartProgram();
    LoadOracleMapped(Mapped(crop, DitherMode::Selective, true)->planes);
    oracle::Form1.CheckBox2 = true;
    for (auto _ : st) {
        int sum = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x0 = 0; x0 < kWidth; x0 += 8) sum += oracle::FindCellPair(0, x0, y);
        }
        benchmark::DoNotOptimize(sum);
    }
    st.counters["cells"] =
        benchmark::Counter(3024.0, benchmark::Counter::kIsIterationInvariantRate);
}
#endif

// ---------------------------------------------------------------------------------------------
// The stages before the conversion, and the whole Process run.
// ---------------------------------------------------------------------------------------------
void StageSeparate(benchmark::State& st, const CanvasImage& crop) {
    auto planes = std::make_unique<ColourPlanes>();
    NullReporter quiet;
    for (auto _ : st) SeparateChannels(crop, Tone{}, *planes, quiet);
}

// A dither changes the planes in place: each round starts again from the separated channels,
// outside the timing.
template <typename Dither>
void TimeDither(benchmark::State& st, const CanvasImage& crop, Dither dither) {
    auto planes = std::make_unique<ColourPlanes>();
    auto separated = std::make_unique<ColourPlanes>();
    NullReporter quiet;
    SeparateChannels(crop, Tone{}, *separated, quiet);
    for (auto _ : st) {
        st.PauseTiming();
        *planes = *separated;
        st.ResumeTiming();
        dither(*planes, quiet);
    }
}

void StageErrorDiffusion(benchmark::State& st, const CanvasImage& crop, Distance mode) {
    TimeDither(st, crop, [mode](ColourPlanes& p, Reporter& r) { ErrorDiffusionDither(p, mode, r); });
}

void StageOrdered(benchmark::State& st, const CanvasImage& crop) {
    TimeDither(st, crop, [](ColourPlanes& p, Reporter& r) { OrderedDither(p, true, r); });
}

void StageMapToPalette(benchmark::State& st, const CanvasImage& crop, Distance mode) {
    auto planes = std::make_unique<ColourPlanes>();
    NullReporter quiet;
    SeparateChannels(crop, Tone{}, *planes, quiet);
    for (auto _ : st) MapToPalette(*planes, mode, quiet);
}

void WholeProcess(benchmark::State& st, const CanvasImage& crop, DitherMode dither, int threads) {
    auto state = std::make_unique<ConversionState>();
    NullReporter quiet;
    const Settings s = MakeSettings(dither, true);
    for (auto _ : st) Process(crop, s, *state, quiet, ConvertOptions{.threads = threads});
}

// ---------------------------------------------------------------------------------------------
// The command line, run as a subprocess: decode the JPEG, convert, write the program file. The
// peak resident memory comes from the child's resource usage.
// ---------------------------------------------------------------------------------------------
struct ChildRun {
    int status = -1;
    double peakMegabytes = 0;
};

ChildRun RunChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ChildRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.peakMegabytes =
                static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

const fs::path kConverter = ZIMBOR_CONVERT_PATH;
const fs::path kExampleJpeg = fs::path(ZIMBOR_SOURCE_DIR) / "examples" / "cat.jpg";

fs::path ScratchFolder() {
    const fs::path dir = fs::temp_directory_path() / ("zimbor-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

void CommandLine(benchmark::State& st, const std::vector<std::string>& args) {
    if (!fs::exists(kConverter)) {
        st.SkipWithError("zimbor-convert is not built");
        return;
    }
    double peak = 0;
    for (auto _ : st) {
        const ChildRun run = RunChild(args);
        if (run.status != 0) {
            st.SkipWithError("zimbor-convert failed");
            return;
        }
        peak = std::max(peak, run.peakMegabytes);
    }
    st.counters["peak_MB"] = peak;
}

void CommandLineOne(benchmark::State& st) {
    const fs::path out = ScratchFolder() / "one.prg";
    CommandLine(st, {kConverter.string(), kExampleJpeg.string(), "-o", out.string()});
}

void CommandLineBatch(benchmark::State& st) {
    constexpr int kBatch = 100;
    const fs::path dir = ScratchFolder();
    const fs::path pictures = dir / "pictures";
    fs::create_directories(pictures);
    std::vector<std::string> args = {kConverter.string(), "--out-dir", (dir / "out").string()};
    for (int i = 0; i < kBatch; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cat%03d.jpg", i);
        const fs::path p = pictures / name;
        if (fs::exists(kExampleJpeg) && !fs::exists(p)) fs::copy_file(kExampleJpeg, p);
        args.push_back(p.string());
    }
    CommandLine(st, args);
    st.counters["pictures"] =
        benchmark::Counter(kBatch, benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------------------------------------
// Registration, and the ratio table at the end.
// ---------------------------------------------------------------------------------------------
void RegisterAll() {
    const auto ms = benchmark::kMillisecond;
    const auto us = benchmark::kMicrosecond;
    for (const Picture& p : Pictures()) {
        for (const Dither& d : kDithers) {
            for (bool yuv : {true, false}) {
                const std::string name = CaseName(p, d, yuv);
#ifdef ZIMBOR_BENCH_ORACLE
                benchmark::RegisterBenchmark(("Convert/oracle/" + name).c_str(), ConvertOracle,
                                             p.crop, d.mode, yuv)
                    ->Unit(ms)
                    ->UseRealTime()
                    ->Iterations(2);
#endif
                benchmark::RegisterBenchmark(("Convert/1thread/" + name).c_str(), ConvertProduction,
                                             p.crop, d.mode, yuv, 1)
                    ->Unit(us)
                    ->UseRealTime()
                    ->MinTime(0.2);
                benchmark::RegisterBenchmark(("Convert/cores/" + name).c_str(), ConvertProduction,
                                             p.crop, d.mode, yuv, 0)
                    ->Unit(us)
                    ->UseRealTime()
                    ->MinTime(0.2);
            }
        }
    }
    for (const Picture& p : Pictures()) {
#ifdef ZIMBOR_BENCH_ORACLE
        benchmark::RegisterBenchmark(("PairSearch/oracle/" + p.name).c_str(), PairSearchOracle,
                                     p.crop)
            ->Unit(ms)
            ->UseRealTime()
            ->Iterations(5);
#endif
        benchmark::RegisterBenchmark(("PairSearch/FindCellPair/" + p.name).c_str(),
                                     PairSearchFindCellPair, p.crop)
            ->Unit(us)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("PairSearch/SearchCellPairs/" + p.name).c_str(),
                                     PairSearchAllOverlays, p.crop)
            ->Unit(us)
            ->UseRealTime();
    }
    const CanvasImage& photo = Pictures()[0].crop;
    benchmark::RegisterBenchmark("Stage/SeparateChannels", StageSeparate, photo)->Unit(us);
    benchmark::RegisterBenchmark("Stage/ErrorDiffusionDither/yuv", StageErrorDiffusion, photo,
                                 Distance::Yuv)
        ->Unit(us);
    benchmark::RegisterBenchmark("Stage/ErrorDiffusionDither/rgb", StageErrorDiffusion, photo,
                                 Distance::Rgb)
        ->Unit(us);
    benchmark::RegisterBenchmark("Stage/OrderedDither/selective", StageOrdered, photo)->Unit(us);
    benchmark::RegisterBenchmark("Stage/MapToPalette/yuv", StageMapToPalette, photo, Distance::Yuv)
        ->Unit(us);
    benchmark::RegisterBenchmark("Stage/MapToPalette/rgb", StageMapToPalette, photo, Distance::Rgb)
        ->Unit(us);
    for (const Dither& d : kDithers) {
        benchmark::RegisterBenchmark((std::string("Process/1thread/") + d.name).c_str(),
                                     WholeProcess, photo, d.mode, 1)
            ->Unit(us)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("Process/cores/") + d.name).c_str(), WholeProcess,
                                     photo, d.mode, 0)
            ->Unit(us)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("CommandLine/cat.jpg", CommandLineOne)
        ->Unit(ms)
        ->UseRealTime()
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("CommandLine/batch100", CommandLineBatch)
        ->Unit(ms)
        ->UseRealTime()
        ->MinTime(2.0);
}

// The console output, and then the oracle-to-production ratios of every conversion case.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // Seconds per iteration; with --benchmark_repetitions the median of the repetitions.
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            const std::string& name = r.run_name.function_name;
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name != "median") continue;
                medians_.insert(name);
            } else if (medians_.count(name) != 0) {
                continue;
            }
            seconds_[name] =
                r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-36s %12s %12s %12s %9s %9s\n", "conversion (16 trials + final pass)",
                    "oracle ms", "1 thread ms", "cores ms", "ratio 1t", "ratio");
        for (const auto& [name, seconds] : seconds_) {
            const std::string prefix = "Convert/oracle/";
            if (name.rfind(prefix, 0) != 0) continue;
            const std::string which = name.substr(prefix.size());
            const double one = Find("Convert/1thread/" + which);
            const double all = Find("Convert/cores/" + which);
            std::printf("%-36s %12.1f %12.3f %12.3f %9.0f %9.0f\n", which.c_str(), seconds * 1e3,
                        one * 1e3, all * 1e3, one > 0 ? seconds / one : 0.0,
                        all > 0 ? seconds / all : 0.0);
        }
        for (const auto& [name, seconds] : seconds_) {
            const std::string prefix = "PairSearch/oracle/";
            if (name.rfind(prefix, 0) != 0) continue;
            const std::string which = name.substr(prefix.size());
            const double one = Find("PairSearch/FindCellPair/" + which);
            const double all = Find("PairSearch/SearchCellPairs/" + which);
            std::printf(
                "pair search of %s, 3024 cell rows: oracle / FindCellPair (overlay 0) %.0f, "
                "oracle / SearchCellPairs (all 16 overlays) %.0f\n",
                which.c_str(), one > 0 ? seconds / one : 0.0, all > 0 ? seconds / all : 0.0);
        }
    }

  private:
    double Find(const std::string& name) const {
        const auto it = seconds_.find(name);
        return it == seconds_.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> seconds_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(ScratchFolder(), ignored);
    return 0;
}
