// What one undo step of the figure editor costs: packing the screen buffer into a snapshot and
// unpacking it, against a plain copy of the bitmap as the baseline, and the packed size against
// the raw 1.2 MB. Two screens: a typical drawing (flat paper and shapes) and the intro picture
// (a gradient, the worst case the editor shows).

#include "graphics/canvas.h"
#include "studio/editors/drawing/drawing_artwork.h"
#include "studio/editors/drawing/figure_snapshot.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>

using namespace ludomat;

namespace {

constexpr int kRounds = 200;

template <typename F>
double microseconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) f();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void measure(const char* name, const Bitmap& screen)
{
    Bitmap copy;
    const double baseline = microseconds([&] { copy = screen; });
    QByteArray packed;
    const double pack = microseconds([&] { packed = packScreen(screen); });
    Bitmap back(screen.width(), screen.height());
    const double unpack = microseconds([&] { unpackScreen(packed, screen.width(), screen.height(), back); });
    const double raw = double(screen.bytesPerLine()) * screen.height();
    std::printf("%-10s copy %7.1f us | pack %5.1fx copy, unpack %5.1fx copy | size %.4f of raw (%lld bytes)%s\n", name,
                baseline, pack / baseline, unpack / baseline, packed.size() / raw, (long long)packed.size(),
                back == screen ? "" : "  MISMATCH");
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    Bitmap drawing(760, 420, 0x000000);
    Canvas canvas(drawing);
    canvas.setPenWidth(3);
    for (int i = 0; i < 12; ++i) {
        canvas.setPenColour(0x203040u * Rgb(i + 1));
        canvas.moveTo(10 + i * 20, 10);
        canvas.lineTo(700 - i * 30, 400);
        canvas.setBrushStyle(BrushStyle::Clear);
        canvas.ellipse(100 + i * 10, 50, 400 + i * 20, 300);
    }
    measure("drawing", drawing);
    measure("intro", Bitmap::fromImage(drawing_art::introPicture(FigureKind::Pixel)));
    return 0;
}
