#include "fli/search.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace zimbor {

namespace {

// A packed score holds the score above the pair index, score * 128 + j: one unsigned minimum
// over the packed values then yields the smallest score and, among equal scores, the smallest
// index, which is exactly the first minimum in table order. A score is at most 8 * 95922, so the
// packed value stays below 2^27.
constexpr int kIndexBits = 7;
static_assert(kPairCount <= (1 << kIndexBits));
static_assert((8u * 95922u) << kIndexBits < (1u << 31));

// The distances the search adds up, already shifted into the packed position.
//   pairMin[c][j]  = min(d(a_j, c), d(b_j, c)): a pixel of colour c under pair j alone
//   overlay[c][o]  = d(o, c): the same pixel under the overlay colour o
// A pixel of colour c then adds min(pairMin[c][j], overlay[c][o]) to the score of pair j.
struct SearchTables {
    std::array<std::array<std::uint32_t, kPairCount>, kColourCount> pairMin{};
    std::array<std::array<std::uint32_t, kColourCount>, kColourCount> overlay{};
};

constexpr SearchTables BuildSearchTables(Distance mode) {
    const PaletteDistanceTable& d = PaletteDistances(mode);
    SearchTables t;
    for (std::size_t c = 0; c < kColourCount; ++c) {
        for (std::size_t j = 0; j < kPairCount; ++j) {
            const auto a = static_cast<std::size_t>(ColourPairTable[j].a);
            const auto b = static_cast<std::size_t>(ColourPairTable[j].b);
            t.pairMin[c][j] = std::min(d[a][c], d[b][c]) << kIndexBits;
        }
        for (std::size_t o = 0; o < kColourCount; ++o) t.overlay[c][o] = d[o][c] << kIndexBits;
    }
    return t;
}

constexpr SearchTables kRgbSearchTables = BuildSearchTables(Distance::Rgb);
constexpr SearchTables kYuvSearchTables = BuildSearchTables(Distance::Yuv);

// The search over K distinct colours of a cell row. The 16 overlay colours are lanes: every pair
// is scored for all of them at once with branch-free minimums, in vectors of Bytes bytes (one
// AVX-512 register, two AVX2 or four SSE ones for the 16 lanes), and a running minimum per lane
// keeps the first best pair. Per colour the pixel count multiplies both distances in advance
// (n * min(x, y) = min(n * x, n * y)).
template <std::size_t Bytes, std::size_t K>
[[gnu::always_inline]] inline void SearchColours(const SearchTables& t,
                                                 const std::array<int, 8>& colours,
                                                 const std::array<std::uint32_t, 8>& counts,
                                                 OverlayPairs& out) {
    alignas(64) std::array<std::array<std::uint32_t, kPairCount>, K> pairMin;
    alignas(64) std::array<std::array<std::uint32_t, kColourCount>, K> cap;
    for (std::size_t i = 0; i < K; ++i) {
        const auto c = static_cast<std::size_t>(colours[i]);
        const std::uint32_t n = counts[i];
        for (std::size_t j = 0; j < kPairCount; ++j) pairMin[i][j] = n * t.pairMin[c][j];
        for (std::size_t o = 0; o < kColourCount; ++o) cap[i][o] = n * t.overlay[c][o];
    }
    alignas(64) std::array<std::uint32_t, kColourCount> best;
#if defined(__GNUC__)
    // GCC's vector types, so that the lanes stay in registers across the whole pair loop; a
    // vector no wider than the registers, which GCC would otherwise take apart lane by lane.
    using Lanes = std::uint32_t __attribute__((vector_size(Bytes)));
    constexpr std::size_t kVectors = sizeof best / sizeof(Lanes);
    std::array<std::array<Lanes, kVectors>, K> capLanes;
    std::memcpy(capLanes.data(), cap.data(), sizeof capLanes);
    std::array<Lanes, kVectors> lowest;
    lowest.fill(Lanes{} + ~0u);
    for (std::size_t j = 0; j < kPairCount; ++j) {
        std::array<Lanes, kVectors> packed;
        packed.fill(Lanes{} + static_cast<std::uint32_t>(j));
        for (std::size_t i = 0; i < K; ++i) {
            const Lanes under = Lanes{} + pairMin[i][j];
            for (std::size_t v = 0; v < kVectors; ++v) {
                packed[v] += under < capLanes[i][v] ? under : capLanes[i][v];
            }
        }
        for (std::size_t v = 0; v < kVectors; ++v) {
            lowest[v] = packed[v] < lowest[v] ? packed[v] : lowest[v];
        }
    }
    std::memcpy(best.data(), lowest.data(), sizeof best);
#else
    best.fill(~0u);
    for (std::size_t j = 0; j < kPairCount; ++j) {
        std::array<std::uint32_t, kColourCount> packed;
        packed.fill(static_cast<std::uint32_t>(j));
        for (std::size_t i = 0; i < K; ++i) {
            for (std::size_t o = 0; o < kColourCount; ++o)
                packed[o] += std::min(pairMin[i][j], cap[i][o]);
        }
        for (std::size_t o = 0; o < kColourCount; ++o) best[o] = std::min(best[o], packed[o]);
    }
#endif
    for (std::size_t o = 0; o < kColourCount; ++o) {
        out.pair[o] = static_cast<std::uint8_t>(best[o] & ((1u << kIndexBits) - 1));
        out.score[o] = best[o] >> kIndexBits;
    }
}

template <std::size_t Bytes>
[[gnu::always_inline]] inline void SearchHistogramOn(CellHistogram histogram, const SearchTables& t,
                                                     OverlayPairs& out) {
    std::array<int, 8> colours{};
    std::array<std::uint32_t, 8> counts{};
    int k = 0;
    for (int c = 0; c < kColourCount; ++c) {
        const auto n = static_cast<std::uint32_t>((histogram >> (4 * c)) & 0xFu);
        if (n != 0) {
            colours[static_cast<std::size_t>(k)] = c;
            counts[static_cast<std::size_t>(k)] = n;
            ++k;
        }
    }
    switch (k) {
        case 1:
            SearchColours<Bytes, 1>(t, colours, counts, out);
            break;
        case 2:
            SearchColours<Bytes, 2>(t, colours, counts, out);
            break;
        case 3:
            SearchColours<Bytes, 3>(t, colours, counts, out);
            break;
        case 4:
            SearchColours<Bytes, 4>(t, colours, counts, out);
            break;
        case 5:
            SearchColours<Bytes, 5>(t, colours, counts, out);
            break;
        case 6:
            SearchColours<Bytes, 6>(t, colours, counts, out);
            break;
        case 7:
            SearchColours<Bytes, 7>(t, colours, counts, out);
            break;
        default:
            SearchColours<Bytes, 8>(t, colours, counts, out);
            break;
    }
}

// One binary for every x86-64: the same search compiled for AVX-512, for AVX2 and for the
// baseline, and the widest the processor runs chosen on first use. (A plain function pointer
// rather than an ifunc, so that it also works under every sanitizer and when linked statically.)
using SearchFunction = void (*)(CellHistogram, const SearchTables&, OverlayPairs&);

void SearchBaseline(CellHistogram histogram, const SearchTables& t, OverlayPairs& out) {
    SearchHistogramOn<16>(histogram, t, out);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ZIMBOR_SEARCH_VARIANTS 1
[[gnu::target("avx512f,avx512vl,avx512bw,avx512dq,avx2,bmi2,fma")]] void SearchAvx512(
    CellHistogram histogram, const SearchTables& t, OverlayPairs& out) {
    SearchHistogramOn<64>(histogram, t, out);
}
[[gnu::target("avx2,bmi2,fma")]] void SearchAvx2(CellHistogram histogram, const SearchTables& t,
                                                 OverlayPairs& out) {
    SearchHistogramOn<32>(histogram, t, out);
}
#endif

struct SearchChoice {
    SearchFunction search;
    const char* name;
};

// The variants this processor runs, widest first.
std::vector<SearchChoice> RunnableSearches() {
    std::vector<SearchChoice> runnable;
#ifdef ZIMBOR_SEARCH_VARIANTS
    __builtin_cpu_init();
    // Each variant is compiled for a set of extensions; it runs only where all of them are.
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
                      __builtin_cpu_supports("fma");
    if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq")) {
        runnable.push_back({SearchAvx512, "avx512"});
    }
    if (avx2) runnable.push_back({SearchAvx2, "avx2"});
#endif
    runnable.push_back({SearchBaseline, "baseline"});
    return runnable;
}

const std::vector<SearchChoice>& Runnable() {
    static const std::vector<SearchChoice> runnable = RunnableSearches();
    return runnable;
}

const SearchChoice& ChosenSearch() {
    return Runnable().front();
}

const SearchTables& TablesOf(Distance mode) {
    return mode == Distance::Yuv ? kYuvSearchTables : kRgbSearchTables;
}

// What shows at a pixel of each palette colour, for every overlay colour and pair.
constexpr WinnerTable BuildWinnerTable(Distance mode) {
    const PaletteDistanceTable& d = PaletteDistances(mode);
    WinnerTable w{};
    for (std::size_t o = 0; o < kColourCount; ++o) {
        for (std::size_t j = 0; j < kPairCount; ++j) {
            const auto a = static_cast<std::size_t>(ColourPairTable[j].a);
            const auto b = static_cast<std::size_t>(ColourPairTable[j].b);
            for (std::size_t c = 0; c < kColourCount; ++c) {
                w[o][j][c] = ChooseWinner(d[a][c], d[b][c], d[o][c]);
            }
        }
    }
    return w;
}

constexpr WinnerTable kRgbWinners = BuildWinnerTable(Distance::Rgb);
constexpr WinnerTable kYuvWinners = BuildWinnerTable(Distance::Yuv);

constexpr ShownColourTable BuildShownColourTable(const WinnerTable& winners) {
    ShownColourTable t{};
    for (std::size_t o = 0; o < kColourCount; ++o) {
        for (std::size_t j = 0; j < kPairCount; ++j) {
            const std::array<std::int32_t, 3> colour = {ColourPairTable[j].a, ColourPairTable[j].b,
                                                        static_cast<std::int32_t>(o)};
            for (std::size_t c = 0; c < kColourCount; ++c) {
                t[o][j][c] =
                    static_cast<std::uint8_t>(colour[static_cast<std::size_t>(winners[o][j][c])]);
            }
        }
    }
    return t;
}
constexpr ShownColourTable kRgbShown = BuildShownColourTable(kRgbWinners);
constexpr ShownColourTable kYuvShown = BuildShownColourTable(kYuvWinners);

static_assert([] {
    for (int c = 0; c < kColourCount; ++c) {
        if (HashedPaletteIndexOf(C64Palette[static_cast<std::size_t>(c)]) != c) return false;
    }
    return HashedPaletteIndexOf(0x010101) < 0 && HashedPaletteIndexOf(-1) < 0;
}());

}  // namespace

