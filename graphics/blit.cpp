#include "graphics/blit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace ludomat {

namespace {

// One axis of a copy: where the pixels start and which way they run.
struct Span
{
    long long origin;
    long long extent;

    long long count() const { return std::llabs(extent); }
    int step() const { return extent > 0 ? 1 : -1; }
    // The lowest coordinate covered, for a span run as a plain translation.
    long long low() const { return extent > 0 ? origin : origin + extent + 1; }
};

// Destination/source coordinate pairs along one axis, kept only where both are inside.
struct AxisMap
{
    std::vector<int> dest;
    std::vector<int> source;
};

AxisMap mapAxis(const Span& dest, int destLimit, const Span& source, int sourceLimit)
{
    AxisMap map;
    const long long dn = dest.count();
    const long long sn = source.count();
    // Only indices whose destination pixel is inside the bitmap: never loop over a huge
    // off-screen stretch.
    long long first = 0;
    long long last = dn - 1;
    if (dest.step() > 0) {
        first = std::max(first, -dest.origin);
        last = std::min(last, destLimit - 1 - dest.origin);
    } else {
        first = std::max(first, dest.origin - (destLimit - 1));
        last = std::min(last, dest.origin);
    }
    if (first > last)
        return map;
    map.dest.reserve(std::size_t(last - first + 1));
    map.source.reserve(std::size_t(last - first + 1));
    for (long long i = first; i <= last; ++i) {
        // i and sn can both approach 2^32 for absurd rectangles: multiply in 128 bits.
        const long long s = source.origin + (long long)((__int128)i * sn / dn) * source.step();
        if (s < 0 || s >= sourceLimit)
            continue;
        map.dest.push_back(int(dest.origin + i * dest.step()));
        map.source.push_back(int(s));
    }
    return map;
}

// Copies n pixels, skipping the key; walks backwards when the ranges overlap that way.
void copyKeyedRow(std::uint32_t* to, const std::uint32_t* from, int n, std::uint32_t key)
{
    if (to > from && to < from + n) {
        for (int x = n - 1; x >= 0; --x) {
            if (from[x] != key)
                to[x] = from[x];
        }
        return;
    }
    copyKeyedPixels(to, from, n, key);
}

// Same size, same direction: a translation, one memmove per row (the common full-screen case).
void translateCopy(Bitmap& dest, const Span& dx, const Span& dy, const Bitmap& source,
                   const Span& sx, const Span& sy, const std::uint32_t* key)
{
    long long destX = dx.low(), destY = dy.low();
    long long sourceX = sx.low(), sourceY = sy.low();
    long long w = dx.count(), h = dy.count();
    const long long skipX = std::max({0LL, -destX, -sourceX});
    const long long skipY = std::max({0LL, -destY, -sourceY});
    destX += skipX, sourceX += skipX, w -= skipX;
    destY += skipY, sourceY += skipY, h -= skipY;
    w = std::min({w, dest.width() - destX, source.width() - sourceX});
    h = std::min({h, dest.height() - destY, source.height() - sourceY});
    if (w <= 0 || h <= 0)
        return;
    const bool sameBitmap = &dest == &source;
    if (key && !sameBitmap) {
        copyKeyedRows(dest.scanLine(int(destY)) + destX, dest.width(), source.scanLine(int(sourceY)) + sourceX,
                      source.width(), int(w), int(h), *key);
        return;
    }
    // Whole rows of two bitmaps of one width lie end to end: one copy for all of them (the
    // refresh of the full screen), which the web runtime makes in one call, not one a row.
    if (!key && w == dest.width() && w == source.width()) {
        std::memmove(dest.scanLine(int(destY)), source.scanLine(int(sourceY)), std::size_t(w) * std::size_t(h) * 4);
        return;
    }
    // Within one bitmap, copy rows away from the overlap first.
    const bool bottomUp = sameBitmap && destY > sourceY;
    for (long long k = 0; k < h; ++k) {
        const long long row = bottomUp ? h - 1 - k : k;
        std::uint32_t* to = dest.scanLine(int(destY + row)) + destX;
        const std::uint32_t* from = source.scanLine(int(sourceY + row)) + sourceX;
        if (key)
            copyKeyedRow(to, from, int(w), *key);
        else
            std::memmove(to, from, std::size_t(w) * 4);
    }
}

void scaledCopy(Bitmap& dest, const Span& dx, const Span& dy, const Bitmap& source,
                const Span& sx, const Span& sy, const std::uint32_t* key)
{
    const AxisMap columns = mapAxis(dx, dest.width(), sx, source.width());
    const AxisMap rows = mapAxis(dy, dest.height(), sy, source.height());
    if (columns.dest.empty() || rows.dest.empty())
        return;

    // Reading and writing one bitmap: read from a snapshot of the rows involved.
    std::vector<std::uint32_t> snapshot;
    int firstRow = 0;
    if (&dest == &source) {
        const auto [lo, hi] = std::minmax_element(rows.source.begin(), rows.source.end());
        firstRow = *lo;
        const std::size_t rowWords = std::size_t(source.width());
        snapshot.assign(source.scanLine(*lo), source.scanLine(*hi) + rowWords);
    }
    const std::size_t n = columns.dest.size();
    for (std::size_t r = 0; r < rows.dest.size(); ++r) {
        std::uint32_t* to = dest.scanLine(rows.dest[r]);
        const std::uint32_t* from = snapshot.empty()
            ? source.scanLine(rows.source[r])
            : snapshot.data() + std::size_t(rows.source[r] - firstRow) * std::size_t(source.width());
        if (key) {
            for (std::size_t c = 0; c < n; ++c) {
                const std::uint32_t p = from[columns.source[c]];
                if (p != *key)
                    to[columns.dest[c]] = p;
            }
        } else {
            for (std::size_t c = 0; c < n; ++c)
                to[columns.dest[c]] = from[columns.source[c]];
        }
    }
}

} // namespace

