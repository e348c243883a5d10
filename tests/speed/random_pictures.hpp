// Random mapped pictures for the comparisons of the fast conversion: palette-index pictures
// drawn from a seed (noise over a few colours, patches, stripes, tiles of all of these), and
// crops of the test photos, gradients and noise reduced by the production colour stages under
// random settings. Each comes with a line that says what it is, for failure messages.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "colour/planes.hpp"
#include "fli/process.hpp"
#include "tests/support/pictures.hpp"

namespace zimbor::test {

// A mapped picture as palette indices.
using IndexPicture = std::array<std::uint8_t, kPixels>;

struct RandomPicture {
    IndexPicture indices{};
    std::string description;
};

// One picture from the seed; every kind occurs about equally often over consecutive seeds.
RandomPicture MakeRandomPicture(std::uint64_t seed);

// Random settings for a whole Process run (tone, dither, both distance boxes, background).
Settings RandomSettings(SplitMix64& random);
std::string Describe(const Settings& s);

// A crop for a Process run: a shifted and possibly mirrored piece of a test photo, a gradient or
// noise over a random range.
CanvasImage RandomCrop(SplitMix64& random, std::string& description);

// MappedImage, MappedY, MappedU, MappedV of the production planes from palette indices.
void LoadMapped(const IndexPicture& picture, ColourPlanes& planes);
// The same for the oracle's process-wide planes.
void LoadOracleMapped(const IndexPicture& picture);

}  // namespace zimbor::test
