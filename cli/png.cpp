#include "cli/png.hpp"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <stdexcept>

namespace zimbor::cli {

std::vector<std::uint8_t> EncodePng(std::span<const std::int32_t> pixels, int width, int height,
                                    int scale) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // QRgb is 0xAARRGGBB, a plane colour with an opaque alpha.
            line[x] = 0xFF000000u | static_cast<QRgb>(pixels[static_cast<std::size_t>(y * width + x)]);
        }
    }
    if (scale > 1) image = image.scaled(width * scale, height * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        throw std::runtime_error("PNG encoding failed: " + writer.errorString().toStdString());
    }
    const QByteArray& bytes = buffer.data();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace zimbor::cli
