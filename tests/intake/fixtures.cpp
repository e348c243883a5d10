#include "fixtures.hpp"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without including them
// clang-format on

namespace zimbor::fixtures {

namespace {

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBig32(std::uint8_t* at, std::uint32_t v) {
    at[0] = static_cast<std::uint8_t>(v >> 24);
    at[1] = static_cast<std::uint8_t>(v >> 16);
    at[2] = static_cast<std::uint8_t>(v >> 8);
    at[3] = static_cast<std::uint8_t>(v);
}
std::uint32_t SegmentLength(std::span<const std::uint8_t> jpeg, std::size_t at) {
    return static_cast<std::uint32_t>(jpeg[at] << 8 | jpeg[at + 1]);
}

// CRC-32 as PNG chunks use it (ISO 3309, reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

int ReadNumber(std::istream& in) {
    // Whitespace and '#' comments may separate the fields of a Netpbm header.
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            in.get();
        } else {
            break;
        }
    }
    int value = -1;
    in >> value;
    return value;
}

}  // namespace

Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Netpbm ReadNetpbm(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    Netpbm picture;
    picture.channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    picture.width = ReadNumber(in);
    picture.height = ReadNumber(in);
    const int maxval = ReadNumber(in);
    in.get();  // the single whitespace before the samples
    if (!in || picture.channels == 0 || picture.width <= 0 || picture.height <= 0 ||
        maxval != 255) {
        throw std::runtime_error("not an 8-bit P5 or P6 file: " + path.string());
    }
    picture.samples.resize(static_cast<std::size_t>(picture.width) *
                           static_cast<std::size_t>(picture.height) *
                           static_cast<std::size_t>(picture.channels));
    in.read(reinterpret_cast<char*>(picture.samples.data()),
            static_cast<std::streamsize>(picture.samples.size()));
    if (!in) throw std::runtime_error("short Netpbm file: " + path.string());
    return picture;
}

Bytes EncodeJpeg(int width, int height, std::span<const std::uint8_t> samples,
                 const JpegOptions& options) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    // The default error handler ends the process, which is acceptable for a test fixture
    // that only ever encodes its own well-formed pictures.
    cinfo.err = jpeg_std_error(&errors);
    jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    switch (options.colour) {
        case JpegColour::YCbCr:
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_RGB;
            break;
        case JpegColour::Grey:
            cinfo.input_components = 1;
            cinfo.in_color_space = JCS_GRAYSCALE;
            break;
        case JpegColour::Cmyk:
        case JpegColour::Ycck:
            cinfo.input_components = 4;
            cinfo.in_color_space = JCS_CMYK;
            break;
    }
    jpeg_set_defaults(&cinfo);
    if (options.colour == JpegColour::Cmyk) jpeg_set_colorspace(&cinfo, JCS_CMYK);
    if (options.colour == JpegColour::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    cinfo.restart_in_rows = options.restart_rows;

    const std::size_t stride =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(cinfo.input_components);
    if (samples.size() != stride * static_cast<std::size_t>(height)) {
        throw std::invalid_argument("EncodeJpeg: wrong number of samples");
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes ToExif(std::span<const std::uint8_t> jfif) {
    if (jfif.size() < 6 || jfif[2] != 0xFF || jfif[3] != 0xE0) {
        throw std::invalid_argument("ToExif: no APP0 segment after the start of image");
    }
    const std::size_t after_app0 = 4 + SegmentLength(jfif, 4);
    // APP1: "Exif\0\0", then a little-endian TIFF header whose first IFD has no entries.
    // clang-format off
    const Bytes app1 = {0xFF, 0xE1, 0x00, 0x16, 'E', 'x',  'i',  'f',  0x00, 0x00, 'I', 'I',
                        0x2A, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    // clang-format on
    Bytes out = {0xFF, 0xD8};
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jfif.begin() + static_cast<std::ptrdiff_t>(after_app0), jfif.end());
    return out;
}

void SetJpegSize(Bytes& jpeg, int width, int height) {
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && jpeg[at] == 0xFF) {
        const std::uint8_t marker = jpeg[at + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            // FF Cn, length (2), precision (1), height (2), width (2), big-endian
            jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[at + 6] = static_cast<std::uint8_t>(height);
            jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[at + 8] = static_cast<std::uint8_t>(width);
            return;
        }
        at += 2 + SegmentLength(jpeg, at + 2);
    }
    throw std::invalid_argument("SetJpegSize: no frame header");
}

Bytes Bmp(int width, int height, int bits, std::uint32_t compression,
          const std::vector<std::uint32_t>& palette, const Bytes& pixel_data) {
    constexpr std::uint32_t kFileHeader = 14;
    constexpr std::uint32_t kInfoHeader = 40;
    const auto palette_bytes = static_cast<std::uint32_t>(4 * palette.size());
    const std::uint32_t offset = kFileHeader + kInfoHeader + palette_bytes;
    Bytes out = {'B', 'M'};
    Put32(out, offset + static_cast<std::uint32_t>(pixel_data.size()));  // file size
    Put32(out, 0);                                                       // reserved
    Put32(out, offset);                                                  // pixel data offset
    Put32(out, kInfoHeader);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // negative: top-down rows
    Put16(out, 1);                                   // planes
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, compression);
    Put32(out, static_cast<std::uint32_t>(pixel_data.size()));
    Put32(out, 2835);  // 72 dpi, horizontally and vertically
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(palette.size()));   // colours used
    Put32(out, 0);                                            // important colours: all
    for (const std::uint32_t rgb : palette) Put32(out, rgb);  // B, G, R, 0 in the file
    out.insert(out.end(), pixel_data.begin(), pixel_data.end());
    return out;
}

