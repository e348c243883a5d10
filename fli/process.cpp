#include "fli/process.hpp"

#include <string>

#include "colour/dither.hpp"
#include "colour/mapping.hpp"

namespace zimbor {

void Process(const CanvasImage& workingImage, const Settings& settings, ConversionState& state,
             Reporter& reporter, const ConvertOptions& options) {
    ColourPlanes& planes = state.planes;
    const Distance reduction = ReductionDistance(settings);

    SeparateChannels(workingImage, settings.tone, planes, reporter);
    switch (settings.dither) {
        case DitherMode::Custom:
            ErrorDiffusionDither(planes, reduction, reporter);
            break;
        case DitherMode::Forced:
        case DitherMode::Selective:
            OrderedDither(planes, settings.dither == DitherMode::Selective, reporter);
            break;
        case DitherMode::None:
            break;
    }
    MapToPalette(planes, reduction, reporter);
    reporter.ShowPlane(Preview::Mapped, planes.MappedImage);

    if (settings.previewOnly) {
        reporter.ClearPreviews();
        reporter.ShowPlane(Preview::Mapped, planes.MappedImage);
        reporter.SetStatus(status::kPreviewOnly);
        return;
    }
    ConvertToHiresFli(state, ConversionDistance(settings), settings.background, reporter, options);
    reporter.SetPixelErrorText(std::to_string(PixelErrorPercent(DifferingPixels(planes))));
    reporter.SetStatus(status::kProcessed);
}

void Process(const CanvasImage& workingImage, const Settings& settings, ConversionState& state,
             Reporter& reporter) {
    Process(workingImage, settings, state, reporter, ConvertOptions{});
}

}  // namespace zimbor
