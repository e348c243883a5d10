// The 16 C64 colours, the integer Y/U/V conversion and the two colour distances
// that every matching step of the conversion uses.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zimbor {

// The converted picture is 144 x 168 pixels; pixel (x, y) is entry y * 144 + x of a plane.
inline constexpr int kWidth = 144;
inline constexpr int kHeight = 168;
inline constexpr int kPixels = kWidth * kHeight;  // 24192
inline constexpr int kColourCount = 16;

// ---------------------------------------------------------------------------------------------
// Colour packings.
//   plane colour:  0xRRGGBB in the low 24 bits (what the planes and the palette hold)
//   canvas colour: 0x00BBGGRR, red in the low byte (what a picture's pixels read as)
// ---------------------------------------------------------------------------------------------
constexpr int RedOf(std::int32_t plane) { return (plane >> 16) & 0xFF; }
constexpr int GreenOf(std::int32_t plane) { return (plane >> 8) & 0xFF; }
constexpr int BlueOf(std::int32_t plane) { return plane & 0xFF; }

constexpr std::int32_t PackPlaneColour(int r, int g, int b) {
    return ((r << 16) & 0xFF0000) | ((g << 8) & 0xFF00) | (b & 0xFF);
}

// Exchanges bits 0..7 with bits 16..23 and keeps bits 8..15; bits 24..31 are dropped.
// The same swap turns a canvas colour into a plane colour and back.
constexpr std::uint32_t SwapRedBlue(std::uint32_t v) {
    return ((v >> 16) & 0xFFu) | (v & 0xFF00u) | ((v & 0xFFu) << 16);
}
constexpr std::uint32_t PlaneToCanvas(std::int32_t plane) {
    return SwapRedBlue(static_cast<std::uint32_t>(plane));
}
constexpr std::int32_t CanvasToPlane(std::uint32_t canvas) {
    return static_cast<std::int32_t>(SwapRedBlue(canvas));
}

// ---------------------------------------------------------------------------------------------
// The C64 palette, as plane colours. The index is the C64 colour number used for colour pairs,
// screen nibbles, the overlay colour and the background colour.
// ---------------------------------------------------------------------------------------------
inline constexpr std::array<std::int32_t, kColourCount> C64Palette = {
    0x000000,  //  0 Black
    0xFFFFFF,  //  1 White
    0x7E352B,  //  2 Red
    0x6EB7C1,  //  3 Cyan
    0x7F3BA6,  //  4 Purple
    0x5CA035,  //  5 Green
    0x332799,  //  6 Blue
    0xCBD765,  //  7 Yellow
    0x85531C,  //  8 Orange
    0x503C00,  //  9 Brown
    0xB46B61,  // 10 Pink
    0x4A4A4A,  // 11 D Grey
    0x757575,  // 12 M Grey
    0xA3E77C,  // 13 L Green
    0x7064D6,  // 14 L Blue
    0xA3A3A3,  // 15 L Grey
};

// The names of the background selector, in palette order.
inline constexpr std::array<std::string_view, kColourCount> C64ColourNames = {
    "Black",  "White", "Red",    "Cyan",   "Purple", "Green",   "Blue",   "Yellow",
    "Orange", "Brown", "Pink",   "D Grey", "M Grey", "L Green", "L Blue", "L Grey",
};

// ---------------------------------------------------------------------------------------------
// Y, U, V in integers: Y = 0.257R + 0.504G + 0.098B + 16, U = -0.148R - 0.291G + 0.439B + 128,
// V = 0.439R - 0.368G - 0.071B + 128, each truncated, evaluated exactly in thousandths. The
// numerators never fall below 16000, so truncation toward zero is rounding down. (Double
// arithmetic is not equivalent: Y of (2, 156, 19) is exactly 97 but comes out as 96.999...)
// ---------------------------------------------------------------------------------------------
struct Yuv {
    std::int32_t y = 0;
    std::int32_t u = 0;
    std::int32_t v = 0;
    friend constexpr bool operator==(const Yuv&, const Yuv&) = default;
};

constexpr Yuv RgbToYuv(int r, int g, int b) {
    return Yuv{(16000 + 257 * r + 504 * g + 98 * b) / 1000,
               (128000 - 148 * r - 291 * g + 439 * b) / 1000,
               (128000 + 439 * r - 368 * g - 71 * b) / 1000};
}
constexpr Yuv RgbToYuv(std::int32_t plane) {
    return RgbToYuv(RedOf(plane), GreenOf(plane), BlueOf(plane));
}

