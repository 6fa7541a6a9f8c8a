#include "graphics/canvas.h"

#include "test_util.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace ludomat;

namespace {

constexpr Rgb kPaper = 0xFFFFFF;
constexpr Rgb kInk = 0x000000;

struct Board
{
    Bitmap bitmap;
    Canvas canvas;

    Board(int w, int h) : bitmap(w, h, kPaper), canvas(bitmap)
    {
        canvas.setPenColour(kInk);
        canvas.setBrushStyle(BrushStyle::Clear);
    }
    std::vector<std::string> ink() const { return test::pixelsOf(bitmap, kInk); }
    bool inked(int x, int y) const { return bitmap.pixel(x, y) == kInk; }
};

} // namespace

TEST(Lines, ThinLinesExcludeTheirEndPoint)
{
    Board b(10, 10);
    b.canvas.moveTo(0, 0);
    b.canvas.lineTo(3, 0);
    EXPECT_EQ(b.ink(), (std::vector<std::string>{"0,0", "1,0", "2,0"}));
    EXPECT_EQ(b.canvas.penPos(), QPoint(3, 0));

    Board up(10, 10);
    up.canvas.moveTo(5, 5);
    up.canvas.lineTo(5, 1);
    EXPECT_EQ(up.ink(), (std::vector<std::string>{"5,2", "5,3", "5,4", "5,5"}));

    Board diagonal(10, 10);
    diagonal.canvas.moveTo(4, 4);
    diagonal.canvas.lineTo(0, 0);
    EXPECT_EQ(diagonal.ink(), (std::vector<std::string>{"1,1", "2,2", "3,3", "4,4"}));

    // A zero-length thin line draws nothing; width 0 is the thinnest pen.
    Board dot(4, 4);
    dot.canvas.setPenWidth(0);
    dot.canvas.moveTo(2, 2);
    dot.canvas.lineTo(2, 2);
    EXPECT_TRUE(dot.ink().empty());
    dot.canvas.lineTo(2, 0);
    EXPECT_EQ(dot.ink(), (std::vector<std::string>{"2,1", "2,2"}));
}

TEST(Lines, AClosedPolylineSetsEachCornerOnce)
{
    Board b(8, 8);
    b.canvas.moveTo(1, 1);
    for (auto [x, y] : {std::pair{5, 1}, {5, 5}, {1, 5}, {1, 1}})
        b.canvas.lineTo(x, y);
    EXPECT_EQ(b.ink().size(), 16u);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(b.inked(i, 1) && b.inked(i, 5) && b.inked(1, i) && b.inked(5, i)) << i;
    }
}

TEST(Lines, SlopedLinesStayOnTheIdealLine)
{
    for (auto [x1, y1] : {std::pair{17, 5}, {-13, 9}, {6, -19}, {-11, -11}, {3, 20}}) {
        Board b(60, 60);
        const int x0 = 30, y0 = 30;
        b.canvas.moveTo(x0, y0);
        b.canvas.lineTo(x0 + x1, y0 + y1);
        const bool xMajor = std::abs(x1) >= std::abs(y1);
        const int steps = std::max(std::abs(x1), std::abs(y1));
        // One pixel per step along the major axis, each within half a pixel of the line.
        ASSERT_EQ(int(b.ink().size()), steps) << x1 << "," << y1;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x) {
                if (!b.inked(x, y))
                    continue;
                const double t = xMajor ? double(x - x0) / x1 : double(y - y0) / y1;
                const double ideal = xMajor ? y0 + t * y1 : x0 + t * x1;
                EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5) << x << "," << y;
                EXPECT_GE(t, 0.0);
                EXPECT_LT(t, 1.0);
            }
    }
}

TEST(Lines, WidePensAreDiscsWithRoundEnds)
{
    Board b(12, 12);
    b.canvas.setPenWidth(3);
    b.canvas.moveTo(2, 5);
    b.canvas.lineTo(8, 5);
    // A 3-wide disc is a 3x3 block: the line covers x 1..9 on rows 4..6, end point included.
    EXPECT_EQ(b.ink().size(), 27u);
    EXPECT_TRUE(b.inked(1, 4) && b.inked(9, 6));
    EXPECT_FALSE(b.inked(0, 5) || b.inked(10, 5) || b.inked(5, 3) || b.inked(5, 7));

    Board dot(12, 12);
    dot.canvas.setPenWidth(5);
    dot.canvas.moveTo(5, 5);
    dot.canvas.lineTo(5, 5);
    // A 5-wide disc: the 5x5 block without its corners, centred on the point.
    EXPECT_EQ(dot.ink().size(), 21u);
    EXPECT_TRUE(dot.inked(3, 4) && dot.inked(7, 6) && dot.inked(5, 3) && dot.inked(5, 7));
    EXPECT_FALSE(dot.inked(3, 3) || dot.inked(7, 7) || dot.inked(2, 5) || dot.inked(8, 5));

    // Even widths centre on a pixel corner: 2 wide is a 2x2 block up and left of the point.
    Board two(6, 6);
    two.canvas.setPenWidth(2);
    two.canvas.moveTo(3, 3);
    two.canvas.lineTo(3, 3);
    EXPECT_EQ(two.ink(), (std::vector<std::string>{"2,2", "3,2", "2,3", "3,3"}));
}

TEST(Lines, FarOffBitmapCoordinatesAreClippedQuickly)
{
    Board b(20, 10);
    b.canvas.moveTo(-2000000000, 4);
    b.canvas.lineTo(2000000000, 4);
    EXPECT_EQ(b.ink().size(), 20u);
    b.canvas.setPenWidth(3);
    b.canvas.moveTo(5, -2000000000);
    b.canvas.lineTo(5, 2000000000);
    EXPECT_EQ(b.ink().size(), 20u + 3 * 10 - 3);
}

