#include "colour/mapping.hpp"

namespace zimbor {

int NearestPaletteIndex(std::int32_t colour, Distance mode) {
    const Yuv yuv = mode == Distance::Yuv ? RgbToYuv(colour) : Yuv{};
    auto distance = [&](int i) {
        return mode == Distance::Yuv
                   ? YuvDistance(yuv, kPaletteTables.YuvOf(i))
                   : RgbDistance(colour, C64Palette[static_cast<std::size_t>(i)]);
    };
    int best = 0;
    std::uint32_t bestDistance = distance(0);
    for (int i = 1; i < kColourCount; ++i) {
        const std::uint32_t d = distance(i);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void MapToPalette(ColourPlanes& planes, Distance mode, Reporter& reporter) {
    reporter.SetStatus(status::kMapping);
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = PixelSlot(x, y);
            const int index = NearestPaletteIndex(ChannelColour(planes, i), mode);
            const Yuv yuv = kPaletteTables.YuvOf(index);
            planes.MappedImage[i] = C64Palette[static_cast<std::size_t>(index)];
            planes.MappedY[i] = yuv.y;
            planes.MappedU[i] = yuv.u;
            planes.MappedV[i] = yuv.v;
        }
    }
    reporter.SetProgress(0);
}

}  // namespace zimbor
