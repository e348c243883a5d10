#include "tests/speed/random_pictures.hpp"

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/oracle/oracle.hpp"

namespace zimbor::test {

namespace {

// k different palette colours in random order.
std::vector<int> SomeColours(SplitMix64& random, int k) {
    std::vector<int> all(kColourCount);
    for (int c = 0; c < kColourCount; ++c) all[static_cast<std::size_t>(c)] = c;
    for (int i = kColourCount - 1; i > 0; --i) {
        std::swap(all[static_cast<std::size_t>(i)],
                  all[static_cast<std::size_t>(random.Below(i + 1))]);
    }
    all.resize(static_cast<std::size_t>(k));
    return all;
}

int Pick(SplitMix64& random, const std::vector<int>& colours) {
    return colours[static_cast<std::size_t>(random.Below(static_cast<int>(colours.size())))];
}

struct Area {
    int x = 0, y = 0, width = kWidth, height = kHeight;
};

template <typename F>
void Fill(IndexPicture& p, const Area& a, F colour) {
    for (int y = a.y; y < a.y + a.height; ++y) {
        for (int x = a.x; x < a.x + a.width; ++x) {
            p[PixelSlot(x, y)] = static_cast<std::uint8_t>(colour(x, y));
        }
    }
}

// The index generators, each over an area so that tiles can mix them. They return what they
// drew.
std::string Noise(SplitMix64& random, IndexPicture& p, const Area& a) {
    const int k = 2 + random.Below(15);
    const std::vector<int> colours = SomeColours(random, k);
    Fill(p, a, [&](int, int) { return Pick(random, colours); });
    return "noise of " + std::to_string(k) + " colours";
}

std::string Patches(SplitMix64& random, IndexPicture& p, const Area& a) {
    const int w = 1 + random.Below(20);
    const int h = 1 + random.Below(12);
    const std::vector<int> colours = SomeColours(random, 2 + random.Below(15));
    std::vector<int> patch(static_cast<std::size_t>((kWidth / w + 1) * (kHeight / h + 1)));
    for (int& c : patch) c = Pick(random, colours);
    Fill(p, a, [&](int x, int y) {
        return patch[static_cast<std::size_t>((y / h) * (kWidth / w + 1) + x / w)];
    });
    return "patches " + std::to_string(w) + "x" + std::to_string(h);
}

std::string Stripes(SplitMix64& random, IndexPicture& p, const Area& a) {
    const int period = 2 + random.Below(9);
    std::vector<int> colours = SomeColours(random, 2 + random.Below(5));
    std::vector<int> cycle(static_cast<std::size_t>(period));
    for (int& c : cycle) c = Pick(random, colours);
    const bool vertical = random.Below(2) == 0;
    Fill(p, a, [&](int x, int y) {
        return cycle[static_cast<std::size_t>((vertical ? x : x + y) % period)];
    });
    return "stripes of period " + std::to_string(period);
}

std::string Sprinkled(SplitMix64& random, IndexPicture& p, const Area& a) {
    const int ground = random.Below(kColourCount);
    const int percent = random.Below(30);
    Fill(p, a, [&](int, int) {
        return random.Below(100) < percent ? random.Below(kColourCount) : ground;
    });
    return "colour " + std::to_string(ground) + " with " + std::to_string(percent) + "% others";
}

std::string Tiles(SplitMix64& random, IndexPicture& p) {
    // A grid of tiles that need not line up with the cell rows.
    const int columns = 1 + random.Below(5);
    const int rows = 1 + random.Below(6);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const Area a{c * kWidth / columns, r * kHeight / rows,
                         (c + 1) * kWidth / columns - c * kWidth / columns,
                         (r + 1) * kHeight / rows - r * kHeight / rows};
            switch (random.Below(4)) {
                case 0:
                    Noise(random, p, a);
                    break;
                case 1:
                    Patches(random, p, a);
                    break;
                case 2:
                    Stripes(random, p, a);
                    break;
                default:
                    Sprinkled(random, p, a);
                    break;
            }
        }
    }
    return std::to_string(columns) + " x " + std::to_string(rows) + " tiles";
}

// A crop through the production colour stages (which the oracle tests hold to the oracle).
std::string Reduced(SplitMix64& random, IndexPicture& p) {
    std::string what;
    const CanvasImage crop = RandomCrop(random, what);
    Settings s = RandomSettings(random);
    s.previewOnly = true;
    auto state = std::make_unique<ConversionState>();
    NullReporter quiet;
    Process(crop, s, *state, quiet);
    for (std::size_t i = 0; i < kPixels; ++i) {
        p[i] = static_cast<std::uint8_t>(PaletteIndexOf(state->planes.MappedImage[i]));
    }
    return what + ", reduced with " + Describe(s);
}

const CanvasImage& Photo(int which) {
    static const CanvasImage photo = LoadPpm(TestDataPath("photo-crop.ppm"));
    static const CanvasImage cat = LoadPpm(TestDataPath("cat-crop.ppm"));
    return which == 0 ? photo : cat;
}

