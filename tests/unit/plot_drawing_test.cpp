// Plot and drawing commands where a script alone cannot reach: pen widths and positions in the
// scaled full-screen mode, the screen updates of "scanplot", a Stop in the middle of a scan, and
// sizes far beyond the screen. Plots and pictures placed in that mode are in the script corpus.

#include "engine/engine.h"

#include "../canvas/test_util.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>

using namespace ludomat;
using ludomat::test::expectPixels;

namespace {

constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;

// Counts the repaints commands ask for (not the one at the end of a run); can press Stop at a
// given repaint.
class CountingHost : public Host {
public:
    Engine* engine = nullptr;
    int repaints = 0;
    int stopAtRepaint = -1;
    void screenChanged() override
    {
        if (engine->state().lineCounter >= engine->script().lineCount()) return;
        if (++repaints == stopAtRepaint) engine->pauseRun();
    }
    // The time-out strikes once a scan has set its first plot.
    bool timeOutOnceDrawn = false;
    bool abortRequested() override { return timeOutOnceDrawn && engine->plots().cell(0, 0) != 0; }
};

class PlotDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_engine.setHost(&m_host);
        m_host.engine = &m_engine;
        m_engine.setGameFolder(m_folder.path().toStdString());
    }

    // The mode-4 geometry of a 1520 x 840 screen: every scaled value doubled.
    void useDoubleScale()
    {
        m_engine.state().scaleFactor = 2.0;
        m_engine.screen().screenBuffer.resize(1520, 840);
        m_engine.screen().screenBuffer.fill(kBlack);
    }

    void run(std::vector<std::string> lines)
    {
        m_engine.script().setLines(std::move(lines));
        m_engine.execute("test");
        ASSERT_FALSE(m_engine.lastError()) << m_engine.lastError()->message;
    }

    // A 3 x 2 picture file: red, black, red / black, red, white.
    std::string writePicture()
    {
        Bitmap picture(3, 2, kRed);
        picture.setPixel(1, 0, kBlack);
        picture.setPixel(0, 1, kBlack);
        picture.setPixel(2, 1, kWhite);
        picture.save(m_folder.filePath("pic.png").toStdString());
        return "pic.png";
    }

    const Bitmap& buffer() { return m_engine.screen().screenBuffer; }

    QTemporaryDir m_folder;
    CountingHost m_host;
    Engine m_engine;
};

TEST_F(PlotDrawing, PixelPointsAreSpreadByTheScale)
{
    useDoubleScale();
    run({"defpixel 2", "pixel 10,20,FF0000"});
    // trunc(2 x 2) = 4 points a side, at trunc((10 + i) x 2) and trunc((20 + j) x 2).
    int red = 0;
    for (int y = 30; y < 60; ++y)
        for (int x = 10; x < 40; ++x) red += buffer().pixel(x, y) == kRed;
    EXPECT_EQ(red, 16);
    expectPixels(buffer(), {{20, 40, kRed}, {26, 46, kRed}, {21, 40, kBlack}, {28, 40, kBlack}});
    EXPECT_EQ(m_engine.screen().screenCanvas.penPos(), QPoint(20, 40));
}

TEST_F(PlotDrawing, LinesAndOutlinesTakeTheScaledPixelSizeAsPenWidth)
{
    useDoubleScale();
    run({"defpixel 3", "moveto 10,100", "lineto 110,100,FF0000", "rect 200,200,300,300,FF0000"});
    EXPECT_EQ(m_engine.screen().screenCanvas.penWidth(), 6);
    // A horizontal line 6 pixels wide around y = 200 on the doubled screen.
    expectPixels(buffer(), {{100, 197, kRed}, {100, 202, kRed}, {100, 190, kBlack}});
    EXPECT_EQ(m_engine.screen().screenCanvas.penPos(), QPoint(220, 200));
    EXPECT_EQ(buffer().pixel(400, 450), kRed);
    EXPECT_EQ(buffer().pixel(500, 500), kBlack);
}

TEST_F(PlotDrawing, ScanPlotShowsEveryPlotOrEveryRow)
{
    std::string picture = writePicture();
    run({"scanplot " + picture + ",0,0,on,0"});
    EXPECT_EQ(m_host.repaints, 6);
    EXPECT_EQ(m_engine.screen().tela.pixel(0, 0), kRed);

    m_host.repaints = 0;
    auto start = std::chrono::steady_clock::now();
    run({"scanplot " + picture + ",0,0,ON,1"});
    EXPECT_EQ(m_host.repaints, 2);
    // Each row waits 1 x 10 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));

    m_host.repaints = 0;
    run({"scanplot " + picture + ",0,0,On,1", "scanplot " + picture + ",0,0"});
    EXPECT_EQ(m_host.repaints, 0);
}

TEST_F(PlotDrawing, StopEndsAScanAtOnce)
{
    m_host.stopAtRepaint = 2;
    run({"scanplot " + writePicture() + ",0,0,on,0", "reg= 1,after"});
    EXPECT_EQ(m_host.repaints, 2);
    EXPECT_EQ(m_engine.plots().cell(0, 0), kPlotSet);
    EXPECT_EQ(m_engine.plots().cell(2, 0), 0) << "the scan went on after Stop";
    EXPECT_EQ(m_engine.state().stopCaption, StopCaption::Cont);
    EXPECT_EQ(m_engine.state().registers[1], "");
}

TEST_F(PlotDrawing, AScanDrawnUnseenEndsAtTheTimeOut)
{
    m_host.timeOutOnceDrawn = true;
    run({"scanplot " + writePicture() + ",0,0", "reg= 1,after"});
    EXPECT_EQ(m_engine.plots().cell(0, 0), kPlotSet);
    EXPECT_EQ(m_engine.plots().cell(1, 1), 0) << "the scan went on after the time-out";
    EXPECT_EQ(m_engine.state().registers[1], "");
}

TEST_F(PlotDrawing, HugeSizesAndCoordinatesStayOnTheBuffer)
{
    // Sizes and places far beyond the screen neither hang, nor overflow, nor write outside.
    auto start = std::chrono::steady_clock::now();
    run({"defpixel 2147483647", "pixel -2147483648,-2147483648,FF0000", "pixel 100,100,FF0000", "moveto -2147483648,0",
         "lineto 2147483647,0,00FF00", "defplot 2147483647,2147483647", "plot 1,1", "plot -2147483648,2147483647",
         "paint -2147483648,-2147483648,2147483647,2147483647,0000FF"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(buffer().pixel(0, 0), 0x0000FF);
    EXPECT_EQ(buffer().pixel(759, 419), 0x0000FF);
}

}  // namespace
