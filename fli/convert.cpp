#include "fli/convert.hpp"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "fli/pairs.hpp"
#include "fli/render.hpp"
#include "fli/search.hpp"

namespace zimbor {

std::uint32_t LayerError(const ColourPlanes& planes, Distance mode) {
    std::uint32_t total = 0;
    for (std::size_t p = 0; p < kPixels; ++p) {
        const std::int32_t f = planes.FinalImage[p];
        const std::int32_t m = planes.MappedImage[p];
        total += mode == Distance::Yuv ? YuvDistance(f, m) : RgbDistance(f, m);
    }
    return total;
}

int DifferingPixels(const ColourPlanes& planes) {
    int count = 0;
    for (std::size_t p = 0; p < kPixels; ++p) {
        if (planes.FinalImage[p] != planes.MappedImage[p]) ++count;
    }
    return count;
}

void ConvertPicture(ColourPlanes& planes, C64Memory& memory, Distance mode, int o,
                    Reporter& reporter) {
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            const ColourPair pair =
                ColourPairTable[static_cast<std::size_t>(FindCellPair(planes, mode, o, x0, y))];
            RenderCellRow(planes, memory, mode, pair.a, pair.b, o, x0, y);
        }
    }
}

namespace {

constexpr int kCellsPerLine = kWidth / 8;  // 18

constexpr std::size_t CellIndex(int x0, int y) {
    return static_cast<std::size_t>(y * kCellsPerLine + x0 / 8);
}

// The trial steps the user sees, in the order the trials run them: the status text, the progress
// of every line and the trial's picture. The final pass clears everything else the trials wrote
// into the planes and the bank, so only what is reported here has to be produced.
void ReportTrialStatus(int n, Reporter& reporter) {
    reporter.SetProgress(0);
    reporter.SetStatus(std::string(status::kTrialPrefix) + std::to_string(n));
    reporter.RepaintStatus();
}

void ReportFinalStatus(int o, Reporter& reporter) {
    reporter.SetProgress(0);
    reporter.SetStatus(std::string(status::kFinalPrefix) + std::to_string(o));
    reporter.RepaintStatus();
    reporter.SetProgress(0);
}

// The final pass starts from nothing. Without overlay pixels the sprite preview shows light grey
// behind black overlay pixels, and black behind any other overlay colour.
void ClearForFinalPass(ConversionState& state, int o) {
    state.planes.FinalImage.fill(0);
    state.planes.HiresLayer.fill(0);
    state.planes.SpriteLayer.fill(o == 0 ? C64Palette[15] : 0);
    state.memory.fill(0);
}

// After the final pass: the overlay colour byte, the three paints, the rest of the bank and the
// raw buffer.
void FinishConversion(ConversionState& state, int o, int background, Reporter& reporter) {
    state.displayerTemplate[kOverlayColourByte] = static_cast<std::uint8_t>(o);
    reporter.ShowPlane(Preview::Final, state.planes.FinalImage);
    reporter.SetProgress(0);
    reporter.ShowPlane(Preview::Sprite, state.planes.SpriteLayer);
    reporter.ShowPlane(Preview::Hires, state.planes.HiresLayer);
    WriteSpritePointers(state.memory);
    FillBackground(state.memory, state.displayerTemplate, background);
    state.rawBuffer = CopyBank(state.memory);
    state.conversionDone = true;
}

OverlayResult BestOverlay(const std::array<OverlayResult, kColourCount>& results) {
    OverlayResult best = results[0];
    for (const OverlayResult& r : results) {
        if (r.total < best.total) best = r;
    }
    return best;
}

// The conversion step by step, for mapped planes that hold something other than palette colours
// with their own Y, U, V (only hand-made planes do): every trial renders the whole picture.
void ConvertLiterally(ConversionState& state, Distance mode, int background, Reporter& reporter) {
    ColourPlanes& planes = state.planes;
    std::array<OverlayResult, kColourCount> results{};
    for (int n = 0; n < kColourCount; ++n) {
        ReportTrialStatus(n, reporter);
        planes.FinalImage.fill(0);
        ConvertPicture(planes, state.memory, mode, n, reporter);
        reporter.ShowPlane(Preview::Final, planes.FinalImage);
        results[static_cast<std::size_t>(n)] = OverlayResult{n, LayerError(planes, mode)};
    }
    const int o = BestOverlay(results).colour;
    ReportFinalStatus(o, reporter);
    ClearForFinalPass(state, o);
    ConvertPicture(planes, state.memory, mode, o, reporter);
    FinishConversion(state, o, background, reporter);
}

// ---------------------------------------------------------------------------------------------
// The fast path. All 16 trials are searched together: a cell row's choice depends only on how
// many pixels of each colour it holds, so the distinct histograms of the picture are searched
// once each, for the 16 overlay colours at once. A trial's total error is the sum of its chosen
// pairs' scores, since every pixel shows the nearest of its three colours; its picture is drawn
// from the pairs just before it is shown.
//
//   1. (calling thread) every pixel's palette index, every cell row's histogram, and the list of
//      distinct histograms, in the order of their first cell row;
//   2. (all threads) the distinct histograms, claimed a few at a time by whichever thread is
//      free: helpers that start late simply find less to do;
//   3. (calling thread) the reports of the 16 trials, the final pass and the bank.
// A search result depends on nothing but its histogram and lands in that histogram's own slot,
// so neither the number of threads nor their timing changes anything.
// ---------------------------------------------------------------------------------------------

constexpr int kContentsPerClaim = 8;

// The distinct histograms, by open addressing with linear probing. The table has more than
// twice as many slots as a picture has cell rows, so it never fills up.
class ContentTable {
  public:
    ContentTable() : keys_(kSlots, 0), ids_(kSlots, 0) {}

