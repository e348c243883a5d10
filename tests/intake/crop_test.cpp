// The 144 x 168 crop: drawing at the pan offset, clipping, the scroll ranges, and the pixels
// that stay behind where a new picture does not cover the canvas.
#include "intake/crop.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace zimbor {
namespace {

// Every pixel says where it came from: which picture (tag) and its own (x, y).
constexpr std::uint32_t Mark(int tag, int x, int y) {
    return static_cast<std::uint32_t>(tag << 20 | y << 10 | x);
}

SourcePicture Pattern(int width, int height, int tag) {
    SourcePicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.clear();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.pixels.push_back(Mark(tag, x, y));
    }
    return picture;
}

std::uint32_t At(const CanvasImage& canvas, int x, int y) {
    return canvas[PixelSlot(x, y)];
}

// Checks every canvas pixel against `want(x, y)`; reports the first that differs.
template <typename Want>
::testing::AssertionResult CanvasIs(const CanvasImage& canvas, Want want) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (At(canvas, x, y) != want(x, y)) {
                return ::testing::AssertionFailure()
                       << "(" << x << ", " << y << ") is 0x" << std::hex << At(canvas, x, y)
                       << ", want 0x" << want(x, y);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(ScrollRangeTest, FromThePictureSize) {
    const struct {
        int size;
        ScrollRange horizontal;
        ScrollRange vertical;
    } cases[] = {
        {1, {0, 0}, {0, 0}},          {100, {0, 0}, {0, 0}},    {143, {0, 0}, {0, 0}},
        {144, {0, 0}, {0, 0}},        {145, {-1, 0}, {0, 0}},   {167, {-23, 0}, {0, 0}},
        {168, {-24, 0}, {0, 0}},      {169, {-25, 0}, {-1, 0}}, {600, {-456, 0}, {-432, 0}},
        {1000, {-856, 0}, {-832, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HorizontalRange(c.size), c.horizontal) << "width " << c.size;
        EXPECT_EQ(VerticalRange(c.size), c.vertical) << "height " << c.size;
    }
}

TEST(DrawPictureTest, ClipsToTheCanvasAndLeavesTheRest) {
    const SourcePicture small = Pattern(3, 2, 1);
    const struct {
        const char* name;
        int left, top;
    } cases[] = {
        {"inside", 10, 20},
        {"top-left, partly outside", -1, -1},
        {"bottom-right corner", 142, 166},
        {"right of the canvas", 144, 0},
        {"below the canvas", 0, 168},
        {"far outside", INT_MIN, INT_MAX},
        {"far left", INT_MIN, 0},
    };
    for (const auto& c : cases) {
        CanvasImage canvas;
        canvas.fill(Mark(7, 0, 0));
        DrawPicture(canvas, small, c.left, c.top);
        EXPECT_TRUE(CanvasIs(canvas, [&](int x, int y) {
            const long long px = static_cast<long long>(x) - c.left;
            const long long py = static_cast<long long>(y) - c.top;
            const bool covered = px >= 0 && px < 3 && py >= 0 && py < 2;
            return covered ? Mark(1, static_cast<int>(px), static_cast<int>(py)) : Mark(7, 0, 0);
        })) << c.name;
    }
}

TEST(PictureCropTest, StartsBlackWithNothingToPan) {
    const PictureCrop crop;
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int, int) { return 0u; }));
    EXPECT_EQ(crop.Source().width, kWidth);
    EXPECT_EQ(crop.Source().height, kHeight);
    EXPECT_EQ(crop.Horizontal(), (ScrollRange{0, 0}));
    EXPECT_EQ(crop.Vertical(), (ScrollRange{0, 0}));
}

TEST(PictureCropTest, ExactSizeIsTheWholePicture) {
    PictureCrop crop;
    crop.Load(Pattern(kWidth, kHeight, 1));
    EXPECT_EQ(crop.Horizontal(), (ScrollRange{0, 0}));
    EXPECT_EQ(crop.Vertical(), (ScrollRange{0, 0}));
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, x, y); }));
    crop.Pan(-5, 5);
    EXPECT_EQ(crop.HorizontalPosition(), 0);
    EXPECT_EQ(crop.VerticalPosition(), 0);
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, x, y); }));
}

