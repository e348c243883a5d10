// BMP and PNG decoding with QImageReader (QtGui). Both formats are built into QtGui, so no
// QGuiApplication, platform plugin or display is needed.
//
// The format is forced: the header test has already decided, and the reader must neither
// guess from the content nor pick another handler. Alpha is composited onto black (a
// transparent pixel ends black, like the canvas before anything is drawn); the colour of
// fully transparent pixels is never shown.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <optional>
#include <utility>

#include "intake/decoders.hpp"

namespace zimbor::intake {

namespace {

// Qt refuses, while reading, any image whose buffer exceeds its allocation limit (128 MB by
// default). Raise it to what the largest accepted picture needs at 32 bits per pixel; our own
// size check from the header comes first in any case.
constexpr int kBytesPerPixel = 4;
constexpr std::int64_t kMebibyte = 1 << 20;
constexpr int kAllocationLimitMb =
    static_cast<int>((kMaxPicturePixels * kBytesPerPixel + kMebibyte - 1) / kMebibyte);

void RaiseAllocationLimit() {
    static const bool raised = [] {
        if (QImageReader::allocationLimit() < kAllocationLimitMb) {
            QImageReader::setAllocationLimit(kAllocationLimitMb);
        }
        return true;
    }();
    static_cast<void>(raised);
}

// The size a bitmap's header claims, read directly: Qt's reader gives no size at all for
// some huge claims (20000 x 20000), and those must still get the size error. The DIB header
// follows the 14-byte file header; a 12-byte OS/2 core header has 16-bit sizes, every later
// header 32-bit ones, the height negative for rows stored top-down.
std::optional<std::pair<std::int64_t, std::int64_t>> BmpClaimedSize(
    std::span<const std::uint8_t> bytes) {
    const auto read = [&](std::size_t at, std::size_t count) {
        std::uint32_t v = 0;
        for (std::size_t i = count; i-- > 0;) v = v << 8 | bytes[at + i];
        return v;
    };
    constexpr std::size_t kDib = 14;
    if (bytes.size() < kDib + 12) return std::nullopt;
    const std::uint32_t header = read(kDib, 4);
    if (header == 12) return std::pair<std::int64_t, std::int64_t>{read(18, 2), read(20, 2)};
    if (header < 40) return std::nullopt;
    const auto width = static_cast<std::int32_t>(read(18, 4));
    const auto height = static_cast<std::int32_t>(read(22, 4));
    return std::pair<std::int64_t, std::int64_t>{width,
                                                 height < 0 ? -std::int64_t{height} : height};
}

}  // namespace

SourcePicture DecodeWithQt(std::span<const std::uint8_t> bytes, PictureFormat format,
                           const std::string& name, const PictureLimits& limits) {
    const bool bmp = format == PictureFormat::Bmp;
    const char* const label = bmp ? "BMP" : "PNG";
    RaiseAllocationLimit();

    // The bytes stay ours; the buffer only reads them.
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, bmp ? "bmp" : "png");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);

    // The size from the header, before the reader allocates anything. Where Qt gives none, a
    // bitmap's own header fields are checked; otherwise read() fails on the header, and the
    // allocation limit still bounds it.
    const QSize claimed = reader.size();
    if (claimed.isValid()) {
        CheckPictureSize(claimed.width(), claimed.height(), limits, name);
    } else if (bmp) {
        if (const auto size = BmpClaimedSize(bytes)) {
            CheckPictureSize(size->first, size->second, limits, name);
        }
    }

    QImage image = reader.read();
    if (image.isNull()) {
        throw MakeError(name, std::string("cannot read the ") + label +
                                  " file: " + reader.errorString().toStdString());
    }
    CheckPictureSize(image.width(), image.height(), limits, name);

    // Premultiplied ARGB is the colour composited onto black.
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) throw MakeError(name, "not enough memory for the picture");
    SourcePicture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.resize(static_cast<std::size_t>(picture.width) *
                          static_cast<std::size_t>(picture.height));
    auto out = picture.pixels.begin();
    for (int y = 0; y < picture.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // QRgb is 0xAARRGGBB; the canvas wants 0x00BBGGRR.
        for (int x = 0; x < picture.width; ++x) *out++ = SwapRedBlue(line[x]);
    }
    return picture;
}

}  // namespace zimbor::intake
