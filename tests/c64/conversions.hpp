// Test pictures and whole conversions for the file tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fli/process.hpp"

namespace zimbor::testing {

inline std::unique_ptr<ConversionState> Convert(const CanvasImage& picture,
                                                const Settings& settings) {
    auto state = std::make_unique<ConversionState>();
    NullReporter quiet;
    Process(picture, settings, *state, quiet);
    return state;
}

constexpr std::uint32_t Canvas(int r, int g, int b) {
    return static_cast<std::uint32_t>(r | g << 8 | b << 16);
}

inline std::unique_ptr<CanvasImage> Noise(std::uint32_t seed) {
    auto picture = std::make_unique<CanvasImage>();
    std::mt19937 random(seed);
    for (std::uint32_t& p : *picture) p = random() & 0xFFFFFFu;
    return picture;
}

inline std::unique_ptr<CanvasImage> Flat(std::uint32_t canvas) {
    auto picture = std::make_unique<CanvasImage>();
    picture->fill(canvas);
    return picture;
}

// Red across, green down, blue along the diagonal.
inline std::unique_ptr<CanvasImage> Gradient() {
    auto picture = std::make_unique<CanvasImage>();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            (*picture)[PixelSlot(x, y)] =
                Canvas(x * 255 / (kWidth - 1), y * 255 / (kHeight - 1), (x + y) * 255 / 310);
        }
    }
    return picture;
}

// A binary PPM (P6, maxval 255) of exactly 144 x 168 pixels from the test data.
inline std::unique_ptr<CanvasImage> DataPicture(const std::string& name) {
    std::ifstream in(std::string(ZIMBOR_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (!in || magic != "P6" || width != kWidth || height != kHeight || maxval != 255) {
        throw std::runtime_error("test picture " + name + " is not a 144 x 168 P6 file");
    }
    const std::vector<unsigned char> rgb{std::istreambuf_iterator<char>(in), {}};
    if (rgb.size() < 3u * kPixels) throw std::runtime_error("test picture " + name + " is short");
    auto picture = std::make_unique<CanvasImage>();
    for (std::size_t i = 0; i < kPixels; ++i) {
        (*picture)[i] = Canvas(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    }
    return picture;
}

}  // namespace zimbor::testing