#if defined(__x86_64__) || defined(__i386__)
namespace {

// The processor is asked once, at the first call; builds for older ones keep the plain loop.
__attribute__((target("avx2"))) void copyKeyedRowsAvx2(std::uint32_t* to, std::ptrdiff_t toStride,
                                                        const std::uint32_t* from, std::ptrdiff_t fromStride,
                                                        int n, int rows, std::uint32_t key)
{
    const __m256i keys = _mm256_set1_epi32(int(key));
    for (int r = 0; r < rows; ++r, to += toStride, from += fromStride) {
        int x = 0;
        for (; x + 8 <= n; x += 8) {
            const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + x));
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(to + x));
            const __m256i skip = _mm256_cmpeq_epi32(s, keys);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + x), _mm256_blendv_epi8(s, d, skip));
        }
        copyKeyedPixels(to + x, from + x, n - x, key);
    }
}

} // namespace
#endif

void copyKeyedRows(std::uint32_t* to, std::ptrdiff_t toStride, const std::uint32_t* from,
                   std::ptrdiff_t fromStride, int n, int rows, std::uint32_t key)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    if (hasAvx2) {
        copyKeyedRowsAvx2(to, toStride, from, fromStride, n, rows, key);
        return;
    }
#endif
    for (int r = 0; r < rows; ++r, to += toStride, from += fromStride)
        copyKeyedPixels(to, from, n, key);
}

void stretchCopy(Bitmap& dest, const Rect& destRect, const Bitmap& source, const Rect& sourceRect,
                 const Rgb* skipColour)
{
    const Span dx{destRect.left, (long long)destRect.right - destRect.left};
    const Span dy{destRect.top, (long long)destRect.bottom - destRect.top};
    const Span sx{sourceRect.left, (long long)sourceRect.right - sourceRect.left};
    const Span sy{sourceRect.top, (long long)sourceRect.bottom - sourceRect.top};
    if (dx.extent == 0 || dy.extent == 0 || sx.extent == 0 || sy.extent == 0)
        return;
    if (dest.isEmpty() || source.isEmpty())
        return;
    const std::uint32_t keyWord = skipColour ? toPixel(*skipColour) : 0;
    const std::uint32_t* key = skipColour ? &keyWord : nullptr;
    const bool sameSize = dx.count() == sx.count() && dy.count() == sy.count();
    const bool sameDirection = dx.step() == sx.step() && dy.step() == sy.step();
    if (sameSize && sameDirection)
        translateCopy(dest, dx, dy, source, sx, sy, key);
    else
        scaledCopy(dest, dx, dy, source, sx, sy, key);
}

void fillRect(Bitmap& dest, const Rect& rect, Rgb colour)
{
    const Rect r = rect.normalized();
    const int left = std::max(r.left, 0);
    const int top = std::max(r.top, 0);
    const int right = std::min(r.right, dest.width());
    const int bottom = std::min(r.bottom, dest.height());
    if (left >= right || top >= bottom)
        return;
    const std::uint32_t word = toPixel(colour);
    for (int y = top; y < bottom; ++y)
        std::fill(dest.scanLine(y) + left, dest.scanLine(y) + right, word);
}

} // namespace ludomat