const WinnerTable& Winners(Distance mode) {
    return mode == Distance::Yuv ? kYuvWinners : kRgbWinners;
}
const ShownColourTable& ShownColours(Distance mode) {
    return mode == Distance::Yuv ? kYuvShown : kRgbShown;
}

OverlayPairs SearchCellPairs(CellHistogram histogram, Distance mode) {
    OverlayPairs out;
    ChosenSearch().search(histogram, TablesOf(mode), out);
    return out;
}

std::vector<std::string_view> SearchInstructionSets() {
    std::vector<std::string_view> names;
    for (const SearchChoice& c : Runnable()) names.emplace_back(c.name);
    return names;
}

OverlayPairs SearchCellPairsOn(std::string_view instructionSet, CellHistogram histogram,
                               Distance mode) {
    OverlayPairs out;
    for (const SearchChoice& c : Runnable()) {
        if (c.name == instructionSet) {
            c.search(histogram, TablesOf(mode), out);
            return out;
        }
    }
    throw std::invalid_argument("no search for " + std::string(instructionSet) + " here");
}

namespace {

// Branch-free over the pixels: a pixel that does not fit leaves bits in `mismatch`. A slot no
// colour hashes to is -1, which reads as colour 15; that colour hashes elsewhere, so the pixel
// fails the comparison.
template <Distance Mode>
bool PaletteIndices(const ColourPlanes& planes, std::size_t first, std::span<std::uint8_t> out) {
    std::int32_t mismatch = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t p = first + i;
        const std::int32_t colour = planes.MappedImage[p];
        const auto c =
            static_cast<std::size_t>(kPaletteHash.slot[kPaletteHash.SlotOf(colour)] & 0xF);
        mismatch |= C64Palette[c] ^ colour;
        if constexpr (Mode == Distance::Yuv) {
            mismatch |= (kPaletteTables.PaletteY[c] ^ planes.MappedY[p]) |
                        (kPaletteTables.PaletteU[c] ^ planes.MappedU[p]) |
                        (kPaletteTables.PaletteV[c] ^ planes.MappedV[p]);
        }
        out[i] = static_cast<std::uint8_t>(c);
    }
    return mismatch == 0;
}

}  // namespace

