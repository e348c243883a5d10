// Reading a saved file back into the picture the C64 shows, from the bank layout alone: the
// colour screens, the hires bitmap and the overlay sprites as the VIC-II fetches them.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "c64/bank.hpp"
#include "colour/planes.hpp"

namespace zimbor {

// A file that is not a picture file of ours; the message says what is wrong with it.
class SavedFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a saved file shows: the 144 x 168 picture and its two colours.
struct ShownPicture {
    Plane pixels{};         // plane colours 0xRRGGBB from C64Palette, indexed y * 144 + x
    int overlayColour = 0;  // palette index of the six overlay sprites
    int backgroundColour = 0;
};

// The picture of a bank $4000-$7FFF: pixel (x, y) shows the overlay colour where its sprite bit
// is set, else the high nibble of its colour byte (screen y mod 8) for a set bitmap bit and the
// low nibble for a clear one. overlayColour must be 0..15.
Plane PictureFromBank(std::span<const std::uint8_t, kBankSize> bank, int overlayColour);

// A program file: 30722 bytes, load address $0800, the signature "zimbr" at bytes 19..23, the
// overlay colour at byte 25 and the background colour at byte 26 (both 0..15).
// Throws SavedFileError.
ShownPicture ReadProgramFile(std::span<const std::uint8_t> bytes);

// A raw file: 16384 bytes of the bank. It does not hold the overlay colour, so the caller gives
// it (0..15); the background colour is that of the screen cells outside the picture window
// (the low nibble of screen 0's first cell). Throws SavedFileError.
ShownPicture ReadRawFile(std::span<const std::uint8_t> bytes, int overlayColour);

// The display window of the C64 screen, 320 x 200 pixels from raster line 51 down.
inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 200;
inline constexpr int kScreenPictureLeft = kPictureFirstColumn * 8;  // 88
inline constexpr int kScreenPictureTop = 0;
// The display routine switches to a black invalid mode on raster line 228: the window is black
// from its line 177 down.
inline constexpr int kScreenBlackFrom = 228 - 51;

struct ScreenImage {
    std::vector<std::int32_t> pixels = std::vector<std::int32_t>(kScreenWidth * kScreenHeight);

    std::int32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y * kScreenWidth + x)];
    }
};

// The display window as the program file's routine shows it: the picture at pixels 88..231 of
// lines 0..167, the background colour around it down to line 176, black below.
ScreenImage ShowScreen(const ShownPicture& picture);

}  // namespace zimbor
