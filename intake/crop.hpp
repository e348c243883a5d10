// The 144 x 168 crop: a canvas that the loaded picture is drawn into at the pan offset. Where the
// picture does not cover the canvas, the canvas keeps what was drawn there before.
#pragma once

#include "colour/planes.hpp"
#include "intake/picture.hpp"

namespace zimbor {

// A scroll bar's range; positions are 0 or negative.
struct ScrollRange {
    int min = 0;
    int max = 0;
    friend constexpr bool operator==(const ScrollRange&, const ScrollRange&) = default;
};

// Copies the whole picture with its top-left corner at (left, top), clipped to the canvas;
// canvas pixels outside the copied area keep their values.
void DrawPicture(CanvasImage& canvas, const SourcePicture& picture, int left, int top);

// The pan ranges for a picture: 144 - width .. 0 when the width is 144 or more, else 0 .. 0;
// likewise 168 - height .. 0 vertically.
ScrollRange HorizontalRange(int width);
ScrollRange VerticalRange(int height);

class PictureCrop {
public:
    // A black 144 x 168 picture on a black canvas, pan 0, ranges 0 .. 0.
    PictureCrop();

    // A new picture: drawn at (0, 0) over the canvas without clearing it, ranges from its size,
    // pan reset to 0.
    void Load(SourcePicture picture);

    // Moves the pan to the given scroll positions, each clamped into its range, and redraws the
    // picture at the new offset without clearing the canvas first. Redraws even when the
    // positions do not change.
    void Pan(int horizontal, int vertical);

    ScrollRange Horizontal() const { return HorizontalRange(source_.width); }
    ScrollRange Vertical() const { return VerticalRange(source_.height); }
    int HorizontalPosition() const { return horizontal_; }
    int VerticalPosition() const { return vertical_; }

    const SourcePicture& Source() const { return source_; }
    // The crop as the conversion reads it.
    const CanvasImage& Working() const { return working_; }

private:
    SourcePicture source_;
    CanvasImage working_{};
    int horizontal_ = 0;
    int vertical_ = 0;
};

}  // namespace zimbor
