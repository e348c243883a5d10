// The 144 x 168 crop and its pan.
#include "intake/crop.hpp"

#include <algorithm>
#include <cassert>

namespace zimbor {

void DrawPicture(CanvasImage& canvas, const SourcePicture& picture, int left, int top) {
    assert(picture.width >= 0 && picture.height >= 0);
    assert(picture.pixels.size() ==
           static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    // The canvas rectangle that the picture covers, in canvas coordinates. 64-bit, so that an
    // offset far outside the canvas cannot overflow.
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{left} + picture.width, kWidth);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{top} + picture.height, kHeight);
    for (std::int64_t y = y0; y < y1; ++y) {
        for (std::int64_t x = x0; x < x1; ++x) {
            canvas[PixelSlot(static_cast<int>(x), static_cast<int>(y))] =
                picture.At(static_cast<int>(x - left), static_cast<int>(y - top));
        }
    }
}

ScrollRange HorizontalRange(int width) {
    return width >= kWidth ? ScrollRange{kWidth - width, 0} : ScrollRange{};
}

ScrollRange VerticalRange(int height) {
    return height >= kHeight ? ScrollRange{kHeight - height, 0} : ScrollRange{};
}

PictureCrop::PictureCrop() = default;

void PictureCrop::Load(SourcePicture picture) {
    source_ = std::move(picture);
    horizontal_ = 0;
    vertical_ = 0;
    DrawPicture(working_, source_, 0, 0);
}

void PictureCrop::Pan(int horizontal, int vertical) {
    const ScrollRange h = Horizontal();
    const ScrollRange v = Vertical();
    horizontal_ = std::clamp(horizontal, h.min, h.max);
    vertical_ = std::clamp(vertical, v.min, v.max);
    DrawPicture(working_, source_, horizontal_, vertical_);
}

}  // namespace zimbor
