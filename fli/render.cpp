#include "fli/render.hpp"

#include "fli/pairs.hpp"

namespace zimbor {

void PutSpritePixel(ColourPlanes& planes, int x0, int y, int i, int o, std::int32_t colour) {
    const std::size_t p = PixelSlot(x0 + i, y);
    planes.SpriteLayer[p] = C64Palette[static_cast<std::size_t>(o)];
    planes.HiresLayer[p] = colour;
}

void PutHiresPixel(ColourPlanes& planes, int x0, int y, int i, std::int32_t colour) {
    planes.HiresLayer[PixelSlot(x0 + i, y)] = colour;
}

void RenderCellRow(ColourPlanes& planes, C64Memory& memory, Distance mode, int a, int b, int o,
                   int x0, int y) {
    const std::int32_t colourA = C64Palette[static_cast<std::size_t>(a)];
    const std::int32_t colourB = C64Palette[static_cast<std::size_t>(b)];
    const std::int32_t colourO = C64Palette[static_cast<std::size_t>(o)];
    for (int i = 0; i < 8; ++i) {
        const std::size_t p = PixelSlot(x0 + i, y);
        const Winner winner = ChooseWinner(MappedPixelDistance(planes, mode, a, p),
                                           MappedPixelDistance(planes, mode, b, p),
                                           MappedPixelDistance(planes, mode, o, p));
        switch (winner) {
            case Winner::Overlay:
                planes.FinalImage[p] = colourO;
                PutSpritePixel(planes, x0, y, i, o, colourB);
                SetSpriteBit(memory, x0, y, i);
                break;
            case Winner::A:
                planes.FinalImage[p] = colourA;
                PutHiresPixel(planes, x0, y, i, colourA);
                SetBitmapBit(memory, x0, y, i);
                break;
            case Winner::B:
                planes.FinalImage[p] = colourB;
                PutHiresPixel(planes, x0, y, i, colourB);
                break;
        }
        PutScreenColours(memory, x0, y, a, b);
    }
}

}  // namespace zimbor
