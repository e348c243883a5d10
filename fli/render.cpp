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

void DrawCellPixel(ColourPlanes& planes, C64Memory& memory, Winner winner, int a, int b, int o,
                   int x0, int y, int i) {
    const std::size_t p = PixelSlot(x0 + i, y);
    switch (winner) {
        case Winner::Overlay:
            planes.FinalImage[p] = C64Palette[static_cast<std::size_t>(o)];
            PutSpritePixel(planes, x0, y, i, o, C64Palette[static_cast<std::size_t>(b)]);
            SetSpriteBit(memory, x0, y, i);
            break;
        case Winner::A:
            planes.FinalImage[p] = C64Palette[static_cast<std::size_t>(a)];
            PutHiresPixel(planes, x0, y, i, C64Palette[static_cast<std::size_t>(a)]);
            SetBitmapBit(memory, x0, y, i);
            break;
        case Winner::B:
            planes.FinalImage[p] = C64Palette[static_cast<std::size_t>(b)];
            PutHiresPixel(planes, x0, y, i, C64Palette[static_cast<std::size_t>(b)]);
            break;
    }
}

void RenderCellRow(ColourPlanes& planes, C64Memory& memory, Distance mode, int a, int b, int o,
                   int x0, int y) {
    for (int i = 0; i < 8; ++i) {
        const std::size_t p = PixelSlot(x0 + i, y);
        const Winner winner = ChooseWinner(MappedPixelDistance(planes, mode, a, p),
                                           MappedPixelDistance(planes, mode, b, p),
                                           MappedPixelDistance(planes, mode, o, p));
        DrawCellPixel(planes, memory, winner, a, b, o, x0, y, i);
        PutScreenColours(memory, x0, y, a, b);
    }
}

}  // namespace zimbor
