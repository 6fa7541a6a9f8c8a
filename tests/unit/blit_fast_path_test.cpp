// The fast copies (the keyed row copy, the tile copy) against a plain per-pixel model of the
// copy rules, over random pictures and rectangles: clipped, mirrored, stretched, overlapping.

#include "graphics/blit.h"
#include "graphics/tile_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace ludomat {
namespace {

constexpr std::uint32_t kKeyWord = 0xFFFF00FFu;

// Pixels of a few colours, about a third of them the magenta key, so runs of both occur.
Bitmap randomPicture(std::mt19937& random, int width, int height)
{
    Bitmap picture(width, height);
    std::uniform_int_distribution<int> pick(0, 5);
    static constexpr Rgb kColours[] = {0xFF00FF, 0xFF00FF, 0x123456, 0xFFFFFF, 0x000000, 0xFF00FE};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, kColours[pick(random)]);
    return picture;
}

// The copy rules, one pixel at a time, reading from a snapshot of the source: destination pixel
// i of a run takes source pixel floor(i * |sw| / |dw|); each side runs the way its sign says.
void modelCopy(Bitmap& dest, const Rect& d, const Bitmap& sourceNow, const Rect& s, const Rgb* key)
{
    const Bitmap source = sourceNow;
    const long long dw = (long long)d.right - d.left, dh = (long long)d.bottom - d.top;
    const long long sw = (long long)s.right - s.left, sh = (long long)s.bottom - s.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    for (long long j = 0; j < std::llabs(dh); ++j) {
        const long long dy = d.top + (dh > 0 ? j : -j);
        const long long sy = s.top + (j * std::llabs(sh) / std::llabs(dh)) * (sh > 0 ? 1 : -1);
        for (long long i = 0; i < std::llabs(dw); ++i) {
            const long long dx = d.left + (dw > 0 ? i : -i);
            const long long sx = s.left + (i * std::llabs(sw) / std::llabs(dw)) * (sw > 0 ? 1 : -1);
            if (!dest.contains(int(dx), int(dy)) || !source.contains(int(sx), int(sy))) continue;
            const Rgb p = source.pixel(int(sx), int(sy));
            if (key && p == *key) continue;
            dest.setPixel(int(dx), int(dy), p);
        }
    }
}

Rect randomRect(std::mt19937& random, int limit, int width, int height)
{
    std::uniform_int_distribution<int> corner(-limit / 2, limit + limit / 2);
    std::uniform_int_distribution<int> side(-width, width);
    std::uniform_int_distribution<int> tall(-height, height);
    return Rect::fromXywh(corner(random), corner(random), side(random), tall(random));
}

TEST(KeyedRowCopy, MatchesThePixelByPixelRuleForEveryLengthAndAlignment)
{
    std::mt19937 random(7);
    for (int n = 0; n <= 37; ++n) {
        for (int offset = 0; offset < 4; ++offset) {
            Bitmap from = randomPicture(random, 48, 1);
            Bitmap to = randomPicture(random, 48, 1);
            Bitmap expected = to;
            for (int x = 0; x < n; ++x)
                if (from.pixel(x + offset, 0) != kTransparentKey) expected.setPixel(x + 3 - offset, 0, from.pixel(x + offset, 0));
            copyKeyedPixels(to.scanLine(0) + 3 - offset, from.scanLine(0) + offset, n, kKeyWord);
            ASSERT_EQ(to, expected) << "n " << n << ", offset " << offset;
        }
    }
}

TEST(KeyedRowCopy, CopiesTowardsTheLeftWithinOneRow)
{
    std::mt19937 random(11);
    for (int shift = 1; shift <= 9; ++shift) {
        Bitmap row = randomPicture(random, 64, 1);
        const Bitmap before = row;
        Bitmap expected = row;
        for (int x = 0; x < 40; ++x)
            if (before.pixel(x + shift, 0) != kTransparentKey) expected.setPixel(x, 0, before.pixel(x + shift, 0));
        copyKeyedPixels(row.scanLine(0), row.scanLine(0) + shift, 40, kKeyWord);
        ASSERT_EQ(row, expected) << "shift " << shift;
    }
}

