#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "c64/bank.hpp"
#include "c64/displayer.hpp"

namespace zimbor {
namespace {

TEST(SpriteRowAddressTable, TellingRows) {
    const std::pair<int, std::array<std::int32_t, 6>> rows[] = {
        {0, {0x7A40, 0x7A80, 0x7AC0, 0x7B00, 0x7B40, 0x7B80}},
        {1, {0x6003, 0x6103, 0x6143, 0x6243, 0x6283, 0x6383}},
        {8, {0x7A58, 0x7A98, 0x7AD8, 0x7B18, 0x7B58, 0x7B98}},
        {21, {0x6F00, 0x7000, 0x7040, 0x7140, 0x7180, 0x7280}},
        {167, {0x76BC, 0x77BC, 0x77FC, 0x78FC, 0x793C, 0x7A3C}},
    };
    for (const auto& [y, expected] : rows) {
        EXPECT_EQ(SpriteRowAddressTable[static_cast<std::size_t>(y)], expected) << "line " << y;
    }
}

TEST(SpriteRowAddressTable, EveryBlockRowIsUsedOnceOutsideThePicture) {
    std::set<std::int32_t> groups;
    for (const auto& row : SpriteRowAddressTable) {
        for (std::int32_t address : row) {
            EXPECT_TRUE(groups.insert(address).second) << std::hex << address;
            const int block = (address - kBankStart) / 64;
            const int offset = (address - kBankStart) % 64;
            EXPECT_LE(offset, 60);                    // byte 63 of a block stays unused
            EXPECT_GE(block, 128);
            EXPECT_LE(block, 238);
            if (address < 0x7A40) {                   // character rows 0..20: margins only
                const int column = (address - kBitmapStart) % 320 / 8;
                EXPECT_TRUE(column < 8 || column >= 32) << std::hex << address;
            }
        }
    }
    EXPECT_EQ(groups.size(), 1008u);
}

TEST(BankWriters, PixelAddresses) {
    auto memory = std::make_unique<C64Memory>();
    SetBitmapBit(*memory, 0, 0, 0);
    EXPECT_EQ((*memory)[0x6058], 0x80);
    SetBitmapBit(*memory, 136, 167, 7);
    EXPECT_EQ((*memory)[0x79E7], 0x01);
    SetSpriteBit(*memory, 136, 167, 7);
    EXPECT_EQ((*memory)[0x7A3E], 0x01);
    SetSpriteBit(*memory, 0, 0, 0);
    EXPECT_EQ((*memory)[0x7A40], 0x80);
    SetSpriteBit(*memory, 0, 1, 0);
    EXPECT_EQ((*memory)[0x6003], 0x80);
    PutScreenColours(*memory, 0, 9, 3, 14);
    EXPECT_EQ((*memory)[0x4433], 0x3E);
}

TEST(BankWriters, BitmapBitsAreAddedNotOred) {
    auto memory = std::make_unique<C64Memory>();
    SetBitmapBit(*memory, 8, 3, 7);
    SetBitmapBit(*memory, 8, 3, 7);
    EXPECT_EQ((*memory)[static_cast<std::size_t>(BitmapAddress(8, 3))], 0x02);
    SetSpriteBit(*memory, 8, 3, 7);
    SetSpriteBit(*memory, 8, 3, 7);
    EXPECT_EQ((*memory)[static_cast<std::size_t>(SpriteAddress(8, 3))], 0x01);
}

TEST(BankWriters, SpritePointersAndTheSolidBlock) {
    auto memory = std::make_unique<C64Memory>();
    WriteSpritePointers(*memory);
    const std::uint8_t screen0[8] = {0xEF, 0x80, 0x84, 0x85, 0x89, 0x8A, 0x8E, 0x00};
    const std::uint8_t screen7[8] = {0xEF, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0x00};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ((*memory)[0x43F8 + i], screen0[i]);
        EXPECT_EQ((*memory)[0x5FF8 + i], screen7[i]);
    }
    for (std::size_t a = 0x7BC0; a < 0x7C00; ++a) EXPECT_EQ((*memory)[a], 0xFF);
    EXPECT_EQ((*memory)[0x7BBF], 0x00);
    EXPECT_EQ((*memory)[0x7C00], 0x00);
}

struct BackgroundCase {
    const char* name;
    int index;
    std::uint8_t templateByte;
    std::uint8_t fill;
};

class FillBackgroundCases : public testing::TestWithParam<BackgroundCase> {};

TEST_P(FillBackgroundCases, FillsEverythingOutsideThePictureWindow) {
    const BackgroundCase& c = GetParam();
    auto memory = std::make_unique<C64Memory>();
    DisplayerTemplate t = MakeDisplayerTemplate();
    FillBackground(*memory, t, c.index);
    EXPECT_EQ(t[kBackgroundColourByte], c.templateByte);
    for (int k = 0; k < kScreenCount; ++k) {
        for (int offset = 0; offset < kScreenSize; ++offset) {
            const int row = offset / 40;
            const int column = offset % 40;
            const bool window = row < 21 && column >= 11 && column <= 28;
            const std::uint8_t expected = offset >= 1000 || window ? 0 : c.fill;
            ASSERT_EQ((*memory)[static_cast<std::size_t>(kBankStart + k * kScreenSize + offset)],
                      expected)
                << "screen " << k << " offset " << offset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FillBackgroundCases,
    testing::Values(BackgroundCase{"black", 0, 0x00, 0x00},
                    BackgroundCase{"blue", 6, 0x06, 0x66},
                    BackgroundCase{"light_grey", 15, 0x0F, 0xFF},
                    // No item selected: the low 8 bits of -1.
                    BackgroundCase{"none_selected", -1, 0xFF, 0xEF}),
    [](const testing::TestParamInfo<BackgroundCase>& row) { return row.param.name; });

}  // namespace
}  // namespace zimbor
