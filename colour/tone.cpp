#include "colour/tone.hpp"

namespace zimbor {

void SeparateChannels(const CanvasImage& crop, const Tone& tone, ColourPlanes& planes,
                      Reporter& reporter) {
    reporter.SetStatus(status::kSeparating);
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = PixelSlot(x, y);
            // Canvas order: red in the low byte.
            const std::uint32_t c = crop[i];
            const int r = static_cast<int>(c & 0xFFu);
            const int g = static_cast<int>((c >> 8) & 0xFFu);
            const int b = static_cast<int>((c >> 16) & 0xFFu);
            planes.RedPlane[i] = AdjustChannel(r, tone.red, tone.brightness, tone.contrast);
            planes.GreenPlane[i] = AdjustChannel(g, tone.green, tone.brightness, tone.contrast);
            planes.BluePlane[i] = AdjustChannel(b, tone.blue, tone.brightness, tone.contrast);
        }
    }
    reporter.SetProgress(0);
}

}  // namespace zimbor
