#include "fli/pairs.hpp"

#include <algorithm>

#include "fli/search.hpp"

namespace zimbor {

std::uint32_t MappedPixelDistance(const ColourPlanes& planes, Distance mode, int c, std::size_t p) {
    if (mode == Distance::Yuv) {
        return YuvDistance(kPaletteTables.YuvOf(c),
                           Yuv{planes.MappedY[p], planes.MappedU[p], planes.MappedV[p]});
    }
    return RgbDistance(C64Palette[static_cast<std::size_t>(c)], planes.MappedImage[p]);
}

std::uint32_t CellPairError(const ColourPlanes& planes, Distance mode, int a, int b, int o, int x0,
                            int y) {
    std::uint32_t score = 0;
    for (int i = 0; i < 8; ++i) {
        const std::size_t p = PixelSlot(x0 + i, y);
        score += std::min({MappedPixelDistance(planes, mode, a, p),
                           MappedPixelDistance(planes, mode, b, p),
                           MappedPixelDistance(planes, mode, o, p)});
    }
    return score;
}

int FindCellPair(const ColourPlanes& planes, Distance mode, int o, int x0, int y) {
    // Palette pixels take the search by cell content; anything else is scored as it stands.
    CellColours cell = 0;
    if (MappedCellColours(planes, mode, x0, y, cell)) {
        return SearchCellPairs(cell, mode).pair[static_cast<std::size_t>(o)];
    }
    int best = 0;
    std::uint32_t bestScore =
        CellPairError(planes, mode, ColourPairTable[0].a, ColourPairTable[0].b, o, x0, y);
    for (int j = 1; j < kPairCount; ++j) {
        const ColourPair& pair = ColourPairTable[static_cast<std::size_t>(j)];
        const std::uint32_t score = CellPairError(planes, mode, pair.a, pair.b, o, x0, y);
        if (score < bestScore) {
            best = j;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace zimbor