// Which distance a matching step measures with.
enum class Distance { Rgb, Yuv };

// 2 * (dY^2 + dU^2 + dV^2); at most 294838, black against white 95922.
constexpr std::uint32_t YuvDistance(const Yuv& a, const Yuv& b) {
    const std::int32_t dy = a.y - b.y;
    const std::int32_t du = a.u - b.u;
    const std::int32_t dv = a.v - b.v;
    return static_cast<std::uint32_t>(2 * (dy * dy + du * du + dv * dv));
}
constexpr std::uint32_t YuvDistance(std::int32_t a, std::int32_t b) {
    return YuvDistance(RgbToYuv(a), RgbToYuv(b));
}

constexpr int AbsDiff(int a, int b) { return a > b ? a - b : b - a; }

// |dR| + |dG| + |dB| of two plane colours; 0..765.
constexpr std::uint32_t RgbDistance(std::int32_t a, std::int32_t b) {
    return static_cast<std::uint32_t>(AbsDiff(RedOf(a), RedOf(b)) +
                                      AbsDiff(GreenOf(a), GreenOf(b)) +
                                      AbsDiff(BlueOf(a), BlueOf(b)));
}

// ---------------------------------------------------------------------------------------------
// Tables derived from the palette: its R, G, B bytes and the RgbToYuv of each colour.
// ---------------------------------------------------------------------------------------------
struct PaletteTables {
    std::array<std::uint8_t, kColourCount> PaletteRed{};
    std::array<std::uint8_t, kColourCount> PaletteGreen{};
    std::array<std::uint8_t, kColourCount> PaletteBlue{};
    std::array<std::int32_t, kColourCount> PaletteY{};
    std::array<std::int32_t, kColourCount> PaletteU{};
    std::array<std::int32_t, kColourCount> PaletteV{};

    constexpr Yuv YuvOf(int index) const {
        const auto i = static_cast<std::size_t>(index);
        return Yuv{PaletteY[i], PaletteU[i], PaletteV[i]};
    }
};

constexpr PaletteTables BuildPaletteTables() {
    PaletteTables t;
    for (std::size_t i = 0; i < kColourCount; ++i) {
        const std::int32_t c = C64Palette[i];
        t.PaletteRed[i] = static_cast<std::uint8_t>(RedOf(c));
        t.PaletteGreen[i] = static_cast<std::uint8_t>(GreenOf(c));
        t.PaletteBlue[i] = static_cast<std::uint8_t>(BlueOf(c));
        const Yuv yuv = RgbToYuv(RedOf(c), GreenOf(c), BlueOf(c));
        t.PaletteY[i] = yuv.y;
        t.PaletteU[i] = yuv.u;
        t.PaletteV[i] = yuv.v;
    }
    return t;
}

// Built once, at compile time; never changes.
inline constexpr PaletteTables kPaletteTables = BuildPaletteTables();

// The distance between palette colour c and palette colour p in the given mode, computed from
// the palette tables exactly as the pair search and the rendering compute it.
using PaletteDistanceTable = std::array<std::array<std::uint32_t, kColourCount>, kColourCount>;

constexpr PaletteDistanceTable BuildPaletteDistances(Distance mode) {
    PaletteDistanceTable d{};
    for (std::size_t c = 0; c < kColourCount; ++c) {
        for (std::size_t p = 0; p < kColourCount; ++p) {
            d[c][p] = mode == Distance::Yuv
                          ? YuvDistance(kPaletteTables.YuvOf(static_cast<int>(c)),
                                        kPaletteTables.YuvOf(static_cast<int>(p)))
                          : RgbDistance(C64Palette[c], C64Palette[p]);
        }
    }
    return d;
}
inline constexpr PaletteDistanceTable kRgbPaletteDistances = BuildPaletteDistances(Distance::Rgb);
inline constexpr PaletteDistanceTable kYuvPaletteDistances = BuildPaletteDistances(Distance::Yuv);

constexpr const PaletteDistanceTable& PaletteDistances(Distance mode) {
    return mode == Distance::Yuv ? kYuvPaletteDistances : kRgbPaletteDistances;
}

// The palette index of a plane colour, or -1 when it is not a palette colour.
constexpr int PaletteIndexOf(std::int32_t plane) {
    for (int i = 0; i < kColourCount; ++i) {
        if (C64Palette[static_cast<std::size_t>(i)] == plane) return i;
    }
    return -1;
}

}  // namespace zimbor
