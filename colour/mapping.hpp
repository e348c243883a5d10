// Reduction to the 16 C64 colours.
#pragma once

#include <cstdint>

#include "colour/planes.hpp"
#include "colour/report.hpp"

namespace zimbor {

// The palette index nearest to a plane colour; of equally near colours the lowest index wins.
// In the YUV mode the colour's Y, U, V come from RgbToYuv and the palette's from its tables.
int NearestPaletteIndex(std::int32_t colour, Distance mode);

// The palette colour (not the index) nearest to a plane colour.
inline std::int32_t NearestPaletteColour(std::int32_t colour, Distance mode) {
    return C64Palette[static_cast<std::size_t>(NearestPaletteIndex(colour, mode))];
}

// The plane colour of the three channel planes at slot i, each component masked to 8 bits.
inline std::int32_t ChannelColour(const ColourPlanes& planes, std::size_t i) {
    return PackPlaneColour(planes.RedPlane[i], planes.GreenPlane[i], planes.BluePlane[i]);
}

// Maps every pixel of the channel planes to its nearest palette colour: MappedImage and its
// MappedY, MappedU, MappedV planes. The channel planes are left as they are.
void MapToPalette(ColourPlanes& planes, Distance mode, Reporter& reporter);

}  // namespace zimbor
