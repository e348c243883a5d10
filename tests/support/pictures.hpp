// Test pictures: 144 x 168 crops of canvas colours (0x00BBGGRR), made from a seed or a rule, or
// read from the PPM crops in tests/data. Every generator is deterministic on every platform: the
// noise comes from a SplitMix64 of our own, not from <random>'s distributions.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "colour/planes.hpp"

namespace zimbor::test {

// A canvas colour from its three channels.
constexpr std::uint32_t Canvas(int r, int g, int b) {
    return static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// SplitMix64: small, fast, and the same sequence everywhere.
class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // A value in 0..bound-1 (bound > 0); the tiny modulo bias does not matter for test pictures.
    int Below(int bound);

  private:
    std::uint64_t state_;
};

// Every channel of every pixel drawn uniformly from low..high.
CanvasImage NoisePicture(std::uint64_t seed, int low = 0, int high = 255);

enum class Gradient {
    GreyRamp,  // grey rising from black at the left to white at the right
    Vertical,  // red rising, green falling from top to bottom, blue at 128
    Diagonal,  // red along x + y, green along x, blue along y
    Radial,    // light at the centre, darkening towards the corners, tinted by position
};
CanvasImage GradientPicture(Gradient kind);

// The whole picture one colour.
CanvasImage FlatPicture(std::uint32_t canvas);
CanvasImage FlatPaletteColour(int index);

// Rectangles of patchWidth x patchHeight, each of a palette colour drawn from the seed. Patches
// that do not line up with the 8 x 1 cell rows give cell rows of two or three colours.
CanvasImage PalettePatches(std::uint64_t seed, int patchWidth, int patchHeight);

// Vertical stripes one pixel wide: pixel x has the palette colour colours[x mod colours.size()].
// With four colours every cell row holds one more colour than a pair and the overlay can show.
CanvasImage PaletteStripes(const std::vector<int>& colours);

// The inclusive channel ranges of the 16 selective windows of the ordered dither, in test order.
struct ChannelWindow {
    std::array<int, 3> low;
    std::array<int, 3> high;
};
const std::array<ChannelWindow, 16>& SelectiveWindowRanges();

// Colours on and one step outside the edges of every selective window: each channel in turn at
// low - 1, low, high and high + 1 with the other two inside, and all three channels at low, at
// high, at low - 1 and at high + 1 together. Values outside 0..255 are left out.
std::vector<std::array<int, 3>> SelectiveWindowEdgeColours();

// 4 x 2 blocks, each of an edge colour drawn from the seed.
CanvasImage SelectiveWindowEdgePicture(std::uint64_t seed);

// A binary PPM (P6, maxval 255) of exactly 144 x 168 pixels; throws std::runtime_error otherwise.
CanvasImage LoadPpm(const std::filesystem::path& path);

// A file of tests/data, e.g. "photo-crop.ppm" or "cat-crop.ppm".
std::filesystem::path TestDataPath(std::string_view name);

}  // namespace zimbor::test
