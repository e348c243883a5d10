// Channel separation and tone adjustment: the crop's canvas colours into the three channel
// planes, through the five tone sliders.
#pragma once

#include "colour/planes.hpp"
#include "colour/report.hpp"

namespace zimbor {

// The five tone sliders, each -256..256; all 0 makes the stage an exact copy of the crop.
struct Tone {
    int red = 0;         // added to red
    int green = 0;       // added to green
    int blue = 0;        // added to blue
    int brightness = 0;  // added to every channel
    int contrast = 0;    // scales by (contrast + 100) / 100 about 128
};

inline constexpr int kSliderMin = -256;
inline constexpr int kSliderMax = 256;

// One channel value through its offset, the brightness and the contrast. The offsets come before
// the contrast, so the contrast scales the shifted value about 128; the division truncates
// toward zero and the result is clamped to 0..255.
constexpr int AdjustChannel(int value, int offset, int brightness, int contrast) {
    const int shifted = value + offset + brightness - 128;
    const int scaled = shifted * (contrast + 100) / 100;
    int result = scaled + 128;
    if (result > 255) result = 255;
    if (result < 0) result = 0;
    return result;
}

// Fills RedPlane, GreenPlane and BluePlane from the crop and the sliders.
void SeparateChannels(const CanvasImage& crop, const Tone& tone, ColourPlanes& planes,
                      Reporter& reporter);

}  // namespace zimbor
