// The whole hires FLI conversion: 16 trial conversions, one per overlay colour, the choice of the
// overlay colour with the smallest error, and the final pass that fills the bank.
#pragma once

#include <array>
#include <cstdint>

#include "c64/bank.hpp"
#include "c64/displayer.hpp"
#include "colour/planes.hpp"
#include "colour/report.hpp"

namespace zimbor {

// Everything a conversion leaves behind, kept by its owner (the window, or one command-line run)
// for as long as it lives. Each run reads and overwrites it in place. About 1.1 MB: allocate it
// on the heap.
struct ConversionState {
    ColourPlanes planes{};
    C64Memory memory{};
    RawBuffer rawBuffer{};
    DisplayerTemplate displayerTemplate = MakeDisplayerTemplate();
    bool conversionDone = false;  // set by the first full conversion, never cleared
};

// One trial: the overlay colour and the total error of its picture.
struct OverlayResult {
    std::int32_t colour = 0;
    std::uint32_t total = 0;
};

// The total error of FinalImage against MappedImage, summed in unsigned 32 bits; at most
// 24192 * 95922, which exceeds 2^31 but not 2^32.
std::uint32_t LayerError(const ColourPlanes& planes, Distance mode);

// The number of pixels in which FinalImage differs from MappedImage.
int DifferingPixels(const ColourPlanes& planes);

// The integer part of 100 * count / 24192, exactly.
constexpr int PixelErrorPercent(int differingPixels) {
    return differingPixels * 100 / kPixels;
}

// How a conversion may use the machine. The results never depend on it.
struct ConvertOptions {
    // Threads that search the cell contents, the calling thread included: 0 (or less) for one per
    // core, 1 for the calling thread alone (a batch that converts one picture per thread).
    int threads = 0;
};

// Runs the 16 trials and the final pass on the mapped planes, completes the bank, writes the two
// colour bytes of the template, copies the bank into the raw buffer and sets conversionDone.
// The reporter is called from the calling thread only, with the calls a step-by-step conversion
// makes, in the same order.
void ConvertToHiresFli(ConversionState& state, Distance mode, int background, Reporter& reporter,
                       const ConvertOptions& options);
// The same with one thread per core.
void ConvertToHiresFli(ConversionState& state, Distance mode, int background, Reporter& reporter);

// Converts the whole picture with overlay colour o (one trial, or the final pass).
void ConvertPicture(ColourPlanes& planes, C64Memory& memory, Distance mode, int o,
                    Reporter& reporter);

}  // namespace zimbor