    // The number of the histogram among the distinct ones; a new one is appended to `contents`.
    std::uint16_t Find(CellHistogram histogram, std::vector<CellHistogram>& contents) {
        auto slot = static_cast<std::size_t>((histogram * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits));
        while (keys_[slot] != histogram) {
            if (keys_[slot] == 0) {  // no histogram is 0: it always counts 8 pixels
                keys_[slot] = histogram;
                ids_[slot] = static_cast<std::uint16_t>(contents.size());
                contents.push_back(histogram);
                break;
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        return ids_[slot];
    }

  private:
    static constexpr int kSlotBits = 13;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;  // 8192
    static_assert(kSlots > 2 * kCells);

    std::vector<CellHistogram> keys_;
    std::vector<std::uint16_t> ids_;
};

struct TrialWork {
    TrialWork(const ColourPlanes& p, Distance m) : planes(p), mode(m) {
        contents.reserve(kCells);  // nothing allocates once the helpers run
        results.resize(kCells);
    }

    const ColourPlanes& planes;
    const Distance mode;
    std::array<std::uint8_t, kPixels> indices;    // the mapped pixels as palette indices
    std::array<std::uint16_t, kCells> contentOf;  // per cell row: its number among the distinct
    std::vector<CellHistogram> contents;          // the distinct histograms
    std::vector<OverlayPairs> results;            // their pairs and scores, same numbering
    bool palettePicture = false;                  // else the conversion goes step by step

    // Step 2. The list is published once step 1 is done; helpers wait for it.
    std::atomic<bool> published{false};
    std::atomic<int> nextClaim{0};
    std::atomic<int> searched{0};
};

// Step 1; false when a mapped pixel is no palette colour with its own Y, U, V.
bool ListContents(TrialWork& w) {
    ContentTable table;
    for (int y = 0; y < kHeight; ++y) {
        const std::size_t lineStart = PixelSlot(0, y);
        const std::span<std::uint8_t> line(w.indices.data() + lineStart, kWidth);
        if (!MappedPaletteIndices(w.planes, w.mode, lineStart, line)) return false;
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            CellHistogram histogram = 0;
            for (int i = 0; i < 8; ++i) {
                histogram += CellHistogram{1} << (4 * line[static_cast<std::size_t>(x0 + i)]);
            }
            w.contentOf[CellIndex(x0, y)] = table.Find(histogram, w.contents);
        }
    }
    return true;
}

// Step 2 on one thread, until nothing is left to claim.
void SearchContents(TrialWork& w) {
    const int count = static_cast<int>(w.contents.size());
    for (;;) {
        const int first = w.nextClaim.fetch_add(kContentsPerClaim, std::memory_order_relaxed);
        if (first >= count) return;
        const int last = std::min(first + kContentsPerClaim, count);
        for (int n = first; n < last; ++n) {
            const auto k = static_cast<std::size_t>(n);
            w.results[k] = SearchCellPairs(w.contents[k], w.mode);
        }
        w.searched.fetch_add(last - first, std::memory_order_release);
    }
}

void Helper(TrialWork& w) {
    w.published.wait(false, std::memory_order_acquire);
    SearchContents(w);
}

int ThreadCount(const ConvertOptions& options) {
    constexpr int kMostThreads = 64;
    int n = options.threads;
    if (n <= 0) n = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::min(n, kMostThreads);
}

// The helpers, joined when this goes out of scope. Started before step 1 so that they are
// running by the time there is something to search; one that cannot be started is done without.
class Helpers {
  public:
    Helpers(TrialWork& w, int count) : work_(w) {
        threads_.reserve(static_cast<std::size_t>(count));
        for (int t = 1; t < count; ++t) {
            try {
                threads_.emplace_back(Helper, std::ref(w));
            } catch (...) {  // out of threads or memory: the calling thread does the rest
                break;
            }
        }
    }
    // Lets the helpers go: with an empty list when step 1 failed.
    void Publish() {
        work_.published.store(true, std::memory_order_release);
        work_.published.notify_all();
    }
    ~Helpers() {
        if (!work_.published.load()) {  // left early: nothing for the helpers to search
            work_.contents.clear();
            Publish();
        }
        for (std::thread& t : threads_) t.join();
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

  private:
    TrialWork& work_;
    std::vector<std::thread> threads_;
};

// Steps 1 and 2. Returns once every distinct histogram has been searched; the helpers may still
// be on their way out.
void SearchPicture(TrialWork& w, Helpers& helpers) {
    w.palettePicture = ListContents(w);
    if (!w.palettePicture) w.contents.clear();
    helpers.Publish();
    SearchContents(w);
    // A helper may still be finishing its last claim.
    const int count = static_cast<int>(w.contents.size());
    while (w.searched.load(std::memory_order_acquire) < count) std::this_thread::yield();
}

// Draws the picture of the trial with overlay colour o and returns its total error, the sum of
// its chosen pairs' scores.
std::uint32_t DrawTrialImage(const TrialWork& w, int o, Plane& image) {
    const auto overlay = static_cast<std::size_t>(o);
    std::array<std::uint8_t, kCells> pairs;
    std::uint32_t total = 0;
    for (std::size_t index = 0; index < kCells; ++index) {
        const OverlayPairs& found = w.results[w.contentOf[index]];
        pairs[index] = found.pair[overlay];
        total += found.score[overlay];
    }
    DrawTrialPicture(w.mode, o, w.indices, pairs, image);
    return total;
}

// The final pass with the pairs the trial of overlay colour o chose, each pixel's winner taken
// from the table instead of its three distances.
void RenderFinalPass(const TrialWork& w, ConversionState& state, int o, Reporter& reporter) {
    const WinnerTable& winners = Winners(w.mode);
    const auto overlay = static_cast<std::size_t>(o);
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            const std::uint8_t j = w.results[w.contentOf[CellIndex(x0, y)]].pair[overlay];
            const ColourPair pair = ColourPairTable[j];
            const std::size_t first = PixelSlot(x0, y);
            for (int i = 0; i < 8; ++i) {
                const Winner winner = winners[overlay][j][w.indices[first + static_cast<std::size_t>(i)]];
                DrawCellPixel(state.planes, state.memory, winner, pair.a, pair.b, o, x0, y, i);
            }
            PutScreenColours(state.memory, x0, y, pair.a, pair.b);
        }
    }
}

}  // namespace

