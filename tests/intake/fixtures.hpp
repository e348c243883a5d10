// Small picture files made at test time: JPEGs written with libjpeg, hand-made bitmaps, PNGs
// written with Qt, and the header patches that make a tiny file claim a huge picture.
// Shared by the intake tests and the fuzz seed corpus.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace zimbor::fixtures {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A binary PPM (P6) or PGM (P5), 8 bits per sample; `channels` is 3 or 1.
struct Netpbm {
    int width = 0;
    int height = 0;
    int channels = 0;
    Bytes samples;
};
Netpbm ReadNetpbm(const std::filesystem::path& path);

// The canvas colour 0x00BBGGRR.
constexpr std::uint32_t Canvas(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

// --- JPEG, written with libjpeg.
enum class JpegColour {
    YCbCr,  // RGB samples in, stored as YCbCr (what cameras write)
    Grey,   // one sample per pixel
    Cmyk,   // four samples per pixel, stored as they come (Adobe's inverted convention)
    Ycck,   // four samples per pixel, CMY stored as YCC
};
struct JpegOptions {
    JpegColour colour = JpegColour::YCbCr;
    int quality = 90;
    bool progressive = false;
    bool arithmetic = false;
    int restart_rows = 0;  // MCU rows between restart markers; 0 for none
};
Bytes EncodeJpeg(int width, int height, std::span<const std::uint8_t> samples,
                 const JpegOptions& options);

// The same stream with its JFIF APP0 segment replaced by a minimal Exif APP1 segment, as a
// camera writes it: FF D8 FF E1 .. .. 'E' 'x' 'i' 'f'.
Bytes ToExif(std::span<const std::uint8_t> jfif);

// Rewrites the size in the frame header (SOF0, SOF1 or SOF2).
void SetJpegSize(Bytes& jpeg, int width, int height);

// --- Windows bitmaps, byte by byte: the 14-byte file header, a 40-byte BITMAPINFOHEADER, the
// palette (0x00RRGGBB, written as B, G, R, 0) and the pixel data exactly as given.
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
Bytes Bmp(int width, int height, int bits, std::uint32_t compression,
          const std::vector<std::uint32_t>& palette, const Bytes& pixel_data);

// --- PNG and BMP written by Qt's own writers.
Bytes EncodeWithQt(const QImage& image, const char* format);

// Rewrites the size in the IHDR chunk and its CRC.
void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height);

// A picture from one of the PPM crops in tests/data, or a smaller piece of it.
QImage CropImage(const std::filesystem::path& ppm, int width, int height);

// Small valid files of every kind the intake reads, made from the photo crop in `ppm`: the
// starting points of the truncation and byte-flip tests and the fuzz seed corpus. The name's
// extension says what each is.
struct SampleFile {
    std::string name;
    Bytes bytes;
};
std::vector<SampleFile> SampleFiles(const std::filesystem::path& ppm);
inline void PrintTo(const SampleFile& file, std::ostream* out) {
    *out << file.name;
}

}  // namespace zimbor::fixtures
