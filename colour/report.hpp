// How the stages tell their owner what they are doing: status text, progress and previews.
// The core never prints and knows nothing of windows; the window and the command line
// implement this interface.
#pragma once

#include <string_view>

#include "colour/planes.hpp"

namespace zimbor {

// The four previews that show a plane.
enum class Preview {
    Mapped,  // MappedImage, "Image converted to C64 Cols"
    Final,   // FinalImage, "Final Processed C64 Image"
    Sprite,  // SpriteLayer, "Sprite Overlay"
    Hires,   // HiresLayer, "HI-res FLI Layer"
};

class Reporter {
public:
    virtual ~Reporter() = default;
    // The text of the status bar's panel.
    virtual void SetStatus(std::string_view /*text*/) {}
    // Repaint the status bar at once (the conversion does this after each of its texts).
    virtual void RepaintStatus() {}
    // The progress bar's position, 0..168.
    virtual void SetProgress(int /*position*/) {}
    // Show a plane in its preview.
    virtual void ShowPlane(Preview /*which*/, const Plane& /*plane*/) {}
    // Paint the mapped, hires, sprite and final previews black and blank the pixel-error label.
    virtual void ClearPreviews() {}
    // The caption of the pixel-error label.
    virtual void SetPixelErrorText(std::string_view /*text*/) {}
};

// A reporter that ignores everything.
class NullReporter final : public Reporter {};

// The status texts of the stages, exactly as the user sees them (trailing spaces included).
namespace status {
inline constexpr std::string_view kSeparating = "Seperating R,G,B channels                  ";
inline constexpr std::string_view kErrorDiffusion = "Dithering image using C64 colors              ";
inline constexpr std::string_view kOrdered = "Ordered Dithering image using C64 colors      ";
inline constexpr std::string_view kMapping = "Mapping to closest c64 colors";
inline constexpr std::string_view kTrialPrefix = "HIFLI Conversion overlay error check ";
inline constexpr std::string_view kFinalPrefix = "Rendering HiFli Image using Sprite overlay col ";
inline constexpr std::string_view kPreviewOnly = "C64 color conversion only  ";
inline constexpr std::string_view kProcessed = "Processed                  ";
inline constexpr std::string_view kLoadedPrefix = "Loaded ";
inline constexpr std::string_view kBlankPixelError = "  ";
}  // namespace status

}  // namespace zimbor
