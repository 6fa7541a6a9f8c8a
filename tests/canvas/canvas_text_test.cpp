#include "graphics/canvas.h"

#include "test_util.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace ludomat;

namespace {

constexpr Rgb kPaper = 0xFFFFFF;
constexpr Rgb kInk = 0x0000FF;
constexpr Rgb kBrush = 0xFFFF00;

Canvas& prepare(Canvas& c, const std::string& face, int size)
{
    Font f;
    f.face = face;
    f.size = size;
    f.colour = kInk;
    c.setFont(f);
    return c;
}

} // namespace

TEST(Text, FontSizesArePointsAtNinetySixDpi)
{
    EXPECT_EQ(pointsToPixels(16), 21);
    EXPECT_EQ(pointsToPixels(12), 16);
    EXPECT_EQ(pointsToPixels(10), 13);
    EXPECT_EQ(pointsToPixels(-16), 21);
    EXPECT_EQ(pointsToPixels(0), 1);
    Bitmap b(1, 1);
    Canvas c(b);
    prepare(c, "Arial", 16);
    EXPECT_EQ(c.qtFont().pixelSize(), 21);
}

TEST(Text, PlatformFacesResolveToLiberation)
{
    Bitmap b(1, 1);
    Canvas c(b);
    prepare(c, "Courier New", 16);
    EXPECT_EQ(QFontInfo(c.qtFont()).family(), QStringLiteral("Liberation Mono"));
    // Monospaced: narrow and wide letters measure the same.
    EXPECT_EQ(c.textWidth("iiii"), c.textWidth("WWWW"));
    EXPECT_GT(c.textWidth("iiii"), 0);

    prepare(c, "Arial", 16);
    EXPECT_EQ(QFontInfo(c.qtFont()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_LT(c.textWidth("iiii"), c.textWidth("WWWW"));
    // Line height covers ascent and descent: more than the em, less than twice it.
    EXPECT_GT(c.textHeight("x"), 21);
    EXPECT_LT(c.textHeight("x"), 42);
    EXPECT_EQ(c.textHeight(""), c.textHeight("Mg"));
    EXPECT_EQ(c.textWidth(""), 0);

    // Bold text is wider; a larger size is taller.
    const int regular = c.textWidth("Bold words");
    c.setFontStyle(true, false, false);
    EXPECT_GT(c.textWidth("Bold words"), regular);
    const int height16 = c.textHeight("x");
    c.setFontSize(32);
    EXPECT_GT(c.textHeight("x"), height16 + 15);
}

TEST(Text, DrawsOnlyInsideItsMeasuredBoxWithoutAntialiasing)
{
    for (const char* face : {"Arial", "Courier New"}) {
        Bitmap b(300, 80, kPaper);
        Canvas c(b);
        prepare(c, face, 16);
        c.setBrushStyle(BrushStyle::Clear);
        const std::string text = "Ludomat jogo 123";
        const int x = 17, y = 9;
        c.textOut(x, y, text);
        const int w = c.textWidth(text), h = c.textHeight(text);
        int inkInside = 0;
        for (int py = 0; py < b.height(); ++py)
            for (int px = 0; px < b.width(); ++px) {
                const Rgb p = b.pixel(px, py);
                // No antialiasing: only paper and ink, nothing in between.
                ASSERT_TRUE(p == kPaper || p == kInk) << face << " " << px << "," << py;
                const bool inside = px >= x && px < x + w && py >= y && py < y + h;
                if (p == kInk) {
                    ASSERT_TRUE(inside) << face << " ink outside the box at " << px << "," << py;
                    ++inkInside;
                }
            }
        EXPECT_GT(inkInside, 100) << face;
        // Anchored at the top-left: ink reaches close to the box's left edge and top half.
        bool nearLeft = false, inTopHalf = false;
        for (int py = y; py < y + h; ++py)
            for (int px = x; px < x + w; ++px)
                if (b.pixel(px, py) == kInk) {
                    nearLeft |= px < x + 4;
                    inTopHalf |= py < y + h / 2;
                }
        EXPECT_TRUE(nearLeft && inTopHalf) << face;
    }
}

TEST(Text, SolidBrushPaintsTheBoxBehindTheText)
{
    Bitmap b(200, 60, kPaper);
    Canvas c(b);
    prepare(c, "Arial", 12);
    c.setBrushStyle(BrushStyle::Solid);
    c.setBrushColour(kBrush);
    c.textOut(5, 7, "Caixa");
    const int w = c.textWidth("Caixa"), h = c.textHeight("Caixa");
    EXPECT_EQ(test::countOf(b, kBrush) + test::countOf(b, kInk), w * h);
    EXPECT_EQ(b.pixel(5, 7), kBrush);
    EXPECT_EQ(b.pixel(4 + w, 6 + h), kBrush);
    EXPECT_EQ(b.pixel(5 + w, 7), kPaper);
    EXPECT_EQ(b.pixel(5, 7 + h), kPaper);
}

TEST(Text, WindowsLatinBytesAreDrawnAndMeasuredAsTheirCharacters)
{
    Bitmap b(100, 40, kPaper);
    Canvas c(b);
    prepare(c, "Arial", 16);
    c.setBrushStyle(BrushStyle::Clear);
    // 0xA7 is the section sign, 0xE7 c-cedilla, 0x80 the euro sign.
    const std::string bytes = "\xA7\xE7\x80";
    EXPECT_EQ(c.textWidth(bytes), c.textWidth("\xA7") + c.textWidth("\xE7") + c.textWidth("\x80"));
    EXPECT_NE(c.textWidth("\xE7"), c.textWidth("?"));
    c.textOut(0, 0, "\xA7");
    EXPECT_GT(test::countOf(b, kInk), 10);

    // Underline adds ink under the letters; the same text without it has less.
    Bitmap plain(100, 40, kPaper), underlined(100, 40, kPaper);
    Canvas p(plain), u(underlined);
    prepare(p, "Arial", 16).setBrushStyle(BrushStyle::Clear);
    prepare(u, "Arial", 16).setBrushStyle(BrushStyle::Clear);
    u.setFontStyle(false, false, true);
    p.textOut(2, 2, "ace");
    u.textOut(2, 2, "ace");
    EXPECT_GT(test::countOf(underlined, kInk), test::countOf(plain, kInk) + 10);
}
