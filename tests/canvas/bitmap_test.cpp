#include "graphics/bitmap.h"
#include "graphics/colour.h"
#include "graphics/picture_loader.h"

#include "test_util.h"

#include <QPainter>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace ludomat;

TEST(Colour, ScriptColoursSwapRedAndBlueBothWays)
{
    EXPECT_EQ(bgrToRgb(0x0000FF), 0xFF0000u); // script red
    EXPECT_EQ(bgrToRgb(0xFF0000), 0x0000FFu); // script blue
    EXPECT_EQ(rgbToBgr(0x123456), 0x563412u);
    EXPECT_EQ(rgbToBgr(bgrToRgb(0xA1B2C3)), 0xA1B2C3u);
    EXPECT_EQ(rgbToBgr(kInvalidColour), kInvalidColour);
}

TEST(Bitmap, PixelsReadBackAndOutsideIsInvalid)
{
    Bitmap b(4, 3, 0x102030);
    EXPECT_EQ(b.pixel(3, 2), 0x102030u);
    b.setPixel(1, 1, 0xABCDEF);
    EXPECT_EQ(b.pixel(1, 1), 0xABCDEFu);
    // Stored as an opaque RGB32 word, whatever the caller's top byte.
    b.setPixel(2, 2, 0x7F112233);
    EXPECT_EQ(b.scanLine(2)[2], 0xFF112233u);

    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {100000, 100000}}) {
        EXPECT_EQ(b.pixel(x, y), kInvalidColour) << x << "," << y;
        b.setPixel(x, y, 0); // ignored, must not write anywhere
    }
    EXPECT_EQ(test::countOf(b, 0x000000), 0);

    const Bitmap empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.pixel(0, 0), kInvalidColour);
    EXPECT_TRUE(empty.view().isNull());
}

TEST(Bitmap, ResizeKeepsTopLeftAndAddsWhite)
{
    Bitmap b(3, 2, 0x112233);
    b.resize(5, 1);
    EXPECT_EQ(b.width(), 5);
    EXPECT_EQ(b.height(), 1);
    EXPECT_EQ(b.pixel(2, 0), 0x112233u);
    EXPECT_EQ(b.pixel(3, 0), 0xFFFFFFu);
    b.resize(-4, 7);
    EXPECT_TRUE(b.isEmpty());
    b.resize(2, 2);
    EXPECT_EQ(test::countOf(b, 0xFFFFFF), 4);
}

TEST(Bitmap, ViewSharesMemoryForPainting)
{
    Bitmap b(8, 8, 0x000000);
    QImage image = b.view();
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(static_cast<const void*>(image.constBits()), static_cast<const void*>(b.scanLine(0)));
    {
        QPainter painter(&image);
        painter.fillRect(QRect(2, 3, 1, 1), QColor(0x12, 0x34, 0x56));
    }
    EXPECT_EQ(b.pixel(2, 3), 0x123456u);
    EXPECT_EQ(b.scanLine(3)[2] >> 24, 0xFFu);
}

TEST(Bitmap, TransparentKeyIsMagentaOrTheBottomLeftPixel)
{
    Bitmap b(3, 3, 0x00FF00);
    EXPECT_FALSE(b.isTransparent());
    EXPECT_EQ(b.transparentKey(), kTransparentKey);
    b.setPixel(0, 2, 0x0000FF);
    b.setAutomaticTransparentKey();
    EXPECT_EQ(b.transparentKey(), 0x0000FFu);
    b.setPixel(0, 2, 0x123456);
    EXPECT_EQ(b.transparentKey(), 0x123456u); // follows the pixel until a key is fixed
    b.setTransparentKey(0xFF00FF);
    b.setPixel(0, 2, 0x000000);
    EXPECT_EQ(b.transparentKey(), 0xFF00FFu);
}

namespace {

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bitmap testPattern()
{
    Bitmap b(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            b.setPixel(x, y, makeRgb(x * 36, y * 60, (x * y * 13) & 0xFF));
    return b;
}

} // namespace

TEST(Bitmap, SavesTwentyFourBitFilesThatReadBackExactly)
{
    test::TempFolder folder;
    const Bitmap original = testPattern();

    const std::string bmp = folder.file("pattern.BMP");
    original.save(bmp);
    const auto bmpBytes = fileBytes(bmp);
    ASSERT_GT(bmpBytes.size(), 30u);
    EXPECT_EQ(bmpBytes[0], 'B');
    EXPECT_EQ(bmpBytes[1], 'M');
    EXPECT_EQ(bmpBytes[28], 24); // bits a pixel
    EXPECT_EQ(loadBmp(bmp), original);

    const std::string png = folder.file("pattern.png");
    original.save(png);
    const auto pngBytes = fileBytes(png);
    ASSERT_GT(pngBytes.size(), 26u);
    EXPECT_EQ(pngBytes[24], 8); // bit depth
    EXPECT_EQ(pngBytes[25], 2); // colour type: RGB, no alpha
    EXPECT_EQ(loadPng(png), original);

    EXPECT_THROW(original.save(folder.file("no/such/folder/x.png")), PictureError);
}
