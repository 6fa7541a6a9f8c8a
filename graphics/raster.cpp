#include "graphics/raster.h"

#include "graphics/blit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace ludomat {

namespace {

// Sets pixels of one colour with the current pen: single pixels for a thin pen, discs for a
// wide one. Everything is clipped to the bitmap.
class Plotter
{
public:
    Plotter(Bitmap& dest, Rgb colour, int penWidth)
        : m_dest(dest), m_word(toPixel(colour))
    {
        const int w = std::max(1, penWidth);
        m_reach = w / 2;
        // Odd widths centre the disc on a pixel centre, even widths on a pixel corner.
        const long long c = (w % 2 == 1) ? 0 : 1;
        for (int oy = -(w / 2); oy <= (w - 1) / 2; ++oy) {
            // The disc is convex: each row is one run, found from its left end.
            const long long b = 2LL * oy + c;
            for (int ox = -(w / 2); ox <= 0; ++ox) {
                const long long a = 2LL * ox + c;
                if (a * a + b * b <= (long long)w * w) {
                    m_disc.push_back({oy, ox, (w % 2 == 1) ? -ox : -ox - 1});
                    break;
                }
            }
        }
    }

    // How far a stamp reaches beyond the path; a row further off the bitmap cannot show.
    int reach() const { return m_reach; }

    // The pen at every pixel of the row y from x0 to x1 (inclusive).
    void run(long long x0, long long x1, long long y)
    {
        for (const DiscRow& row : m_disc)
            fillSpan(x0 + row.lo, x1 + row.hi, y + row.dy);
    }

    void plot(long long x, long long y) { run(x, x, y); }

    // The pen down one column, visiting only rows that can touch the bitmap.
    void column(long long x, long long y0, long long y1)
    {
        y0 = std::max<long long>(y0, -m_reach - 1);
        y1 = std::min<long long>(y1, m_dest.height() + m_reach);
        for (long long y = y0; y <= y1; ++y)
            plot(x, y);
    }

    void fillSpan(long long x0, long long x1, long long y)
    {
        if (y < 0 || y >= m_dest.height())
            return;
        x0 = std::max<long long>(x0, 0);
        x1 = std::min<long long>(x1, m_dest.width() - 1);
        if (x0 > x1)
            return;
        std::uint32_t* line = m_dest.scanLine(int(y));
        std::fill(line + x0, line + x1 + 1, m_word);
    }

private:
    struct DiscRow
    {
        int dy, lo, hi;
    };
    Bitmap& m_dest;
    std::uint32_t m_word;
    int m_reach = 0;
    std::vector<DiscRow> m_disc;
};

// Coordinates far outside any bitmap are clamped so that products stay in range.
constexpr long long kCoordinateLimit = 1LL << 30;

long long clampCoordinate(int v)
{
    return std::clamp<long long>(v, -kCoordinateLimit, kCoordinateLimit);
}

// The pixels of one row inside the ellipse inscribed in a box. A pixel belongs when its
// centre lies inside; computed in doubled integer coordinates so the result is exact and
// symmetric.
class EllipseRows
{
public:
    EllipseRows(long long left, long long top, long long right, long long bottom)
        : m_centre2x(left + right), m_centre2y(top + bottom), m_w(right - left), m_h(bottom - top)
    {
    }

    // Fills [first, last] and returns true when row y has pixels inside.
    bool span(long long y, long long& first, long long& last) const
    {
        const __int128 dy = 2 * y + 1 - m_centre2y;
        const __int128 w2 = __int128(m_w) * m_w, h2 = __int128(m_h) * m_h;
        if (dy * dy > h2)
            return false;
        // Estimate the half-width in doubled units, then settle it exactly.
        const long double t = (long double)dy / (long double)m_h;
        const long double half = (long double)m_w * std::sqrt(std::max<long double>(0, 1 - t * t));
        long long x = (long long)std::floor((half + (long double)m_centre2x - 1) / 2);
        auto inside = [&](long long px) {
            const __int128 dx = 2 * px + 1 - m_centre2x;
            return dx * dx * h2 + dy * dy * w2 <= w2 * h2;
        };
        while (inside(x + 1))
            ++x;
        while (!inside(x) && 2 * x + 1 >= m_centre2x)
            --x;
        last = x;
        first = m_centre2x - 1 - x;
        return first <= last;
    }

private:
    long long m_centre2x, m_centre2y, m_w, m_h;
};

} // namespace