const char* DitherName(DitherMode d) {
    switch (d) {
        case DitherMode::Custom:
            return "custom";
        case DitherMode::Forced:
            return "forced";
        case DitherMode::Selective:
            return "selective";
        case DitherMode::None:
            return "none";
    }
    return "?";
}

// A slider: often 0, often small, sometimes anywhere in -256..256.
int Slider(SplitMix64& random) {
    switch (random.Below(4)) {
        case 0:
            return 0;
        case 1:
            return random.Below(513) - 256;
        default:
            return random.Below(81) - 40;
    }
}

}  // namespace

RandomPicture MakeRandomPicture(std::uint64_t seed) {
    SplitMix64 random(seed * 0x2545F4914F6CDD1Du + 1);
    RandomPicture r;
    const Area whole;
    switch (seed % 6) {
        case 0:
            r.description = Noise(random, r.indices, whole);
            break;
        case 1:
            r.description = Patches(random, r.indices, whole);
            break;
        case 2:
            r.description = Stripes(random, r.indices, whole);
            break;
        case 3:
            r.description = Sprinkled(random, r.indices, whole);
            break;
        case 4:
            r.description = Tiles(random, r.indices);
            break;
        default:
            r.description = Reduced(random, r.indices);
            break;
    }
    r.description = "picture " + std::to_string(seed) + ": " + r.description;
    return r;
}

Settings RandomSettings(SplitMix64& random) {
    constexpr DitherMode kDithers[] = {DitherMode::Custom, DitherMode::Forced,
                                       DitherMode::Selective, DitherMode::None};
    Settings s;
    s.tone = Tone{.red = Slider(random),
                  .green = Slider(random),
                  .blue = Slider(random),
                  .brightness = Slider(random),
                  .contrast = Slider(random)};
    s.dither = kDithers[random.Below(4)];
    s.yuvDistance = random.Below(3) != 0;
    s.skipYuvReduction = random.Below(4) == 0;
    s.background = random.Below(kColourCount + 1) - 1;  // -1: no item selected
    return s;
}

std::string Describe(const Settings& s) {
    const Tone& t = s.tone;
    return std::string(DitherName(s.dither)) + (s.yuvDistance ? " yuv" : " rgb") +
           (s.skipYuvReduction ? " skip-yuv" : "") + (s.previewOnly ? " preview-only" : "") +
           " tone(" + std::to_string(t.red) + "," + std::to_string(t.green) + "," +
           std::to_string(t.blue) + "," + std::to_string(t.brightness) + "," +
           std::to_string(t.contrast) + ") bg " + std::to_string(s.background);
}

CanvasImage RandomCrop(SplitMix64& random, std::string& description) {
    switch (random.Below(5)) {
        case 0:
        case 1: {
            // A piece of a photo: shifted with wrap-around, maybe mirrored.
            const int which = random.Below(2);
            const int dx = random.Below(kWidth);
            const int dy = random.Below(kHeight);
            const bool mirrored = random.Below(2) == 0;
            const CanvasImage& source = Photo(which);
            CanvasImage crop{};
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const int sx = (mirrored ? kWidth - 1 - x : x) + dx;
                    crop[PixelSlot(x, y)] = source[PixelSlot(sx % kWidth, (y + dy) % kHeight)];
                }
            }
            description = std::string(which == 0 ? "photo" : "cat") + " shifted by (" +
                          std::to_string(dx) + ", " + std::to_string(dy) + ")" +
                          (mirrored ? " mirrored" : "");
            return crop;
        }
        case 2: {
            constexpr Gradient kinds[] = {Gradient::GreyRamp, Gradient::Vertical,
                                          Gradient::Diagonal, Gradient::Radial};
            const int k = random.Below(4);
            description = "gradient " + std::to_string(k);
            return GradientPicture(kinds[k]);
        }
        case 3: {
            const int low = random.Below(256);
            const int high = low + random.Below(256 - low);
            const std::uint64_t seed = random.Next();
            description = "noise in " + std::to_string(low) + ".." + std::to_string(high);
            return NoisePicture(seed, low, high);
        }
        default: {
            const std::uint64_t seed = random.Next();
            description = "selective window edges";
            return SelectiveWindowEdgePicture(seed);
        }
    }
}

void LoadMapped(const IndexPicture& picture, ColourPlanes& planes) {
    for (std::size_t i = 0; i < kPixels; ++i) {
        const Yuv yuv = kPaletteTables.YuvOf(picture[i]);
        planes.MappedImage[i] = C64Palette[picture[i]];
        planes.MappedY[i] = yuv.y;
        planes.MappedU[i] = yuv.u;
        planes.MappedV[i] = yuv.v;
    }
}

void LoadOracleMapped(const IndexPicture& picture) {
    for (std::size_t i = 0; i < kPixels; ++i) {
        const std::size_t c = picture[i];
        oracle::MappedImage[i] = oracle::C64Palette[c];
        oracle::MappedY[i] = oracle::PaletteY[c];
        oracle::MappedU[i] = oracle::PaletteU[c];
        oracle::MappedV[i] = oracle::PaletteV[c];
    }
}

}  // namespace zimbor::test
