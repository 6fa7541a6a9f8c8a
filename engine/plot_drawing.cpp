#include "engine/plot_drawing.h"

#include "graphics/blit.h"

#include <algorithm>
#include <cmath>

namespace ludomat {

namespace {

long long clampCoordinate(long long v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); }

}  // namespace

int scaled(double value, double scale)
{
    double product = std::trunc(value * scale);
    // NaN (a scale that is not a number) lands on 0 rather than on undefined behaviour.
    if (!(product == product)) return 0;
    return int(std::clamp(product, double(-kCoordinateLimit), double(kCoordinateLimit)));
}

Rect clampedRect(long long left, long long top, long long right, long long bottom)
{
    return Rect{int(clampCoordinate(left)), int(clampCoordinate(top)), int(clampCoordinate(right)),
                int(clampCoordinate(bottom))};
}

Rect plotCellRect(const PlotSettings& settings, long long column, long long row, double scale)
{
    const double w = settings.plotWidth();
    const double h = settings.plotHeight();
    const long long x = scaled(double(column) * w, scale);
    const long long y = scaled(double(row) * h, scale);
    return clampedRect(x, y, x + scaled(w, scale), y + scaled(h, scale));
}

int penWidthFor(int pixelSize, double scale) { return std::clamp(scaled(pixelSize, scale), 0, kMaxPenWidth); }

void drawPixelBlock(Bitmap& target, int x, int y, int size, double scale, Rgb colour)
{
    const long long n = scaled(size, scale);
    if (n <= 0 || !(scale > 0)) return;
    if (scale == 1.0) {
        fillRect(target, clampedRect(x, y, (long long)x + n, (long long)y + n), colour);
        return;
    }
    // Point i lands on trunc((x + i) x scale), which is on the bitmap only for -1/scale < x + i
    // < width/scale: visit just those offsets (plus one either side) instead of all n.
    auto firstOffset = [&](int origin) { return std::max(0LL, (long long)std::floor(-1.0 / scale - origin)); };
    auto lastOffset = [&](int origin, int side) {
        return std::min(n - 1, (long long)std::ceil(side / scale - origin));
    };
    const long long i0 = firstOffset(x), i1 = lastOffset(x, target.width());
    const long long j0 = firstOffset(y), j1 = lastOffset(y, target.height());
    for (long long j = j0; j <= j1; ++j) {
        const int py = scaled(double(y) + double(j), scale);
        for (long long i = i0; i <= i1; ++i) target.setPixel(scaled(double(x) + double(i), scale), py, colour);
    }
}

void drawPatternRow(Bitmap& target, PlotMatrix& matrix, PlotCursor& cursor, const PlotSettings& settings,
                    std::string_view pattern, Rgb colour, double scale)
{
    for (size_t k = 1; k <= pattern.size(); ++k) {
        const char c = pattern[k - 1];
        // Upper case only: a lower-case "x" leaves its cell alone.
        if (c != '1' && c != 'X') continue;
        const long long column = (long long)cursor.column + (long long)k;
        fillRect(target, plotCellRect(settings, column, cursor.row, scale), colour);
        matrix.setCell(column, cursor.row, kPlotSet);
    }
    cursor.row = int(uint32_t(cursor.row) + 1u);  // wraps like every script number
}

void scanPictureToPlots(const Bitmap& picture, Bitmap& target, PlotMatrix& matrix, const PlotSettings& settings,
                        long long column0, long long row0, Rgb paper, const std::function<bool(ScanPoint)>& step)
{
    for (int j = 0; j < picture.height(); ++j) {
        for (int i = 0; i < picture.width(); ++i) {
            const Rgb colour = picture.pixel(i, j);
            const long long column = column0 + i, row = row0 + j;
            fillRect(target, plotCellRect(settings, column, row, 1.0), colour);
            matrix.setCell(column, row, colour == paper ? 0 : kPlotSet);
            if (!step(ScanPoint::Plot)) return;
        }
        if (!step(ScanPoint::RowEnd)) return;
    }
}

}  // namespace ludomat
