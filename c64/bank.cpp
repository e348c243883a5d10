#include "c64/bank.hpp"

#include <algorithm>
#include <cassert>

namespace zimbor {

namespace {
std::uint8_t& At(C64Memory& memory, int address) {
    assert(address >= 0 && address < 0x10000);
    return memory[static_cast<std::size_t>(address)];
}
std::uint8_t PixelMask(int i) { return static_cast<std::uint8_t>(0x80 >> i); }
}  // namespace

void PutScreenColours(C64Memory& memory, int x0, int y, int high, int low) {
    At(memory, ScreenAddress(x0, y)) = static_cast<std::uint8_t>((high % 16) * 16 + (low % 16));
}

void SetBitmapBit(C64Memory& memory, int x0, int y, int i) {
    std::uint8_t& byte = At(memory, BitmapAddress(x0, y));
    byte = static_cast<std::uint8_t>(byte + PixelMask(i));
}

void SetSpriteBit(C64Memory& memory, int x0, int y, int i) {
    std::uint8_t& byte = At(memory, SpriteAddress(x0, y));
    byte = static_cast<std::uint8_t>(byte | PixelMask(i));
}

void WriteSpritePointers(C64Memory& memory) {
    for (int k = 0; k < kScreenCount; ++k) {
        for (int i = 0; i < 8; ++i) {
            At(memory, kBankStart + k * kScreenSize + kSpritePointerOffset + i) =
                SpritePointerTable[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)];
        }
    }
    std::fill_n(memory.begin() + kSolidSpriteAddress, 64, std::uint8_t{0xFF});
}

void FillBackground(C64Memory& memory, DisplayerTemplate& displayerTemplate, int index) {
    const int b = index & 0xFF;
    const auto both = static_cast<std::uint8_t>((b * 16 + b) % 256);
    displayerTemplate[kBackgroundColourByte] = static_cast<std::uint8_t>(b);
    for (int k = 0; k < kScreenCount; ++k) {
        const int screen = kBankStart + k * kScreenSize;
        for (int row = 0; row < kPictureCharacterRows; ++row) {
            for (int column = 0; column < kScreenColumns; ++column) {
                if (column < kPictureFirstColumn || column > kPictureLastColumn) {
                    At(memory, screen + row * kScreenColumns + column) = both;
                }
            }
        }
        // Character rows 21..24: offsets 840..999.
        std::fill_n(memory.begin() + screen + kPictureCharacterRows * kScreenColumns,
                    1000 - kPictureCharacterRows * kScreenColumns, both);
    }
}

RawBuffer CopyBank(const C64Memory& memory) {
    RawBuffer bank{};
    std::copy_n(memory.begin() + kBankStart, kBankSize, bank.begin());
    return bank;
}

}  // namespace zimbor
