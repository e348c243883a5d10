#include "tests/support/pictures.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

namespace zimbor::test {

std::uint64_t SplitMix64::Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

int SplitMix64::Below(int bound) {
    return static_cast<int>(Next() % static_cast<std::uint64_t>(bound));
}

namespace {

// Fills the picture pixel by pixel, rows top to bottom, from colour(x, y).
template <typename F>
CanvasImage Paint(F colour) {
    CanvasImage image{};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) image[PixelSlot(x, y)] = colour(x, y);
    }
    return image;
}

std::uint32_t PaletteCanvas(int index) {
    return PlaneToCanvas(C64Palette[static_cast<std::size_t>(index)]);
}

}  // namespace

CanvasImage NoisePicture(std::uint64_t seed, int low, int high) {
    SplitMix64 random(seed);
    const int span = high - low + 1;
    return Paint([&](int, int) {
        const int r = low + random.Below(span);
        const int g = low + random.Below(span);
        const int b = low + random.Below(span);
        return Canvas(r, g, b);
    });
}

CanvasImage GradientPicture(Gradient kind) {
    constexpr int right = kWidth - 1;
    constexpr int bottom = kHeight - 1;
    switch (kind) {
        case Gradient::GreyRamp:
            return Paint([](int x, int) {
                const int v = x * 255 / right;
                return Canvas(v, v, v);
            });
        case Gradient::Vertical:
            return Paint([](int, int y) {
                return Canvas(y * 255 / bottom, (bottom - y) * 255 / bottom, 128);
            });
        case Gradient::Diagonal:
            return Paint([](int x, int y) {
                return Canvas((x + y) * 255 / (right + bottom), x * 255 / right, y * 255 / bottom);
            });
        case Gradient::Radial:
            return Paint([](int x, int y) {
                const int dx = 2 * x - right;
                const int dy = 2 * y - bottom;
                // Squared distance from the centre, as a fraction of the corner's.
                const int far = right * right + bottom * bottom;
                const int v = 255 - (dx * dx + dy * dy) * 255 / far;
                return Canvas(v, v * (kWidth + x) / (2 * kWidth),
                              v * (kHeight + y) / (2 * kHeight));
            });
    }
    throw std::invalid_argument("unknown gradient");
}

CanvasImage FlatPicture(std::uint32_t canvas) {
    return Paint([canvas](int, int) { return canvas; });
}

CanvasImage FlatPaletteColour(int index) {
    return FlatPicture(PaletteCanvas(index));
}

CanvasImage PalettePatches(std::uint64_t seed, int patchWidth, int patchHeight) {
    SplitMix64 random(seed);
    const int across = (kWidth + patchWidth - 1) / patchWidth;
    const int down = (kHeight + patchHeight - 1) / patchHeight;
    std::vector<int> colours(static_cast<std::size_t>(across * down));
    for (int& c : colours) c = random.Below(kColourCount);
    return Paint([&](int x, int y) {
        return PaletteCanvas(
            colours[static_cast<std::size_t>((y / patchHeight) * across + x / patchWidth)]);
    });
}

CanvasImage PaletteStripes(const std::vector<int>& colours) {
    return Paint([&](int x, int) {
        return PaletteCanvas(colours[static_cast<std::size_t>(x) % colours.size()]);
    });
}

const std::array<ChannelWindow, 16>& SelectiveWindowRanges() {
    // R, G, B ranges, in palette order. Apart from black and white each range is c - h .. c + h - 1
    // around the palette component c, with half-width h of 8, 6 (brown), 4 (orange) or 2.
    static const std::array<ChannelWindow, 16> windows = {{
        {{0, 0, 0}, {7, 7, 7}},              // Black
        {{248, 248, 248}, {255, 255, 255}},  // White
        {{124, 51, 41}, {127, 54, 44}},      // Red
        {{102, 175, 185}, {117, 190, 200}},  // Cyan
        {{119, 51, 158}, {134, 66, 173}},    // Purple
        {{84, 152, 45}, {99, 167, 60}},      // Green
        {{43, 31, 145}, {58, 46, 160}},      // Blue
        {{195, 207, 93}, {210, 222, 108}},   // Yellow
        {{129, 79, 24}, {136, 86, 31}},      // Orange
        {{74, 54, 0}, {85, 65, 5}},          // Brown
        {{178, 105, 95}, {181, 108, 98}},    // Pink
        {{72, 72, 72}, {75, 75, 75}},        // D Grey
        {{115, 115, 115}, {118, 118, 118}},  // M Grey
        {{155, 223, 116}, {170, 238, 131}},  // L Green
        {{104, 92, 206}, {119, 107, 221}},   // L Blue
        {{161, 161, 161}, {164, 164, 164}},  // L Grey
    }};
    return windows;
}

