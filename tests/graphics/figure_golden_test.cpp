// Golden pictures drawn by code rather than by a script: the plot grid the figure and tile-map
// editors lay over the screen. Same rules as the script cases: exact comparison with
// expected.png, and actual.png written beside it on a mismatch or when it is missing.

#include "graphics/bitmap.h"
#include "graphics/plot_grid.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

// Compares `actual` with <case>/expected.png; writes actual.png when they differ.
void expectGolden(const Bitmap& actual, const std::string& caseName)
{
    const fs::path folder = fs::path(LUDOMAT_GOLDEN_DIR) / caseName;
    QImage expectedImage(QString::fromStdString((folder / "expected.png").string()));
    if (expectedImage.isNull()) {
        actual.save((folder / "actual.png").string());
        FAIL() << "no expected.png; the picture was written to " << (folder / "actual.png");
    }
    const Bitmap expected = Bitmap::fromImage(expectedImage);
    if (!(expected == actual)) {
        actual.save((folder / "actual.png").string());
        FAIL() << "pictures differ; see actual.png in " << folder;
    }
    fs::remove(folder / "actual.png");
}

int countColumnsOfColour(const Bitmap& b, int y, Rgb colour)
{
    int n = 0;
    for (int x = 0; x < b.width(); ++x) n += b.pixel(x, y) == colour;
    return n;
}

TEST(PlotGrid, FiveByFiveGridOverPaperAndAWiderGridOverADrawing)
{
    // 5 x 5 on black paper: 153 vertical lines x = 0 .. 760, of which 152 fall on the bitmap;
    // 85 horizontal lines, 84 on it.
    Bitmap screen(760, 420, 0x000000);
    drawPlotGrid(screen, 5, 5);
    EXPECT_EQ(countColumnsOfColour(screen, 2, kPlotGridColour), 152);
    int rows = 0;
    for (int y = 0; y < 420; ++y) rows += screen.pixel(2, y) == kPlotGridColour;
    EXPECT_EQ(rows, 84);
    EXPECT_EQ(screen.pixel(759, 2), 0x000000u);
    EXPECT_EQ(screen.pixel(755, 2), kPlotGridColour);

    // The grid is laid over what the buffer holds: nothing is cleared first. A 7 x 9 grid on a
    // 761-wide buffer also shows its last line at x = 756 only (760 div 7 = 108 -> 756).
    Bitmap drawn(761, 421, 0x102030);
    for (int y = 100; y < 200; ++y)
        for (int x = 300; x < 500; ++x) drawn.setPixel(x, y, 0xFF0000);
    drawPlotGrid(drawn, 7, 9);
    EXPECT_EQ(drawn.pixel(302, 102), 0xFF0000u);
    EXPECT_EQ(drawn.pixel(302, 99), kPlotGridColour);  // row 11 at y = 99
    EXPECT_EQ(drawn.pixel(760, 5), 0x102030u);          // the grid stops at the script screen
    EXPECT_EQ(drawn.pixel(756, 5), kPlotGridColour);

    Bitmap golden(760, 420, 0x000000);
    drawPlotGrid(golden, 4, 6);
    drawPlotGrid(golden, 20, 20);  // a second grid over the first, as a size change leaves it
    expectGolden(golden, "plot_grid");

    Bitmap untouched(40, 40, 0x123456);
    drawPlotGrid(untouched, 0, 5);
    EXPECT_EQ(untouched, Bitmap(40, 40, 0x123456));
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