TEST(PictureCropTest, LargePicturePansToItsFarCorner) {
    PictureCrop crop;
    crop.Load(Pattern(1000, 600, 1));
    EXPECT_EQ(crop.Horizontal(), (ScrollRange{-856, 0}));
    EXPECT_EQ(crop.Vertical(), (ScrollRange{-432, 0}));
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, x, y); }));

    // Left and top ends: the bottom-right 144 x 168 pixels.
    crop.Pan(-856, -432);
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, 856 + x, 432 + y); }));
    // Somewhere in between: columns 300.. and rows 7..
    crop.Pan(-300, -7);
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, 300 + x, 7 + y); }));
}

TEST(PictureCropTest, PanClampsIntoTheRanges) {
    PictureCrop crop;
    crop.Load(Pattern(1000, 600, 1));
    const struct {
        int horizontal, vertical;
        int want_horizontal, want_vertical;
    } cases[] = {
        {-857, -433, -856, -432}, {INT_MIN, INT_MIN, -856, -432}, {1, 1, 0, 0}, {INT_MAX, 0, 0, 0},
        {-10, 500, -10, 0},       {-856, -432, -856, -432},
    };
    for (const auto& c : cases) {
        crop.Pan(c.horizontal, c.vertical);
        EXPECT_EQ(crop.HorizontalPosition(), c.want_horizontal);
        EXPECT_EQ(crop.VerticalPosition(), c.want_vertical);
        const int dx = -c.want_horizontal;
        const int dy = -c.want_vertical;
        EXPECT_TRUE(CanvasIs(crop.Working(), [&](int x, int y) { return Mark(1, dx + x, dy + y); }))
            << "pan (" << c.horizontal << ", " << c.vertical << ")";
    }
}

TEST(PictureCropTest, SmallPictureAfterStartUpLeavesTheRestBlack) {
    PictureCrop crop;
    crop.Load(Pattern(100, 100, 1));
    EXPECT_EQ(crop.Horizontal(), (ScrollRange{0, 0}));
    EXPECT_EQ(crop.Vertical(), (ScrollRange{0, 0}));
    EXPECT_TRUE(CanvasIs(crop.Working(),
                         [](int x, int y) { return x < 100 && y < 100 ? Mark(1, x, y) : 0u; }));
}

TEST(PictureCropTest, SmallPictureAfterALargerOneKeepsItsPixels) {
    PictureCrop crop;
    crop.Load(Pattern(1000, 600, 1));
    crop.Pan(-10, -20);
    crop.Load(Pattern(100, 100, 2));
    EXPECT_EQ(crop.HorizontalPosition(), 0);
    EXPECT_EQ(crop.VerticalPosition(), 0);
    // Outside the new picture: the earlier one as it was last drawn, at (-10, -20).
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) {
        return x < 100 && y < 100 ? Mark(2, x, y) : Mark(1, 10 + x, 20 + y);
    }));
}

TEST(PictureCropTest, WidePictureKeepsTheRowsBelowWhilePanningSideways) {
    PictureCrop crop;
    crop.Load(Pattern(1000, 600, 1));
    crop.Load(Pattern(300, 100, 2));
    EXPECT_EQ(crop.Horizontal(), (ScrollRange{-156, 0}));
    EXPECT_EQ(crop.Vertical(), (ScrollRange{0, 0}));
    for (const int pan : {-1, -156, -77, 0}) {
        crop.Pan(pan, -30);
        EXPECT_EQ(crop.VerticalPosition(), 0);
        EXPECT_TRUE(
            CanvasIs(crop.Working(),
                     [&](int x, int y) { return y < 100 ? Mark(2, x - pan, y) : Mark(1, x, y); }))
            << "pan " << pan;
    }
}

TEST(PictureCropTest, LoadingAgainReturnsToTheTopLeftCorner) {
    PictureCrop crop;
    crop.Load(Pattern(1000, 600, 1));
    crop.Pan(-400, -300);
    crop.Load(Pattern(1000, 600, 1));
    EXPECT_EQ(crop.HorizontalPosition(), 0);
    EXPECT_EQ(crop.VerticalPosition(), 0);
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, x, y); }));
}

TEST(PictureCropTest, OnePixelStepsMoveTheCropByOnePixel) {
    PictureCrop crop;
    crop.Load(Pattern(200, 200, 1));
    crop.Pan(crop.HorizontalPosition() - 1, crop.VerticalPosition() - 1);
    EXPECT_TRUE(CanvasIs(crop.Working(), [](int x, int y) { return Mark(1, x + 1, y + 1); }));
}

}  // namespace
}  // namespace zimbor