std::vector<std::array<int, 3>> SelectiveWindowEdgeColours() {
    std::vector<std::array<int, 3>> colours;
    const auto add = [&colours](std::array<int, 3> c) {
        const bool inRange =
            std::all_of(c.begin(), c.end(), [](int v) { return v >= 0 && v <= 255; });
        if (inRange) colours.push_back(c);
    };
    for (const ChannelWindow& w : SelectiveWindowRanges()) {
        std::array<int, 3> inside{};
        for (std::size_t k = 0; k < 3; ++k) inside[k] = (w.low[k] + w.high[k]) / 2;
        for (std::size_t k = 0; k < 3; ++k) {
            for (const int v : {w.low[k] - 1, w.low[k], w.high[k], w.high[k] + 1}) {
                std::array<int, 3> c = inside;
                c[k] = v;
                add(c);
            }
        }
        add(w.low);
        add(w.high);
        add({w.low[0] - 1, w.low[1] - 1, w.low[2] - 1});
        add({w.high[0] + 1, w.high[1] + 1, w.high[2] + 1});
    }
    return colours;
}

CanvasImage SelectiveWindowEdgePicture(std::uint64_t seed) {
    const std::vector<std::array<int, 3>> colours = SelectiveWindowEdgeColours();
    SplitMix64 random(seed);
    constexpr int blockWidth = 4;
    constexpr int blockHeight = 2;
    std::vector<std::uint32_t> blocks(
        static_cast<std::size_t>((kWidth / blockWidth) * (kHeight / blockHeight)));
    for (std::uint32_t& b : blocks) {
        const auto& c =
            colours[static_cast<std::size_t>(random.Below(static_cast<int>(colours.size())))];
        b = Canvas(c[0], c[1], c[2]);
    }
    return Paint([&](int x, int y) {
        return blocks[static_cast<std::size_t>((y / blockHeight) * (kWidth / blockWidth) +
                                               x / blockWidth)];
    });
}

namespace {

// The next header field of a PPM: a decimal number after white space and # comments.
int ReadHeaderNumber(std::istream& in, const std::string& name) {
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            in.get();
        } else {
            break;
        }
    }
    int value = -1;
    if (!(in >> value)) throw std::runtime_error(name + ": bad PPM header");
    return value;
}

}  // namespace

CanvasImage LoadPpm(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(name + ": cannot open");
    char magic[2] = {};
    in.read(magic, 2);
    if (!in || magic[0] != 'P' || magic[1] != '6')
        throw std::runtime_error(name + ": not a P6 PPM");
    const int width = ReadHeaderNumber(in, name);
    const int height = ReadHeaderNumber(in, name);
    const int maxval = ReadHeaderNumber(in, name);
    if (width != kWidth || height != kHeight) {
        throw std::runtime_error(name + ": not 144 x 168 but " + std::to_string(width) + " x " +
                                 std::to_string(height));
    }
    if (maxval != 255) throw std::runtime_error(name + ": maxval is not 255");
    in.get();  // the single white-space byte before the samples

    std::vector<char> samples(static_cast<std::size_t>(kPixels) * 3);
    in.read(samples.data(), static_cast<std::streamsize>(samples.size()));
    if (!in) throw std::runtime_error(name + ": truncated pixel data");

    CanvasImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        const auto sample = [&](std::size_t k) {
            return static_cast<unsigned char>(samples[3 * i + k]);
        };
        image[i] = Canvas(sample(0), sample(1), sample(2));
    }
    return image;
}

std::filesystem::path TestDataPath(std::string_view name) {
    return std::filesystem::path(ZIMBOR_TEST_DATA_DIR) / name;
}

}  // namespace zimbor::test
