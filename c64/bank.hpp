// The layout of the picture in the C64's VIC-II bank $4000-$7FFF, and the writers through which
// the conversion fills it. Every address here is a C64 address: byte n of C64Memory is address n.
//
//   $4000 + k*$400 .. +$3E7   colour screen k (k = 0..7): 25 rows x 40 columns, one byte a cell,
//                             high nibble the colour of set bitmap bits, low nibble of clear ones
//   $43F8 + k*$400 .. +7      sprite pointers 0..7 of screen k
//   $6000 .. $7F3F            hires bitmap, 25 character rows of 320 bytes
//   in the bitmap's margins   the 48 overlay sprite blocks (block n at $4000 + n*64)
//   $7BC0 .. $7BFF            block 239, the solid sprite
//
// Picture line y shows the colours of screen y mod 8 (FLI) and takes its sprite data through
// the pointers of screen (y - 1) mod 8. The picture occupies character columns 11..28 and
// character rows 0..20.
#pragma once

#include <array>
#include <cstdint>

namespace zimbor {

using C64Memory = std::array<std::uint8_t, 0x10000>;

// The bank $4000-$7FFF as the raw file holds it.
inline constexpr int kBankStart = 0x4000;
inline constexpr int kBankSize = 0x4000;
using RawBuffer = std::array<std::uint8_t, kBankSize>;

// The 4096-byte head of every program file: file byte n, C64 address $07FE + n.
inline constexpr int kTemplateSize = 4096;
using DisplayerTemplate = std::array<std::uint8_t, kTemplateSize>;
inline constexpr std::size_t kOverlayColourByte = 25;     // C64 $0817
inline constexpr std::size_t kBackgroundColourByte = 26;  // C64 $0818

inline constexpr int kScreenSize = 0x400;
inline constexpr int kScreenCount = 8;
inline constexpr int kScreenColumns = 40;
inline constexpr int kBitmapStart = 0x6000;
inline constexpr int kPictureFirstColumn = 11;  // character column of the picture's left edge
inline constexpr int kPictureLastColumn = 28;
inline constexpr int kPictureCharacterRows = 21;
inline constexpr int kSpritePointerOffset = 0x3F8;  // within each screen
inline constexpr int kSolidSpriteBlock = 239;
inline constexpr int kSolidSpriteAddress = kBankStart + kSolidSpriteBlock * 64;  // $7BC0

// Sprite pointers of each screen: entry i is the block hardware sprite i shows while screen k is
// active. Sprite 0 always shows the solid block over columns 8..10; sprites 1..6 are the six
// overlay sprites; sprite 7 is off. The overlay blocks lie in the bitmap margins (blocks
// 128 + 5r and 132 + 5r of character row r) and in character rows 21 and 22.
inline constexpr std::array<std::array<std::uint8_t, 8>, kScreenCount> SpritePointerTable = {{
    {239, 128, 132, 133, 137, 138, 142, 0},
    {239, 143, 147, 148, 152, 153, 157, 0},
    {239, 158, 162, 163, 167, 168, 172, 0},
    {239, 173, 177, 178, 182, 183, 187, 0},
    {239, 188, 192, 193, 197, 198, 202, 0},
    {239, 203, 207, 208, 212, 213, 217, 0},
    {239, 218, 222, 223, 227, 228, 232, 0},
    {239, 233, 234, 235, 236, 237, 238, 0},
}};

inline constexpr int kOverlaySprites = 6;

// The address of the first of the three bytes of overlay sprite s on picture line y: the block
// comes from the pointers of screen (y - 1) mod 8 (line 0 from screen 7), the row within the
// block from y mod 21. Since 8 and 21 are coprime, each block receives each of its 21 rows once.
using SpriteRowAddresses = std::array<std::array<std::int32_t, kOverlaySprites>, 168>;

constexpr SpriteRowAddresses BuildSpriteRowAddressTable() {
    SpriteRowAddresses t{};
    for (std::size_t y = 0; y < t.size(); ++y) {
        for (std::size_t s = 0; s < kOverlaySprites; ++s) {
            t[y][s] = kBankStart + 64 * SpritePointerTable[(y + 7) % 8][s + 1] +
                      3 * static_cast<std::int32_t>(y % 21);
        }
    }
    return t;
}
inline constexpr SpriteRowAddresses SpriteRowAddressTable = BuildSpriteRowAddressTable();

// Address of the colour byte of the cell row at (x0, y).
constexpr int ScreenAddress(int x0, int y) {
    return kBankStart + (y % 8) * kScreenSize + (y / 8) * kScreenColumns + kPictureFirstColumn +
           x0 / 8;
}
// Address of the bitmap byte of the cell row at (x0, y); bit 7 is the leftmost pixel.
constexpr int BitmapAddress(int x0, int y) { return 0x6058 + (y / 8) * 320 + x0 + (y % 8); }
// Address of the sprite byte that covers the cell row at (x0, y).
constexpr int SpriteAddress(int x0, int y) {
    const int c = x0 / 8;
    return SpriteRowAddressTable[static_cast<std::size_t>(y)][static_cast<std::size_t>(c / 3)] +
           c % 3;
}

// The writers. x0 is a multiple of 8 in 0..136, y in 0..167, i in 0..7.

// The cell row's colour byte: high in the high nibble (set bits), low in the low nibble.
void PutScreenColours(C64Memory& memory, int x0, int y, int high, int low);
// Adds the pixel's mask to the bitmap byte, in 8-bit arithmetic.
void SetBitmapBit(C64Memory& memory, int x0, int y, int i);
// ORs the pixel's mask into the overlay sprite byte.
void SetSpriteBit(C64Memory& memory, int x0, int y, int i);
// The sprite pointers of all eight screens and the solid block 239.
void WriteSpritePointers(C64Memory& memory);
// The background colour: into template byte 26 and into both nibbles of every screen cell outside
// the picture window (columns 0..10 and 29..39 of rows 0..20, and rows 21..24).
void FillBackground(C64Memory& memory, DisplayerTemplate& displayerTemplate, int index);

// The bank $4000-$7FFF.
RawBuffer CopyBank(const C64Memory& memory);

}  // namespace zimbor
