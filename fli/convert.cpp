#include "fli/convert.hpp"

#include <string>

#include "fli/pairs.hpp"
#include "fli/render.hpp"

namespace zimbor {

std::uint32_t LayerError(const ColourPlanes& planes, Distance mode) {
    std::uint32_t total = 0;
    for (std::size_t p = 0; p < kPixels; ++p) {
        const std::int32_t f = planes.FinalImage[p];
        const std::int32_t m = planes.MappedImage[p];
        total += mode == Distance::Yuv ? YuvDistance(f, m) : RgbDistance(f, m);
    }
    return total;
}

int DifferingPixels(const ColourPlanes& planes) {
    int count = 0;
    for (std::size_t p = 0; p < kPixels; ++p) {
        if (planes.FinalImage[p] != planes.MappedImage[p]) ++count;
    }
    return count;
}

void ConvertPicture(ColourPlanes& planes, C64Memory& memory, Distance mode, int o,
                    Reporter& reporter) {
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x0 = 0; x0 < kWidth; x0 += 8) {
            const ColourPair pair =
                ColourPairTable[static_cast<std::size_t>(FindCellPair(planes, mode, o, x0, y))];
            RenderCellRow(planes, memory, mode, pair.a, pair.b, o, x0, y);
        }
    }
}

void ConvertToHiresFli(ConversionState& state, Distance mode, int background, Reporter& reporter) {
    ColourPlanes& planes = state.planes;

    std::array<OverlayResult, kColourCount> results{};
    for (int n = 0; n < kColourCount; ++n) {
        reporter.SetProgress(0);
        reporter.SetStatus(std::string(status::kTrialPrefix) + std::to_string(n));
        reporter.RepaintStatus();
        planes.FinalImage.fill(0);
        ConvertPicture(planes, state.memory, mode, n, reporter);
        reporter.ShowPlane(Preview::Final, planes.FinalImage);
        results[static_cast<std::size_t>(n)] = OverlayResult{n, LayerError(planes, mode)};
    }
    reporter.SetProgress(0);

    OverlayResult best = results[0];
    for (const OverlayResult& r : results) {
        if (r.total < best.total) best = r;
    }
    const int o = best.colour;

    reporter.SetStatus(std::string(status::kFinalPrefix) + std::to_string(o));
    reporter.RepaintStatus();
    reporter.SetProgress(0);

    // The final pass starts from nothing. Without overlay pixels the sprite preview shows light
    // grey behind black overlay pixels, and black behind any other overlay colour.
    planes.FinalImage.fill(0);
    planes.HiresLayer.fill(0);
    planes.SpriteLayer.fill(o == 0 ? C64Palette[15] : 0);
    state.memory.fill(0);
    ConvertPicture(planes, state.memory, mode, o, reporter);
    state.displayerTemplate[kOverlayColourByte] = static_cast<std::uint8_t>(o);

    reporter.ShowPlane(Preview::Final, planes.FinalImage);
    reporter.SetProgress(0);
    reporter.ShowPlane(Preview::Sprite, planes.SpriteLayer);
    reporter.ShowPlane(Preview::Hires, planes.HiresLayer);

    WriteSpritePointers(state.memory);
    FillBackground(state.memory, state.displayerTemplate, background);
    state.rawBuffer = CopyBank(state.memory);
    state.conversionDone = true;
}

}  // namespace zimbor
