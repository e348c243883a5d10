#include "app/preview.hpp"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace zimbor {
namespace {

// One wheel notch is 120 units of angle and moves the picture by one character cell, 8 pixels.
constexpr int kWheelUnitsPerPixel = 120 / 8;

constexpr QRgb Opaque(std::uint32_t rgb) {
    return 0xFF000000u | (rgb & 0xFFFFFFu);
}

}  // namespace

TImagePreview::TImagePreview(QWidget* parent)
    : QWidget(parent), picture_(kWidth, kHeight, QImage::Format_RGB32) {
    picture_.fill(Qt::black);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TImagePreview::ShowCanvas(const CanvasImage& canvas) {
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
        for (int x = 0; x < kWidth; ++x) line[x] = Opaque(SwapRedBlue(canvas[PixelSlot(x, y)]));
    }
    update();
}

void TImagePreview::ShowPlane(const Plane& plane) {
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = Opaque(static_cast<std::uint32_t>(plane[PixelSlot(x, y)]));
        }
    }
    update();
}

void TImagePreview::Clear() {
    picture_.fill(Qt::black);
    update();
}

void TImagePreview::SetZoom(int zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == zoom_) return;
    zoom_ = zoom;
    setFixedSize(sizeHint());
    updateGeometry();
    update();
}

void TImagePreview::SetPannable(bool pannable) {
    pannable_ = pannable;
    setCursor(pannable ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

QSize TImagePreview::sizeHint() const {
    return QSize(kWidth * zoom_, kHeight * zoom_);
}

void TImagePreview::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Without smooth pixmap transformation the painter scales by repeating pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(0, 0, kWidth * zoom_, kHeight * zoom_), picture_);
}

void TImagePreview::mousePressEvent(QMouseEvent* event) {
    if (!pannable_ || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    pressPosition_ = event->position().toPoint();
    dragged_ = QPoint();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void TImagePreview::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // Whole picture pixels since the press; the rest of a pixel waits for the next move.
    const QPoint moved = event->position().toPoint() - pressPosition_;
    const QPoint total(moved.x() / zoom_, moved.y() / zoom_);
    const QPoint delta = total - dragged_;
    dragged_ = total;
    if (!delta.isNull()) emit Dragged(delta);
    event->accept();
}

void TImagePreview::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
    event->accept();
}

void TImagePreview::wheelEvent(QWheelEvent* event) {
    if (!pannable_) {
        QWidget::wheelEvent(event);
        return;
    }
    QPoint angle = event->angleDelta();
    // Shift turns the plain wheel sideways, as in most viewers.
    if ((event->modifiers() & Qt::ShiftModifier) && angle.x() == 0) angle = QPoint(angle.y(), 0);
    const QPoint units = wheelRemainder_ + angle;
    const QPoint pixels(units.x() / kWheelUnitsPerPixel, units.y() / kWheelUnitsPerPixel);
    wheelRemainder_ = units - pixels * kWheelUnitsPerPixel;
    // Turning the wheel away from the user shows more of the picture's top (or left): the
    // picture moves down (or right), as it does when dragged that way.
    if (!pixels.isNull()) emit Wheeled(pixels);
    event->accept();
}

}  // namespace zimbor
