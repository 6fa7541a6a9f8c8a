#include "graphics/blit.h"
#include "graphics/canvas.h"

#include "test_util.h"

#include <climits>
#include <gtest/gtest.h>

using namespace ludomat;

namespace {

// Every pixel a different colour, so any misplaced pixel shows.
Bitmap numbered(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, makeRgb(x, y, 0x80));
    return b;
}

} // namespace

TEST(FillRect, ExcludesRightAndBottomAndNormalisesCorners)
{
    Bitmap b(6, 5, 0xFFFFFF);
    Canvas c(b);
    c.setBrushColour(0x00FF00);
    c.fillRect({1, 1, 4, 3});
    EXPECT_EQ(test::pixelsOf(b, 0x00FF00),
              (std::vector<std::string>{"1,1", "2,1", "3,1", "1,2", "2,2", "3,2"}));

    b.fill(0xFFFFFF);
    c.fillRect({4, 3, 1, 1});
    EXPECT_EQ(test::countOf(b, 0x00FF00), 6);

    // The fill uses the brush colour even with a clear brush, and clips at the edges.
    b.fill(0xFFFFFF);
    c.setBrushStyle(BrushStyle::Clear);
    c.fillRect({-10, -10, 100, 1});
    EXPECT_EQ(test::countOf(b, 0x00FF00), 6);
    c.fillRect({2, 2, 2, 5}); // zero width
    EXPECT_EQ(test::countOf(b, 0x00FF00), 6);
}

TEST(CopyRect, PlainCopyBetweenBitmapsKeepsEveryPixel)
{
    const Bitmap source = numbered(10, 8);
    Bitmap dest(10, 8, 0xFFFFFF);
    Canvas c(dest);
    c.copyRect({2, 1, 6, 4}, source, {5, 3, 9, 6});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
            EXPECT_EQ(dest.pixel(x, y), inside ? source.pixel(x + 3, y + 2) : 0xFFFFFFu) << x << "," << y;
        }
}

TEST(CopyRect, NegativeSourceSizesFlipTheWholePicture)
{
    const int w = 9, h = 5;
    const Bitmap original = numbered(w, h);

    Bitmap flipped = original;
    Canvas c(flipped);
    // Horizontal flip of a buffer onto itself: source left W-1, right -1.
    c.copyRect(c.clipRect(), flipped, {w - 1, 0, -1, h});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(flipped.pixel(x, y), original.pixel(w - 1 - x, y)) << x << "," << y;

    flipped = original;
    c.copyRect(c.clipRect(), flipped, {0, h - 1, w, -1});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(flipped.pixel(x, y), original.pixel(x, h - 1 - y)) << x << "," << y;

    // A mirrored destination mirrors too; both negative is a plain copy.
    Bitmap dest(w, h, 0);
    Canvas d(dest);
    d.copyRect({w - 1, 0, -1, h}, original, {0, 0, w, h});
    EXPECT_EQ(dest.pixel(0, 2), original.pixel(w - 1, 2));
    EXPECT_EQ(dest.pixel(w - 1, 2), original.pixel(0, 2));
    d.copyRect({w - 1, h - 1, -1, -1}, original, {w - 1, h - 1, -1, -1});
    EXPECT_EQ(dest, original);
}

TEST(CopyRect, OverlappingScrollsWithinOneBitmap)
{
    const int w = 12, h = 10, d = 3;
    const Bitmap original = numbered(w, h);
    struct Scroll
    {
        const char* name;
        Rect from, to;
        int shiftX, shiftY; // dest pixel (x, y) comes from (x + shiftX, y + shiftY)
    };
    const Scroll scrolls[] = {
        {"up", Rect::fromXywh(0, d, w, h - d), Rect::fromXywh(0, 0, w, h - d), 0, d},
        {"down", Rect::fromXywh(0, 0, w, h - d), Rect::fromXywh(0, d, w, h - d), 0, -d},
        {"left", Rect::fromXywh(d, 0, w - d, h), Rect::fromXywh(0, 0, w - d, h), d, 0},
        {"right", Rect::fromXywh(0, 0, w - d, h), Rect::fromXywh(d, 0, w - d, h), -d, 0},
    };
    for (const Scroll& s : scrolls) {
        Bitmap b = original;
        Canvas(b).copyRect(s.to, b, s.from);
        for (int y = s.to.top; y < s.to.bottom; ++y)
            for (int x = s.to.left; x < s.to.right; ++x)
                ASSERT_EQ(b.pixel(x, y), original.pixel(x + s.shiftX, y + s.shiftY))
                    << s.name << " at " << x << "," << y;
    }
    // Stretching within one bitmap reads the source as it was before the copy.
    Bitmap b = original;
    Canvas(b).copyRect({0, 0, 8, 8}, b, {0, 0, 4, 4});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(b.pixel(x, y), original.pixel(x / 2, y / 2)) << x << "," << y;
}

