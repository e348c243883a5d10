// Binary PPM (P6), the command line's lossless picture format: crops in, planes out.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "colour/planes.hpp"

namespace zimbor::cli {

// True when the bytes start like a binary PPM.
bool LooksLikePpm(std::span<const std::uint8_t> bytes);

// A 144 x 168 P6 crop with maxval 255, as canvas colours. Throws CliError (bad input) naming
// the file when it is malformed, truncated or of another size.
CanvasImage ParsePpmCrop(std::span<const std::uint8_t> bytes, const std::string& name);

// A P6 picture of plane colours (0xRRGGBB), width x height.
std::vector<std::uint8_t> EncodePpm(std::span<const std::int32_t> pixels, int width, int height);

}  // namespace zimbor::cli
