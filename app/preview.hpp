// One 144 x 168 preview: keeps its own picture and paints it enlarged by a whole factor, every
// picture pixel a square block, so that the C64's pixels stay sharp.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "colour/planes.hpp"

namespace zimbor {

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 3;

class TImagePreview : public QWidget {
    Q_OBJECT

  public:
    explicit TImagePreview(QWidget* parent = nullptr);

    // Replace the picture; the widget is scheduled for repainting, or repainted at once by a
    // caller that needs it (the conversion, which lets no event loop run).
    void ShowCanvas(const CanvasImage& canvas);  // canvas colours 0x00BBGGRR
    void ShowPlane(const Plane& plane);          // plane colours 0xRRGGBB
    void Clear();                                // all black

    // The picture at 144 x 168, RGB32.
    const QImage& Picture() const { return picture_; }

    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }

    // Whether dragging and the wheel pan the picture (the crop preview only).
    void SetPannable(bool pannable);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    // The picture was dragged by this many picture pixels since the last signal.
    void Dragged(QPoint delta);
    // The wheel asks to move the picture by this many picture pixels.
    void Wheeled(QPoint delta);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QImage picture_;
    int zoom_ = kMinZoom;
    bool pannable_ = false;
    bool dragging_ = false;
    QPoint pressPosition_;  // widget pixels
    QPoint dragged_;        // picture pixels already signalled in this drag
    QPoint wheelRemainder_;
};

}  // namespace zimbor