TEST(CopyRect, StretchRepeatsAndShrinkDropsPixels)
{
    const Bitmap source = numbered(3, 2);
    Bitmap big(9, 4, 0);
    Canvas(big).copyRect({0, 0, 9, 4}, source, {0, 0, 3, 2});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(big.pixel(x, y), source.pixel(x / 3, y / 2)) << x << "," << y;

    const Bitmap wide = numbered(8, 4);
    Bitmap small(4, 2, 0);
    Canvas(small).copyRect({0, 0, 4, 2}, wide, {0, 0, 8, 4});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(small.pixel(x, y), wide.pixel(2 * x, 2 * y)) << x << "," << y;
}

TEST(CopyRect, SourceOutsideOrEmptyLeavesDestinationAlone)
{
    const Bitmap source = numbered(4, 4);
    Bitmap dest(6, 6, 0xFFFFFF);
    Canvas c(dest);
    c.copyRect({0, 0, 6, 6}, source, {2, 2, 8, 8}); // only the overlapping 2x2 is copied
    EXPECT_EQ(dest.pixel(1, 1), source.pixel(3, 3));
    EXPECT_EQ(dest.pixel(2, 2), 0xFFFFFFu);
    EXPECT_EQ(test::countOf(dest, 0xFFFFFF), 32);
    // Rectangles spanning the whole integer range: a mirrored one maps every visible
    // destination pixel to a source pixel left of 0, so nothing is copied.
    c.copyRect({INT_MIN, 0, INT_MAX, 6}, source, {INT_MAX, 0, INT_MIN, 4});
    c.copyRect({0, 0, 0, 6}, source, {0, 0, 4, 4});
    c.copyRect({0, 0, 6, 6}, source, {0, 0, 4, 0});
    c.copyRect({0, 0, 6, 6}, Bitmap(), {0, 0, 4, 4});
    EXPECT_EQ(test::countOf(dest, 0xFFFFFF), 32);
}

TEST(DrawPicture, TransparentPicturesSkipTheirKeyColour)
{
    Bitmap sprite(3, 2, 0x0000FF);
    sprite.setPixel(1, 0, kTransparentKey);
    sprite.setPixel(2, 1, kTransparentKey);
    Bitmap screen(6, 4, 0x00FF00);
    Canvas c(screen);

    c.draw(2, 1, sprite); // not transparent yet: the magenta is drawn
    EXPECT_EQ(test::countOf(screen, kTransparentKey), 2);

    screen.fill(0x00FF00);
    sprite.setTransparent(true);
    c.draw(2, 1, sprite);
    EXPECT_EQ(test::pixelsOf(screen, 0x0000FF),
              (std::vector<std::string>{"2,1", "4,1", "2,2", "3,2"}));
    EXPECT_EQ(test::countOf(screen, kTransparentKey), 0);

    // Partly off the bitmap: the visible part is drawn, nothing else is touched.
    screen.fill(0x00FF00);
    c.draw(-1, -1, sprite);
    EXPECT_EQ(test::pixelsOf(screen, 0x0000FF), (std::vector<std::string>{"0,0"}));

    // An automatic key takes the bottom-left pixel's colour.
    Bitmap shape(2, 2, 0x123456);
    shape.setPixel(1, 0, 0xABCDEF);
    shape.setTransparent(true);
    shape.setAutomaticTransparentKey();
    screen.fill(0x00FF00);
    c.draw(0, 0, shape);
    EXPECT_EQ(test::pixelsOf(screen, 0xABCDEF), (std::vector<std::string>{"1,0"}));
    EXPECT_EQ(test::countOf(screen, 0x123456), 0);
}

TEST(DrawPicture, StretchDrawScalesAndSkipsTheKey)
{
    Bitmap sprite(2, 2, 0xFF0000);
    sprite.setPixel(1, 1, kTransparentKey);
    sprite.setTransparent(true);
    Bitmap screen(8, 8, 0xFFFFFF);
    Canvas c(screen);
    c.stretchDraw({2, 2, 6, 6}, sprite);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inBox = x >= 2 && x < 6 && y >= 2 && y < 6;
            const bool keyed = x >= 4 && x < 6 && y >= 4 && y < 6;
            ASSERT_EQ(screen.pixel(x, y), inBox && !keyed ? 0xFF0000u : 0xFFFFFFu) << x << "," << y;
        }

    // An absurd destination finishes quickly and only writes the bitmap's own pixels.
    c.stretchDraw({-1000000000, -1000000000, 1000000000, 1000000000}, sprite);
    EXPECT_EQ(test::countOf(screen, 0xFF0000) + test::countOf(screen, 0xFFFFFF), 64);
}
