#include "engine/plot_drawing.h"

#include "graphics/blit.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ludomat {

namespace {

// Converting a double beyond int to int is undefined, so every edge passes through here.
int clampCoordinate(double v) { return int(std::clamp(v, double(-kCoordinateLimit), double(kCoordinateLimit))); }

}  // namespace

int scaled(double value, double scale) { return clampCoordinate(scaledLength(value, scale)); }

Rect clampedRect(double left, double top, double right, double bottom)
{
    return Rect{clampCoordinate(left), clampCoordinate(top), clampCoordinate(right), clampCoordinate(bottom)};
}

Rect plotCellRect(const PlotSettings& settings, long long column, long long row, double scale)
{
    const double w = settings.plotWidth();
    const double h = settings.plotHeight();
    // Edges beyond int are clamped by scaledLength; such a cell is off the bitmap either way.
    const double x = scaledLength(double(column) * w, scale);
    const double y = scaledLength(double(row) * h, scale);
    return clampedRect(x, y, x + scaledLength(w, scale), y + scaledLength(h, scale));
}

int penWidthFor(int pixelSize, double scale) { return std::clamp(scaled(pixelSize, scale), 0, kMaxPenWidth); }

void drawPixelBlock(Bitmap& target, int x, int y, int size, double scale, Rgb colour)
{
    const double side = scaledLength(size, scale);
    if (side < 1 || !(scale > 0)) return;
    if (scale == 1.0) {
        fillRect(target, clampedRect(x, y, x + side, y + side), colour);
        return;
    }
    // Point i lands on trunc((x + i) x scale), which is on the bitmap only for -1/scale < x + i
    // < extent/scale: visit just those offsets (plus one either side) instead of all side x side.
    auto offsets = [&](int origin, int extent) {
        double first = std::clamp(std::floor(-1.0 / scale - origin), 0.0, side - 1);
        double last = std::clamp(std::ceil(extent / scale - origin), 0.0, side - 1);
        return std::pair<long long, long long>((long long)first, (long long)last);
    };
    const auto [i0, i1] = offsets(x, target.width());
    const auto [j0, j1] = offsets(y, target.height());
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