bool MappedPaletteIndices(const ColourPlanes& planes, Distance mode, std::size_t first,
                          std::span<std::uint8_t> out) {
    return mode == Distance::Yuv ? PaletteIndices<Distance::Yuv>(planes, first, out)
                                 : PaletteIndices<Distance::Rgb>(planes, first, out);
}

bool MappedCellColours(const ColourPlanes& planes, Distance mode, int x0, int y,
                       CellColours& cell) {
    std::array<std::uint8_t, 8> indices{};
    if (!MappedPaletteIndices(planes, mode, PixelSlot(x0, y), indices)) return false;
    cell = 0;
    for (std::size_t i = 0; i < 8; ++i) cell |= static_cast<CellColours>(indices[i]) << (4 * i);
    return true;
}

namespace {

void DrawPlain(const std::array<std::array<std::uint8_t, kColourCount>, kPairCount>& shown,
               const std::array<std::uint8_t, kPixels>& indices,
               const std::array<std::uint8_t, kCells>& pairs, Plane& image) {
    for (std::size_t index = 0; index < kCells; ++index) {
        // The 8 indices are read at once, so that the stores into the picture need not be
        // followed by reloads.
        const std::size_t first = index * 8;
        std::uint64_t pixels = 0;
        std::memcpy(&pixels, indices.data() + first, sizeof pixels);
        const std::uint8_t* row = shown[pairs[index]].data();
        std::int32_t* out = image.data() + first;
        for (std::size_t i = 0; i < 8; ++i) out[i] = C64Palette[row[(pixels >> (8 * i)) & 0xFF]];
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ZIMBOR_DRAW_AVX2 1
// A cell row at a time: one byte shuffle looks its 8 pixels up in the row of its pair, and two
// 8-entry permutes with a blend look the 16 palette colours up.
[[gnu::target("avx2")]] void DrawAvx2(
    const std::array<std::array<std::uint8_t, kColourCount>, kPairCount>& shown,
    const std::array<std::uint8_t, kPixels>& indices, const std::array<std::uint8_t, kCells>& pairs,
    Plane& image) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(C64Palette.data()));
    const __m256i high =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(C64Palette.data() + 8));
    const __m256i seven = _mm256_set1_epi32(7);
    for (std::size_t index = 0; index < kCells; ++index) {
        const std::size_t first = index * 8;
        const __m128i row =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(shown[pairs[index]].data()));
        const __m128i pixels =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(indices.data() + first));
        const __m256i c = _mm256_cvtepu8_epi32(_mm_shuffle_epi8(row, pixels));
        const __m256i colours =
            _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, c),
                               _mm256_permutevar8x32_epi32(high, c), _mm256_cmpgt_epi32(c, seven));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(image.data() + first), colours);
    }
}
#endif

}  // namespace

void DrawTrialPicture(Distance mode, int o, const std::array<std::uint8_t, kPixels>& indices,
                 const std::array<std::uint8_t, kCells>& pairs, Plane& image, bool baselineOnly) {
    const auto& shown = ShownColours(mode)[static_cast<std::size_t>(o)];
#ifdef ZIMBOR_DRAW_AVX2
    if (!baselineOnly && __builtin_cpu_supports("avx2")) {
        DrawAvx2(shown, indices, pairs, image);
        return;
    }
#endif
    (void)baselineOnly;
    DrawPlain(shown, indices, pairs, image);
}

const char* SearchInstructionSet() {
    return ChosenSearch().name;
}

}  // namespace zimbor
