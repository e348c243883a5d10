// The decoders behind DecodePicture, and the checks and message helpers they share.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "intake/picture.hpp"

namespace zimbor::intake {

// libjpeg-turbo through the libjpeg API.
SourcePicture DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& name,
                         const PictureLimits& limits);

// QImageReader with the format forced; `format` is Bmp or Png.
SourcePicture DecodeWithQt(std::span<const std::uint8_t> bytes, PictureFormat format,
                           const std::string& name, const PictureLimits& limits);

// Throws the size error when a header's size is beyond the limits (or not positive).
void CheckPictureSize(std::int64_t width, std::int64_t height, const PictureLimits& limits,
                      const std::string& name);

// "name: problem", with the first letter of a library's sentence-case message lowered
// ("Not a JPEG file" -> "not a JPEG file", "JPEG datastream ..." stays as it is).
PictureError MakeError(const std::string& name, std::string_view problem);

}  // namespace zimbor::intake
