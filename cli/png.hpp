// PNG output of a picture of plane colours, scaled up with square pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zimbor::cli {

// Encodes width x height plane colours (0xRRGGBB) as a PNG, each pixel drawn scale x scale.
std::vector<std::uint8_t> EncodePng(std::span<const std::int32_t> pixels, int width, int height,
                                    int scale);

}  // namespace zimbor::cli
