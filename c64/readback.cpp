#include "c64/readback.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

#include "c64/displayer.hpp"
#include "c64/files.hpp"

namespace zimbor {

namespace {

// The VIC-II's view of the bank, as offsets into it. Picture pixel (x, y) lies in character
// column 11 + x / 8 and character row y / 8; its colours come from screen y mod 8 (one FLI
// screen per line) and its bitmap byte is row y mod 8 of the cell's eight bytes.
constexpr std::size_t kBitmapOffset = kBitmapStart - kBankStart;
constexpr int kRowBytes = 320;  // 40 cells of 8 bytes

std::uint8_t ColourByte(std::span<const std::uint8_t, kBankSize> bank, int x, int y) {
    const int column = kPictureFirstColumn + x / 8;
    const int offset = (y % 8) * kScreenSize + (y / 8) * kScreenColumns + column;
    return bank[static_cast<std::size_t>(offset)];
}

bool BitmapBit(std::span<const std::uint8_t, kBankSize> bank, int x, int y) {
    const int column = kPictureFirstColumn + x / 8;
    const auto offset =
        kBitmapOffset + static_cast<std::size_t>((y / 8) * kRowBytes + column * 8 + y % 8);
    return (bank[offset] & (0x80 >> (x % 8))) != 0;
}

// Overlay sprite s = x / 24 covers 24 pixels, three bytes a sprite row; the row's address on
// each picture line follows the sprite pointers that the VIC-II fetches for it.
bool SpriteBit(std::span<const std::uint8_t, kBankSize> bank, int x, int y) {
    const std::int32_t first =
        SpriteRowAddressTable[static_cast<std::size_t>(y)][static_cast<std::size_t>(x / 24)];
    const auto offset = static_cast<std::size_t>(first - kBankStart + (x % 24) / 8);
    return (bank[offset] & (0x80 >> (x % 8))) != 0;
}

std::int32_t PaletteColour(int index) {
    return C64Palette[static_cast<std::size_t>(index)];
}

void CheckColourIndex(int index, const char* what) {
    if (index < 0 || index >= kColourCount) {
        throw SavedFileError(std::string("the ") + what + " " + std::to_string(index) +
                             " is not a C64 colour (0..15)");
    }
}

void CheckSize(std::span<const std::uint8_t> bytes, std::size_t size, const char* kind) {
    if (bytes.size() != size) {
        throw SavedFileError(std::string("a ") + kind + " is " + std::to_string(size) +
                             " bytes long, this one has " + std::to_string(bytes.size()));
    }
}

// The header fields of a program file.

}  // namespace

Plane PictureFromBank(std::span<const std::uint8_t, kBankSize> bank, int overlayColour) {
    CheckColourIndex(overlayColour, "overlay colour");
    Plane picture{};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // Sprites lie in front of the bitmap.
            int index = overlayColour;
            if (!SpriteBit(bank, x, y)) {
                const std::uint8_t colours = ColourByte(bank, x, y);
                index = BitmapBit(bank, x, y) ? colours >> 4 : colours & 0x0F;
            }
            picture[PixelSlot(x, y)] = PaletteColour(index);
        }
    }
    return picture;
}

ShownPicture ReadProgramFile(std::span<const std::uint8_t> bytes) {
    CheckSize(bytes, kProgramFileSize, "program file");
    const int load = bytes[0] | bytes[1] << 8;
    if (load != kProgramLoadAddress) {
        char text[8];
        std::snprintf(text, sizeof text, "$%04X", static_cast<unsigned>(load));
        throw SavedFileError(std::string("a program file loads at $0800, this one at ") + text);
    }
    const auto signature = bytes.subspan(kSignatureByte, kProgramSignature.size());
    if (!std::equal(signature.begin(), signature.end(), kProgramSignature.begin(), kProgramSignature.end(),
                    [](std::uint8_t b, char c) { return b == static_cast<unsigned char>(c); })) {
        throw SavedFileError("not a program file of this converter: bytes 19..23 are not \"" +
                             std::string(kProgramSignature) + "\"");
    }
    ShownPicture shown;
    shown.overlayColour = bytes[kOverlayColourByte];
    shown.backgroundColour = bytes[kBackgroundColourByte];
    CheckColourIndex(shown.overlayColour, "overlay colour");
    CheckColourIndex(shown.backgroundColour, "background colour");
    shown.pixels =
        PictureFromBank(bytes.subspan<kProgramBankOffset, kBankSize>(), shown.overlayColour);
    return shown;
}

ShownPicture ReadRawFile(std::span<const std::uint8_t> bytes, int overlayColour) {
    CheckSize(bytes, kBankSize, "raw file");
    ShownPicture shown;
    shown.overlayColour = overlayColour;
    shown.backgroundColour = bytes[0] & 0x0F;  // screen 0, row 0, column 0: outside the window
    shown.pixels = PictureFromBank(bytes.first<kBankSize>(), overlayColour);
    return shown;
}

ScreenImage ShowScreen(const ShownPicture& picture) {
    ScreenImage screen;
    std::fill(screen.pixels.begin(), screen.pixels.end(), PaletteColour(picture.backgroundColour));
    for (int y = 0; y < kHeight; ++y) {
        std::copy_n(
            picture.pixels.begin() + PixelIndex(0, y), kWidth,
            screen.pixels.begin() + (kScreenPictureTop + y) * kScreenWidth + kScreenPictureLeft);
    }
    std::fill(screen.pixels.begin() + kScreenBlackFrom * kScreenWidth, screen.pixels.end(),
              PaletteColour(0));
    return screen;
}

}  // namespace zimbor
