#include "colour/dither.hpp"

#include "colour/mapping.hpp"

namespace zimbor {

namespace {

// Adds a share to a target pixel's channel and clamps the sum at once. Shares aimed below the
// picture are dropped.
void AddShare(Plane& plane, int target, int share) {
    if (target >= kPixels) return;
    int& v = plane[static_cast<std::size_t>(target)];
    v += share;
    if (v > 255) v = 255;
    if (v < 0) v = 0;
}

// One channel: store the palette component, then pass on 2q, q and q.
void DiffuseChannel(Plane& plane, int i, int visited, int chosen, int doubleShareOffset) {
    const int error = visited - chosen;
    const int quarter = error / 4;  // truncates toward zero: e = -5 gives -1
    plane[static_cast<std::size_t>(i)] = chosen;
    AddShare(plane, i + doubleShareOffset, 2 * quarter);
    AddShare(plane, i + kWidth, quarter);      // the pixel below
    AddShare(plane, i + kWidth - 1, quarter);  // below and to the left (wraps at x = 0)
}

}  // namespace

void DiffuseError(ColourPlanes& planes, int x, int y, std::int32_t chosen, std::int32_t current) {
    const int i = PixelIndex(x, y);
    // Red passes its double share two pixels to the right, green and blue one.
    DiffuseChannel(planes.RedPlane, i, RedOf(current), RedOf(chosen), 2);
    DiffuseChannel(planes.GreenPlane, i, GreenOf(current), GreenOf(chosen), 1);
    DiffuseChannel(planes.BluePlane, i, BlueOf(current), BlueOf(chosen), 1);
}

void ErrorDiffusionDither(ColourPlanes& planes, Distance mode, Reporter& reporter) {
    reporter.SetStatus(status::kErrorDiffusion);
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::int32_t current = ChannelColour(planes, PixelSlot(x, y));
            DiffuseError(planes, x, y, NearestPaletteColour(current, mode), current);
        }
    }
    reporter.SetProgress(0);
}

void OrderedDitherPixel(ColourPlanes& planes, int x, int y, int strength, bool selective) {
    const std::size_t i = PixelSlot(x, y);
    int r = planes.RedPlane[i];
    int g = planes.GreenPlane[i];
    int b = planes.BluePlane[i];
    if (selective) {
        for (const SelectiveWindow& w : SelectiveWindows) {
            if (w.Holds(r, g, b)) {
                const std::int32_t c = C64Palette[static_cast<std::size_t>(w.colour)];
                planes.RedPlane[i] = RedOf(c);
                planes.GreenPlane[i] = GreenOf(c);
                planes.BluePlane[i] = BlueOf(c);
                return;
            }
        }
    }
    // The values only fall, so there is no upper clamp.
    const int threshold = DitherMatrixEntry(x, y) * strength;
    r -= threshold;
    g -= threshold;
    b -= threshold;
    planes.RedPlane[i] = r < 0 ? 0 : r;
    planes.GreenPlane[i] = g < 0 ? 0 : g;
    planes.BluePlane[i] = b < 0 ? 0 : b;
}

void OrderedDither(ColourPlanes& planes, bool selective, Reporter& reporter) {
    reporter.SetStatus(status::kOrdered);
    for (int y = 0; y < kHeight; ++y) {
        reporter.SetProgress(y);
        for (int x = 0; x < kWidth; ++x) OrderedDitherPixel(planes, x, y, kOrderedDitherStrength, selective);
    }
    reporter.SetProgress(0);
}

}  // namespace zimbor