// Same-size copies take the translating path with the keyed row copy; the rest stretch.
void checkRandomCopies(bool sameSize, bool keyed, unsigned seed)
{
    std::mt19937 random(seed);
    const Rgb key = kTransparentKey;
    for (int round = 0; round < 400; ++round) {
        Bitmap source = randomPicture(random, 1 + int(random() % 60), 1 + int(random() % 40));
        Bitmap dest = randomPicture(random, 1 + int(random() % 60), 1 + int(random() % 40));
        const Rect d = randomRect(random, 60, 45, 30);
        Rect s = randomRect(random, 60, 45, 30);
        if (sameSize) s = Rect::fromXywh(s.left, s.top, d.right - d.left, d.bottom - d.top);
        Bitmap expected = dest;
        modelCopy(expected, d, source, s, keyed ? &key : nullptr);
        stretchCopy(dest, d, source, s, keyed ? &key : nullptr);
        ASSERT_EQ(dest, expected) << "round " << round;
    }
}

TEST(StretchCopyPaths, SameSizeKeyedCopiesMatchTheModel) { checkRandomCopies(true, true, 1); }
TEST(StretchCopyPaths, SameSizePlainCopiesMatchTheModel) { checkRandomCopies(true, false, 2); }
TEST(StretchCopyPaths, StretchedKeyedCopiesMatchTheModel) { checkRandomCopies(false, true, 3); }

TEST(StretchCopyPaths, KeyedCopiesWithinOneBitmapReadTheOldPixels)
{
    std::mt19937 random(5);
    const Rgb key = kTransparentKey;
    for (int round = 0; round < 400; ++round) {
        Bitmap picture = randomPicture(random, 50, 30);
        const Rect d = randomRect(random, 40, 30, 20);
        std::uniform_int_distribution<int> nudge(-6, 6);
        const Rect s = Rect::fromXywh(d.left + nudge(random), d.top + nudge(random), d.right - d.left, d.bottom - d.top);
        Bitmap expected = picture;
        modelCopy(expected, d, picture, s, &key);
        stretchCopy(picture, d, picture, s, &key);
        ASSERT_EQ(picture, expected) << "round " << round;
    }
}

// Tiles wholly on the screen go through the tile set's own row copy; those across an edge, and
// tiles beyond the strip, through the general copy. Both must match the model.
TEST(TileFastPath, TilesAnywhereMatchTheModel)
{
    std::mt19937 random(9);
    for (int round = 0; round < 600; ++round) {
        const int tileWidth = 1 + int(random() % 24), tileHeight = 1 + int(random() % 24);
        TileSet tiles;
        // Strips a row short of the tile too: such tiles are cut, never read beyond the strip.
        const int stripHeight = std::max(1, tileHeight - 1 + int(random() % 3));
        tiles.setPicture(randomPicture(random, tileWidth * 5 + int(random() % tileWidth), stripHeight));
        Bitmap screen = randomPicture(random, 80, 50);
        std::uniform_int_distribution<int> place(-30, 90);
        const long long x = place(random), y = place(random);
        const long long n = long(random() % 7) - 1;
        const bool transparent = random() % 2 == 0;
        Bitmap expected = screen;
        if (n >= 0 && n < 5) {
            const Rgb key = kTransparentKey;
            modelCopy(expected, Rect::fromXywh(int(x), int(y), tileWidth, tileHeight), tiles.picture(),
                      TileSet::tileRect(int(n), tileWidth, tileHeight), transparent ? &key : nullptr);
        }
        tiles.drawTile(screen, x, y, n, tileWidth, tileHeight, transparent);
        ASSERT_EQ(screen, expected) << "round " << round;
    }
}

}  // namespace
}  // namespace ludomat
