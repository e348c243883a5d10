#include "app/logos.hpp"

#include <QFont>
#include <QPainter>

#include "colour/palette.hpp"

namespace zimbor {
namespace {

// Palette indices used by the logos.
constexpr int kBlack = 0;
constexpr int kWhite = 1;
constexpr int kBlue = 6;
constexpr int kLightBlue = 14;
constexpr int kLightGrey = 15;

QColor PaletteColour(int index) {
    return QColor::fromRgb(static_cast<QRgb>(C64Palette[static_cast<std::size_t>(index)]));
}

// Text drawn without antialiasing into a small picture and enlarged by repeating pixels, so
// that it looks like a low-resolution screen.
QImage ChunkyText(const QString& text, int pixelSize, int scale, QColor colour) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QImage small(metrics.horizontalAdvance(text) + 2, metrics.height(), QImage::Format_ARGB32);
    small.fill(Qt::transparent);
    {
        QPainter painter(&small);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(1, metrics.ascent(), text);
    }
    return small.scaled(small.width() * scale, small.height() * scale, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

}  // namespace

QImage TitleLogo() {
    QImage logo(kTitleLogoWidth, kTitleLogoHeight, QImage::Format_RGB32);
    QPainter painter(&logo);

    // A C64 start-up screen: light blue border around a blue screen.
    constexpr int border = 6;
    logo.fill(PaletteColour(kLightBlue));
    painter.fillRect(border, border, kTitleLogoWidth - 2 * border, kTitleLogoHeight - 2 * border,
                     PaletteColour(kBlue));

    // The name, with a hard shadow one chunky pixel down and right.
    constexpr int scale = 4;
    const QImage shadow = ChunkyText(QStringLiteral("ZIMBOR"), 14, scale, PaletteColour(kBlack));
    const QImage name = ChunkyText(QStringLiteral("ZIMBOR"), 14, scale, PaletteColour(kLightBlue));
    const int nameTop = (kTitleLogoHeight - name.height()) / 2;
    painter.drawImage(24 + scale, nameTop + scale, shadow);
    painter.drawImage(24, nameTop, name);

    // What it makes, beside the name.
    QFont small;
    small.setPixelSize(13);
    painter.setFont(small);
    painter.setPen(PaletteColour(kWhite));
    const int textLeft = 24 + name.width() + 24;
    painter.drawText(textLeft, 40, QStringLiteral("Commodore 64 picture converter"));
    painter.setPen(PaletteColour(kLightGrey));
    painter.drawText(textLeft, 60, QStringLiteral("hires FLI with a sprite overlay, 144 x 168"));

    // The sixteen colours as a row of bars at the right.
    constexpr int barWidth = 14;
    constexpr int barGap = 2;
    const int barsLeft = kTitleLogoWidth - border - 18 - kColourCount * (barWidth + barGap);
    // On black, so that the blue bar shows against the blue screen.
    painter.fillRect(barsLeft - 2 * barGap, 22 - 2 * barGap,
                     kColourCount * (barWidth + barGap) + 3 * barGap, kTitleLogoHeight - 40,
                     PaletteColour(kBlack));
    for (int i = 0; i < kColourCount; ++i) {
        painter.fillRect(barsLeft + i * (barWidth + barGap), 22, barWidth, kTitleLogoHeight - 44,
                         PaletteColour(i));
    }
    return logo;
}

QImage AboutLogo() {
    QImage logo(kAboutLogoSide, kAboutLogoSide, QImage::Format_RGB32);
    logo.fill(PaletteColour(kLightBlue));
    QPainter painter(&logo);

    // The sixteen colours in a 4 x 4 grid on the blue screen, the way the palette is usually
    // shown, with the initial in front.
    constexpr int margin = 6;
    constexpr int cell = (kAboutLogoSide - 2 * margin) / 4;  // 22
    painter.fillRect(margin, margin, 4 * cell, 4 * cell, PaletteColour(kBlue));
    for (int i = 0; i < kColourCount; ++i) {
        painter.fillRect(margin + (i % 4) * cell + 2, margin + (i / 4) * cell + 2, cell - 4,
                         cell - 4, PaletteColour(i));
    }
    const QImage shadow = ChunkyText(QStringLiteral("Z"), 14, 4, PaletteColour(kBlack));
    const QImage letter = ChunkyText(QStringLiteral("Z"), 14, 4, PaletteColour(kWhite));
    const QPoint at((kAboutLogoSide - letter.width()) / 2, (kAboutLogoSide - letter.height()) / 2);
    painter.drawImage(at + QPoint(4, 4), shadow);
    painter.drawImage(at, letter);
    return logo;
}

}  // namespace zimbor
