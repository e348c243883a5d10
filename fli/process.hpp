// The Process run: the stages of the conversion in their fixed order, as the window's "Process"
// button and the command line both run them.
#pragma once

#include "colour/tone.hpp"
#include "fli/convert.hpp"

namespace zimbor {

enum class DitherMode {
    Custom,     // "Custom Dither": error diffusion
    Forced,     // "Forced Ordered"
    Selective,  // "Selective Ordered"
    None,       // "None"
};

// The settings of one run, read from the controls when Process starts.
struct Settings {
    Tone tone{};
    DitherMode dither = DitherMode::Selective;
    bool yuvDistance = true;        // "YUV Distance"
    bool skipYuvReduction = false;  // "Skip YUV Color reduction"
    bool previewOnly = false;       // "Preview Only"
    int background = 0;             // "BG Col": palette index, "Black"
};

// The reduction to the palette (and the error diffusion inside it) measures in YUV only when
// "YUV Distance" is on and "Skip YUV Color reduction" is off; the pair search, the rendering and
// the error totals look at "YUV Distance" alone.
constexpr Distance ReductionDistance(const Settings& s) {
    return s.yuvDistance && !s.skipYuvReduction ? Distance::Yuv : Distance::Rgb;
}
constexpr Distance ConversionDistance(const Settings& s) {
    return s.yuvDistance ? Distance::Yuv : Distance::Rgb;
}

// One Process run from the crop: tone, dither, palette mapping, then either the preview-only
// ending or the full conversion with its pixel-error percentage. Every run starts again from the
// crop; a preview-only run leaves the bank, the file buffers and conversionDone as they were.
void Process(const CanvasImage& workingImage, const Settings& settings, ConversionState& state,
             Reporter& reporter, const ConvertOptions& options);
// The same with one thread per core.
void Process(const CanvasImage& workingImage, const Settings& settings, ConversionState& state,
             Reporter& reporter);

}  // namespace zimbor