void drawLine(Bitmap& dest, int x0, int y0, int x1, int y1, Rgb colour, int penWidth)
{
    Plotter plotter(dest, colour, penWidth);
    const bool wide = penWidth > 1;
    const long long ax = clampCoordinate(x0), ay = clampCoordinate(y0);
    const long long dx = clampCoordinate(x1) - ax, dy = clampCoordinate(y1) - ay;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const long long n = std::llabs(major);
    const long long majorStart = xMajor ? ax : ay, minorStart = xMajor ? ay : ax;
    const long long majorStep = major >= 0 ? 1 : -1, minorStep = minor >= 0 ? 1 : -1;
    const long long majorLimit = xMajor ? dest.width() : dest.height();
    // Thin lines stop before the end point; wide ones cap it.
    long long first = 0, last = wide ? n : n - 1;
    // Only steps whose major coordinate can touch the bitmap.
    const long long margin = plotter.reach() + 1;
    if (majorStep > 0) {
        first = std::max(first, -margin - majorStart);
        last = std::min(last, majorLimit + margin - majorStart);
    } else {
        first = std::max(first, majorStart - majorLimit - margin);
        last = std::min(last, majorStart + margin);
    }
    for (long long k = first; k <= last; ++k) {
        const long long m = majorStart + k * majorStep;
        // Nearest minor coordinate, halves rounded away from the start. Clamped coordinates
        // keep k and the minor extent near 2^31, so the product fits in 64 bits.
        const long long offset = n == 0 ? 0 : (2 * k * std::llabs(minor) + n) / (2 * n);
        const long long mi = minorStart + offset * minorStep;
        if (xMajor)
            plotter.plot(m, mi);
        else
            plotter.plot(mi, m);
    }
}

void drawRectangle(Bitmap& dest, const Rect& corners, Rgb pen, int penWidth, const Rgb* fill)
{
    const Rect box = corners.normalized();
    if (box.right <= box.left || box.bottom <= box.top)
        return;
    if (fill)
        fillRect(dest, box, *fill);
    Plotter plotter(dest, pen, penWidth);
    const long long l = box.left, t = box.top, r = box.right - 1LL, b = box.bottom - 1LL;
    plotter.run(l, r, t);
    plotter.run(l, r, b);
    plotter.column(l, t + 1, b - 1);
    plotter.column(r, t + 1, b - 1);
}

void drawEllipse(Bitmap& dest, const Rect& corners, Rgb pen, int penWidth, const Rgb* fill)
{
    const Rect box = corners.normalized();
    if (box.right <= box.left || box.bottom <= box.top)
        return;
    const EllipseRows rows(clampCoordinate(box.left), clampCoordinate(box.top),
                           clampCoordinate(box.right), clampCoordinate(box.bottom));
    Plotter plotter(dest, pen, penWidth);
    Plotter filler(dest, fill ? *fill : 0, 1);
    // Rows further away than the pen's reach cannot show.
    const long long margin = plotter.reach() + 1;
    const long long top = std::max<long long>(clampCoordinate(box.top), -margin);
    const long long bottom = std::min<long long>(clampCoordinate(box.bottom) - 1, dest.height() + margin);
    const long long visibleLeft = -margin, visibleRight = dest.width() + margin;
    if (fill) {
        for (long long y = top; y <= bottom; ++y) {
            long long first, last;
            if (rows.span(y, first, last))
                filler.fillSpan(first, last, y);
        }
    }
    for (long long y = top; y <= bottom; ++y) {
        long long first, last;
        if (!rows.span(y, first, last))
            continue;
        // The outline is every inside pixel with a neighbour outside: the ends of the row
        // plus whatever sticks out past the rows above and below.
        long long innerFirst = first + 1, innerLast = last - 1;
        long long f, l;
        if (rows.span(y - 1, f, l)) {
            innerFirst = std::max(innerFirst, f);
            innerLast = std::min(innerLast, l);
        } else {
            innerLast = innerFirst - 1;
        }
        if (rows.span(y + 1, f, l)) {
            innerFirst = std::max(innerFirst, f);
            innerLast = std::min(innerLast, l);
        } else {
            innerLast = innerFirst - 1;
        }
        auto outlineRun = [&](long long a, long long z) {
            a = std::max(a, visibleLeft);
            z = std::min(z, visibleRight);
            if (a <= z)
                plotter.run(a, z, y);
        };
        if (innerFirst > innerLast) {
            outlineRun(first, last);
        } else {
            outlineRun(first, innerFirst - 1);
            outlineRun(innerLast + 1, last);
        }
    }
}

} // namespace ludomat
