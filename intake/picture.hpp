// Recognising a picture file by its first bytes and decoding it at full size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "colour/palette.hpp"

namespace zimbor {

enum class PictureFormat { Unrecognised, Jpeg, Bmp, Png };

// The header test, on the first bytes of a file (up to 16 are looked at):
//   byte 6 is 'J' (the JFIF marker segment)     -> JPEG
//   otherwise byte 0 is 'B' (a Windows bitmap)  -> BMP
//   otherwise the file starts FF D8 FF          -> JPEG (Exif and other layouts)
//   otherwise the 8-byte PNG signature          -> PNG
// Fewer than 7 bytes is unrecognised. The file name plays no part.
PictureFormat RecognisePictureFormat(std::span<const std::uint8_t> header);

// Reads the first 16 bytes of a file and recognises it; a file that cannot be opened is
// unrecognised.
PictureFormat RecognisePictureFile(const std::filesystem::path& path);

// A decoded picture at its own size; pixels are canvas colours 0x00BBGGRR, row after row.
struct SourcePicture {
    int width = kWidth;
    int height = kHeight;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kPixels, 0u);

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// A picture file that could not be decoded; the message names the file and the problem.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest picture accepted, checked from the header before anything is allocated.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// Decodes the bytes of a picture in the given format. `name` is used in error messages.
// Throws PictureError.
//   JPEG: full size, accurate integer DCT, fancy upsampling, block smoothing; grey files give
//         equal R, G, B; CMYK and YCCK files are read as Adobe's inverted CMYK (255 = no ink).
//   BMP, PNG: QImageReader with the format forced; alpha is composited onto black.
// A file cut short or with corrupt data decodes to what the decoder could read (libjpeg fills
// the rest) or fails with the decoder's message; a header claiming more than the limits above
// is refused before anything is allocated.
SourcePicture DecodePicture(std::span<const std::uint8_t> bytes, PictureFormat format,
                            const std::string& name);

// The size limits that a decode checks against the header; the defaults are the ones above.
// Smaller limits keep a fuzz run fast.
struct PictureLimits {
    int max_side = kMaxPictureSide;
    std::int64_t max_pixels = kMaxPicturePixels;
};

// As above, with other limits.
SourcePicture DecodePicture(std::span<const std::uint8_t> bytes, PictureFormat format,
                            const std::string& name, const PictureLimits& limits);

// The whole of a file, at most 1 GiB. Throws PictureError (the message starts with the path as
// given) when it cannot be opened or read, or is larger.
std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& path);

// Reads and decodes a file in the given format; messages start with the path as given.
// Throws PictureError.
SourcePicture LoadPicture(const std::filesystem::path& path, PictureFormat format);

}  // namespace zimbor
