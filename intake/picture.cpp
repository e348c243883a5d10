// The header test, reading a picture file, and the choice of decoder.
#include "intake/picture.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "intake/decoders.hpp"

namespace zimbor {

namespace {

// Bytes the header test reads from the start of a file.
constexpr std::size_t kHeaderBytes = 16;
// The test needs byte 6, so a shorter file is never recognised.
constexpr std::size_t kShortestHeader = 7;

constexpr std::uint8_t kLetterJ = 0x4A;  // offset 6 of a JFIF file: "JFIF" in its APP0 segment
constexpr std::uint8_t kLetterB = 0x42;  // offset 0 of a Windows bitmap: "BM"
// Start-of-image marker and the first byte of the next marker: every JPEG, whatever segment
// comes first (Exif APP1, a bare DQT, ...).
constexpr std::array<std::uint8_t, 3> kJpegStart = {0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A file larger than this is not read into memory: no picture within the size limits needs
// anywhere near as much.
constexpr std::uintmax_t kMaxPictureFileBytes = std::uintmax_t{1} << 30;

template <std::size_t N>
bool StartsWith(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, N>& prefix) {
    return bytes.size() >= N && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string ErrnoText(int error) {
    return std::strerror(error);
}

}  // namespace

PictureFormat RecognisePictureFormat(std::span<const std::uint8_t> header) {
    if (header.size() < kShortestHeader) return PictureFormat::Unrecognised;
    if (header[6] == kLetterJ) return PictureFormat::Jpeg;
    if (header[0] == kLetterB) return PictureFormat::Bmp;
    if (StartsWith(header, kJpegStart)) return PictureFormat::Jpeg;
    if (StartsWith(header, kPngSignature)) return PictureFormat::Png;
    return PictureFormat::Unrecognised;
}

PictureFormat RecognisePictureFile(const std::filesystem::path& path) {
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) return PictureFormat::Unrecognised;
    // Only the bytes actually read take part: a directory opens but reads nothing.
    std::array<std::uint8_t, kHeaderBytes> header{};
    const std::size_t got = std::fread(header.data(), 1, header.size(), file.get());
    return RecognisePictureFormat(std::span(header).first(got));
}

SourcePicture DecodePicture(std::span<const std::uint8_t> bytes, PictureFormat format,
                            const std::string& name) {
    return DecodePicture(bytes, format, name, PictureLimits{});
}

SourcePicture DecodePicture(std::span<const std::uint8_t> bytes, PictureFormat format,
                            const std::string& name, const PictureLimits& limits) {
    switch (format) {
        case PictureFormat::Jpeg:
            return intake::DecodeJpeg(bytes, name, limits);
        case PictureFormat::Bmp:
        case PictureFormat::Png:
            return intake::DecodeWithQt(bytes, format, name, limits);
        case PictureFormat::Unrecognised:
            break;
    }
    throw intake::MakeError(name, "not a JPEG, BMP or PNG file");
}

std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    errno = 0;
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw intake::MakeError(name, "cannot open the file: " + ErrnoText(errno));

    // Read in chunks until the end rather than trusting a size from the file system, which
    // a pipe or a special file does not have.
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, 1 << 16> chunk{};
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (bytes.size() + got > kMaxPictureFileBytes) {
            throw intake::MakeError(name, "file too large (more than 1 GiB)");
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < chunk.size()) break;
    }
    if (std::ferror(file.get())) {
        throw intake::MakeError(name, "cannot read the file: " + ErrnoText(errno));
    }
    return bytes;
}

SourcePicture LoadPicture(const std::filesystem::path& path, PictureFormat format) {
    return DecodePicture(ReadPictureFile(path), format, path.string());
}

namespace intake {

void CheckPictureSize(std::int64_t width, std::int64_t height, const PictureLimits& limits,
                      const std::string& name) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0) throw MakeError(name, "picture has no pixels (" + size + ")");
    if (width > limits.max_side || height > limits.max_side || width * height > limits.max_pixels) {
        throw MakeError(name, "picture too large: " + size + " pixels (at most " +
                                  std::to_string(limits.max_side) + " on a side and " +
                                  std::to_string(limits.max_pixels) + " in all)");
    }
}

PictureError MakeError(const std::string& name, std::string_view problem) {
    std::string text(problem);
    const auto is_lower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
    if (text.size() >= 2 && std::isupper(static_cast<unsigned char>(text[0])) &&
        is_lower(text[1])) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return PictureError(name + ": " + text);
}

}  // namespace intake

}  // namespace zimbor