void ConvertToHiresFli(ConversionState& state, Distance mode, int background, Reporter& reporter,
                       const ConvertOptions& options) {
    // About 300 KB: the mapped pixels as indices and the distinct contents with their results.
    auto work = std::make_unique<TrialWork>(state.planes, mode);
    // Joined on the way out: a helper that started late must not hold up the reports.
    Helpers helpers(*work, ThreadCount(options));
    SearchPicture(*work, helpers);
    if (!work->palettePicture) {
        ConvertLiterally(state, mode, background, reporter);
        return;
    }

    std::array<OverlayResult, kColourCount> results{};
    for (int n = 0; n < kColourCount; ++n) {
        ReportTrialStatus(n, reporter);
        for (int y = 0; y < kHeight; ++y) reporter.SetProgress(y);
        const std::uint32_t total = DrawTrialImage(*work, n, state.planes.FinalImage);
        reporter.ShowPlane(Preview::Final, state.planes.FinalImage);
        results[static_cast<std::size_t>(n)] = OverlayResult{n, total};
    }
    const int o = BestOverlay(results).colour;
    ReportFinalStatus(o, reporter);
    ClearForFinalPass(state, o);
    RenderFinalPass(*work, state, o, reporter);
    FinishConversion(state, o, background, reporter);
}

void ConvertToHiresFli(ConversionState& state, Distance mode, int background, Reporter& reporter) {
    ConvertToHiresFli(state, mode, background, reporter, ConvertOptions{});
}

}  // namespace zimbor