Bytes EncodeWithQt(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        throw std::runtime_error("Qt cannot write " + std::string(format) + ": " +
                                 writer.errorString().toStdString());
    }
    return Bytes(data.begin(), data.end());
}

void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
    // Signature (8), IHDR length (4), "IHDR" (4), width (4), height (4), ..., CRC at 29.
    constexpr std::size_t kType = 12;
    constexpr std::size_t kCrc = 29;
    if (png.size() < kCrc + 4 || png[kType] != 'I' || png[kType + 3] != 'R') {
        throw std::invalid_argument("SetPngSize: no IHDR chunk");
    }
    PutBig32(&png[16], width);
    PutBig32(&png[20], height);
    PutBig32(&png[kCrc], Crc32(std::span(png).subspan(kType, kCrc - kType)));
}

QImage CropImage(const std::filesystem::path& ppm, int width, int height) {
    const Netpbm source = ReadNetpbm(ppm);
    if (source.channels != 3 || width > source.width || height > source.height) {
        throw std::invalid_argument("CropImage: not an RGB picture that large");
    }
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row =
            source.samples.data() +
            static_cast<std::size_t>(y) * 3u * static_cast<std::size_t>(source.width);
        std::copy(row, row + 3 * width, image.scanLine(y));
    }
    return image;
}

std::vector<SampleFile> SampleFiles(const std::filesystem::path& ppm) {
    constexpr int kSampleWidth = 24;  // a few blocks and a partial MCU
    constexpr int kSampleHeight = 20;
    const QImage photo = CropImage(ppm, kSampleWidth, kSampleHeight);
    Bytes rgb;
    Bytes grey;
    Bytes cmyk;
    for (int y = 0; y < kSampleHeight; ++y) {
        for (int x = 0; x < kSampleWidth; ++x) {
            const QRgb p = photo.pixel(x, y);
            const auto r = static_cast<std::uint8_t>(qRed(p));
            const auto g = static_cast<std::uint8_t>(qGreen(p));
            const auto b = static_cast<std::uint8_t>(qBlue(p));
            rgb.insert(rgb.end(), {r, g, b});
            grey.push_back(static_cast<std::uint8_t>(qGray(p)));
            const std::uint8_t k = std::max({r, g, b});  // inverted: 255 = no black ink
            cmyk.insert(cmyk.end(), {r, g, b, k});
        }
    }
    const auto jpeg = [&](const Bytes& samples, const JpegOptions& options) {
        return EncodeJpeg(kSampleWidth, kSampleHeight, samples, options);
    };
    const Bytes baseline = jpeg(rgb, {.quality = 75});

    QImage indexed = photo.convertToFormat(QImage::Format_Indexed8);
    QImage alpha = photo.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < kSampleHeight; ++y) {
        for (int x = 0; x < kSampleWidth; ++x) {
            const QRgb p = alpha.pixel(x, y);
            alpha.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 255 * x / (kSampleWidth - 1)));
        }
    }

    // A 16 x 4 RLE8 bitmap with runs, an absolute stretch and a delta escape.
    // clang-format off
    const Bytes rle8 = Bmp(16, 4, 8, kBiRle8, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF},
                           {0x10, 1, 0x00, 0x00,                      // 16 x red
                            0x08, 2, 0x08, 3, 0x00, 0x00,             // 8 green, 8 blue
                            0x00, 0x04, 1, 2, 3, 0, 0x0C, 1, 0x00, 0x00,  // absolute, then run
                            0x00, 0x02, 0x04, 0x00, 0x0C, 2, 0x00, 0x00,  // delta 4 right
                            0x00, 0x01});
    // clang-format on

    return {
        {"baseline.jpg", baseline},
        {"exif.jpg", ToExif(baseline)},
        {"progressive.jpg", jpeg(rgb, {.quality = 60, .progressive = true})},
        {"grey.jpg", jpeg(grey, {.colour = JpegColour::Grey})},
        {"cmyk.jpg", jpeg(cmyk, {.colour = JpegColour::Cmyk})},
        {"ycck-progressive.jpg", jpeg(cmyk, {.colour = JpegColour::Ycck, .progressive = true})},
        {"arithmetic.jpg", jpeg(rgb, {.arithmetic = true})},
        {"restart.jpg", jpeg(rgb, {.restart_rows = 1})},
        {"rgb24.bmp", EncodeWithQt(photo.convertToFormat(QImage::Format_RGB32), "bmp")},
        {"palette8.bmp", EncodeWithQt(indexed, "bmp")},
        {"rle8.bmp", rle8},
        {"rgb.png", EncodeWithQt(photo, "png")},
        {"palette.png", EncodeWithQt(indexed, "png")},
        {"grey.png", EncodeWithQt(photo.convertToFormat(QImage::Format_Grayscale8), "png")},
        {"alpha.png", EncodeWithQt(alpha, "png")},
    };
}

}  // namespace zimbor::fixtures