TEST(Rectangles, OutlineLiesInsideTheTwoCorners)
{
    Board b(60, 60);
    b.canvas.rectangle(0, 0, 50, 50);
    EXPECT_EQ(b.ink().size(), 4u * 49);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(b.inked(i, 0) && b.inked(i, 49) && b.inked(0, i) && b.inked(49, i)) << i;
        EXPECT_FALSE(b.inked(i, 50) || b.inked(50, i)) << i;
    }
    EXPECT_FALSE(b.inked(25, 25)); // clear brush: inside untouched

    Board reversed(60, 60);
    reversed.canvas.rectangle(50, 50, 0, 0);
    EXPECT_EQ(reversed.bitmap, b.bitmap);
}

TEST(Rectangles, SolidBrushFillsInsideAndWidePensStraddleThePath)
{
    Board b(20, 20);
    b.canvas.setBrushStyle(BrushStyle::Solid);
    b.canvas.setBrushColour(0x00FF00);
    b.canvas.rectangle(2, 2, 8, 7);
    EXPECT_EQ(test::countOf(b.bitmap, 0x00FF00), 4 * 3);
    EXPECT_EQ(b.ink().size(), 2u * 6 + 2u * 3);

    Board wide(20, 20);
    wide.canvas.setPenWidth(3);
    wide.canvas.rectangle(5, 5, 15, 12);
    // The thin path is x 5..14, y 5..11; a 3-wide pen reaches one pixel either side of it.
    EXPECT_TRUE(wide.inked(4, 4) && wide.inked(15, 12) && wide.inked(6, 6) && wide.inked(13, 10));
    EXPECT_FALSE(wide.inked(3, 8) || wide.inked(16, 8) || wide.inked(7, 7) || wide.inked(10, 3));

    Board empty(10, 10);
    empty.canvas.rectangle(3, 3, 3, 9);
    EXPECT_TRUE(empty.ink().empty());
}

namespace {

// Checks the outline is a closed, thin, symmetric ring that touches all four sides of the box.
void expectEllipseOutline(const Board& b, int x1, int y1, int x2, int y2)
{
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
    for (int y = 0; y < b.bitmap.height(); ++y)
        for (int x = 0; x < b.bitmap.width(); ++x) {
            if (!b.inked(x, y))
                continue;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            ASSERT_TRUE(b.inked(x1 + x2 - 1 - x, y)) << "left-right mirror of " << x << "," << y;
            ASSERT_TRUE(b.inked(x, y1 + y2 - 1 - y)) << "top-bottom mirror of " << x << "," << y;
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    neighbours += (dx || dy) && b.inked(x + dx, y + dy);
            ASSERT_GE(neighbours, 2) << "gap at " << x << "," << y;
        }
    EXPECT_EQ(minX, x1);
    EXPECT_EQ(maxX, x2 - 1);
    EXPECT_EQ(minY, y1);
    EXPECT_EQ(maxY, y2 - 1);
}

} // namespace

TEST(Ellipses, OutlineIsSymmetricAndTouchesTheBox)
{
    Board circle(60, 60);
    circle.canvas.ellipse(0, 0, 50, 50);
    expectEllipseOutline(circle, 0, 0, 50, 50);
    EXPECT_FALSE(circle.inked(25, 25));
    EXPECT_FALSE(circle.inked(0, 0));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(circle.inked(x, y), circle.inked(y, x)) << x << "," << y;

    for (auto box : {Rect{3, 4, 34, 16}, Rect{10, 2, 17, 41}, Rect{5, 5, 7, 9}}) {
        Board b(50, 50);
        b.canvas.ellipse(box.right, box.bottom, box.left, box.top);
        expectEllipseOutline(b, box.left, box.top, box.right, box.bottom);
    }
}

TEST(Ellipses, TinyBoxesAndFilling)
{
    Board one(5, 5);
    one.canvas.ellipse(1, 1, 2, 2);
    EXPECT_EQ(one.ink(), (std::vector<std::string>{"1,1"}));
    Board column(5, 8);
    column.canvas.ellipse(2, 1, 3, 6);
    EXPECT_EQ(column.ink().size(), 5u);
    Board none(5, 5);
    none.canvas.ellipse(1, 1, 1, 4);
    EXPECT_TRUE(none.ink().empty());

    Board filled(30, 30);
    filled.canvas.setBrushStyle(BrushStyle::Solid);
    filled.canvas.setBrushColour(0x0000FF);
    filled.canvas.ellipse(0, 0, 21, 21);
    EXPECT_EQ(filled.bitmap.pixel(10, 10), 0x0000FFu);
    EXPECT_EQ(filled.bitmap.pixel(0, 0), kPaper);
    EXPECT_EQ(filled.bitmap.pixel(0, 10), kInk);
    // Filling does not change the outline.
    Board outline(30, 30);
    outline.canvas.ellipse(0, 0, 21, 21);
    EXPECT_EQ(filled.ink(), outline.ink());
}

TEST(Ellipses, HugeEllipsesAreClippedQuickly)
{
    Board b(40, 30);
    b.canvas.ellipse(-1000000000, 0, 1000000000, 100);
    // Only the flat top of a very wide ellipse is in view.
    for (int x = 0; x < 40; ++x)
        ASSERT_TRUE(b.inked(x, 0)) << x;
    EXPECT_FALSE(b.inked(20, 15));
    b.canvas.setPenWidth(4);
    b.canvas.ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
    EXPECT_EQ(b.ink().size(), 40u);
}
