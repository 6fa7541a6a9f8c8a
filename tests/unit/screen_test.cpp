// The screen: full-screen geometry, buffer operations, frame strips, the frame-rate meter, and
// the commands that touch files (photographs, strips from real and broken pictures).

#include "engine/engine.h"
#include "engine/screen_mode.h"
#include "graphics/picture_loader.h"
#include "tools/headless_host.h"

#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

TEST(ScreenGeometry, FullScreenFitsTheDisplayAndCentresTheScreen)
{
    // A factor that is not a whole number still gives the display's full width back; a display
    // narrower than it is tall is limited by its width.
    const struct {
        int displayWidth, displayHeight, width, height, left, top;
    } cases[] = {{1600, 840, 1520, 840, 40, 0},
                 {1920, 1080, 1920, 1061, 0, 9},
                 {1366, 768, 1366, 754, 0, 7},
                 {800, 1200, 800, 442, 0, (1200 - 442) / 2}};
    for (const auto& c : cases) {
        FullScreenGeometry g = fullScreenGeometry(c.displayWidth, c.displayHeight);
        EXPECT_EQ((std::vector<int>{g.width, g.height, g.left, g.top}),
                  (std::vector<int>{c.width, c.height, c.left, c.top}))
            << c.displayWidth << "x" << c.displayHeight;
    }
    EXPECT_DOUBLE_EQ(fullScreenGeometry(1600, 840).scale, 2.0);
}

TEST(ScreenGeometry, ScaledLengthsTruncateTowardZero)
{
    EXPECT_EQ(scaledLength(10, 1.5), 15);
    EXPECT_EQ(scaledLength(3, 1.5), 4);
    EXPECT_EQ(scaledLength(-3, 1.5), -4);
    EXPECT_EQ(scaledLength(760, 1920.0 / 760), 1920);
    EXPECT_EQ(scaledLength(2000000000, 3.0), INT_MAX);
}

// A 128 x 32 strip of four frames; frame n has colour n at (0, 0) and magenta elsewhere.
Bitmap fourFrames()
{
    Bitmap strip(128, 32, kTransparentKey);
    for (int n = 0; n < 4; ++n) strip.setPixel(n * 32, 0, Rgb(n + 1));
    return strip;
}

TEST(FrameStrip, CutsTheStripByCountAndOrientation)
{
    FrameStrip strip;
    strip.picture = fourFrames();
    EXPECT_FALSE(strip.hasFrame(0)) << "no frames before a layout";
    strip.setLayout(4, false);
    EXPECT_EQ(strip.frameWidth(), 32);
    EXPECT_EQ(strip.frameHeight(), 32);
    EXPECT_EQ(strip.frameRect(2), Rect::fromXywh(64, 0, 32, 32));
    EXPECT_TRUE(strip.isOpaqueAt(2, 0, 0));
    EXPECT_FALSE(strip.isOpaqueAt(2, 1, 0));
    // Outside the frame is never a hit, even where a neighbouring frame is opaque.
    EXPECT_FALSE(strip.isOpaqueAt(2, 32, 0));
    EXPECT_FALSE(strip.isOpaqueAt(2, -1, 0));
    EXPECT_FALSE(strip.isOpaqueAt(4, 0, 0));

    strip.setLayout(2, true);
    EXPECT_EQ(strip.frameWidth(), 128);
    EXPECT_EQ(strip.frameHeight(), 16);
    EXPECT_EQ(strip.frameRect(1), Rect::fromXywh(0, 16, 128, 16));
    // A count below one makes the whole strip one frame.
    strip.setLayout(0, false);
    EXPECT_EQ(strip.frameCount(), 1);
    EXPECT_EQ(strip.frameWidth(), 128);
}

class BuffersTest : public ::testing::Test {
protected:
    ScreenBuffers screen;

    // A picture with a different colour in each pixel, so any misplaced pixel shows.
    void paintGradient(Bitmap& b)
    {
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x) b.setPixel(x, y, makeRgb(x, y, x ^ y));
    }
};

TEST_F(BuffersTest, FlipTwiceRestoresAndOnceMirrors)
{
    paintGradient(screen.screenBuffer);
    Bitmap original = screen.screenBuffer;
    screen.flip(true);
    EXPECT_EQ(screen.screenBuffer.pixel(0, 5), original.pixel(759, 5));
    screen.flip(true);
    EXPECT_EQ(screen.screenBuffer, original);
    screen.flip(false);
    EXPECT_EQ(screen.screenBuffer.pixel(3, 0), original.pixel(3, 419));
    screen.flip(false);
    EXPECT_EQ(screen.screenBuffer, original);
}

TEST_F(BuffersTest, SwapExchangesOnlyTheCommonPart)
{
    screen.screenBuffer.fill(0xFF0000);
    screen.backBuffer.fill(0x00FF00);
    screen.swapWithBack(Rect::fromXywh(0, 0, 10, 10));
    EXPECT_EQ(screen.screenBuffer.pixel(9, 9), 0x00FF00u);
    EXPECT_EQ(screen.screenBuffer.pixel(10, 9), 0xFF0000u);
    EXPECT_EQ(screen.backBuffer.pixel(0, 0), 0xFF0000u);
    // A giant rectangle is cut to the bitmaps first: no giant staging picture.
    screen.swapWithBack(Rect::fromXywh(-100, -100, 2000000000, 2000000000));
    EXPECT_EQ(screen.shapeBuffer.width(), kBaseWidth);
    EXPECT_EQ(screen.shapeBuffer.height(), kBaseHeight);
    EXPECT_EQ(screen.screenBuffer.pixel(9, 9), 0xFF0000u);
    EXPECT_EQ(screen.screenBuffer.pixel(500, 300), 0x00FF00u);
}

TEST_F(BuffersTest, FramesAreDrawnWithTheMagentaKeyWhateverTheStagingPictureHeld)
{
    // The staging picture's automatic key would make the frame's bottom-left colour see-through.
    screen.frameStrip.picture = Bitmap(8, 4, 0x00FF00);
    screen.frameStrip.picture.setPixel(1, 1, kTransparentKey);
    screen.frameStrip.setLayout(2, false);
    screen.screenBuffer.fill(0x000000);
    screen.drawFrame(1, Rect::fromXywh(100, 50, 4, 4));
    EXPECT_EQ(screen.screenBuffer.pixel(100, 53), 0x00FF00u);
    EXPECT_EQ(screen.screenBuffer.pixel(101, 51), 0x00FF00u) << "frame 1 has no magenta";
    screen.drawFrame(0, Rect::fromXywh(200, 50, 8, 8));
    EXPECT_EQ(screen.screenBuffer.pixel(202, 52), 0x000000u) << "magenta stays see-through, doubled";
    EXPECT_EQ(screen.screenBuffer.pixel(200, 50), 0x00FF00u);
    screen.drawFrame(2, Rect::fromXywh(300, 50, 4, 4));
    EXPECT_EQ(screen.screenBuffer.pixel(300, 50), 0x000000u) << "no frame 2";
}

class RecordingHost : public Host {
public:
    int starts = 0;
    int stops = 0;
    std::function<void()> tick;
    void startFrameRateTimer(std::function<void()> t) override
    {
        ++starts;
        tick = std::move(t);
    }
    void stopFrameRateTimer() override { ++stops; }
};

TEST(FrameRateMeter, WritesTheLastSecondsRefreshesAndComesBackAfterAPause)
{
    RecordingHost host;
    RegisterTable registers;
    FrameRateMeter meter;
    EXPECT_FALSE(meter.start(host, registers, 250)) << "250 switches the meter off";
    EXPECT_FALSE(meter.start(host, registers, -1));
    EXPECT_EQ(host.starts, 0);

    ASSERT_TRUE(meter.start(host, registers, 7));
    meter.countFrame();
    meter.countFrame();
    host.tick();
    EXPECT_EQ(registers[7], "2");
    host.tick();
    EXPECT_EQ(registers[7], "0");

    // A pause ends the run; Cont brings the meter back only because the script had it on.
    meter.countFrame();
    meter.endRun(host);
    EXPECT_EQ(meter.frameCounter(), 0);
    EXPECT_EQ(host.stops, 1);
    meter.resume(host, registers);
    EXPECT_EQ(host.starts, 2);
    meter.stop(host);
    meter.endRun(host);
    meter.resume(host, registers);
    EXPECT_EQ(host.starts, 2) << "a meter switched off stays off";
}

// Runs script lines on an engine whose game folder is `folder`.
void run(Engine& engine, const std::string& folder, std::vector<std::string> lines)
{
    engine.setGameFolder(folder);
    engine.script().setLines(std::move(lines));
    engine.execute("test");
}

class TempFolder : public ::testing::Test {
protected:
    fs::path folder;
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("ludomat_screen_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
};

using Photographs = TempFolder;

TEST_F(Photographs, AreWrittenAsJpegIntoTheGameFolder)
{
    HeadlessHost host;
    Engine engine(&host);
    run(engine, folder.string(),
        {"corfnd= FF0000", "clearbuf", "reg= 5,shot", "getfoto 5,buf", "getfoto", "reg= 6,other.jpg",
         "getfoto 6,neither"});
    ASSERT_FALSE(engine.lastError()) << engine.lastError()->message;
    Bitmap shot = loadJpeg((folder / "shot.jpg").string());
    EXPECT_EQ(shot.width(), kBaseWidth);
    EXPECT_EQ(shot.height(), kBaseHeight);
    // JPEG is lossy: near red is red enough.
    Rgb middle = shot.pixel(380, 210);
    EXPECT_GT(middle >> 16, 0xF0u);
    EXPECT_LT(middle & 0xFFFF, 0x1010u);
    // Without a register the screen picture is taken, before the run's end copied the buffer.
    EXPECT_TRUE(fs::exists(folder / "foto.jpg"));
    EXPECT_FALSE(fs::exists(folder / "other.jpg")) << "an unknown source writes nothing";
}

const fs::path kImages = LUDOMAT_TEST_IMAGES;

class FrameStripFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(kImages)) GTEST_SKIP() << "the shared test pictures are not at " << kImages;
    }
};

TEST_F(FrameStripFiles, AValidPictureIsLoadedOnceByName)
{
    HeadlessHost host;
    Engine engine(&host);
    fs::path folder = kImages / "png";
    run(engine, folder.string(), {"frame basn2c08.png,4", "frame nothere.png,2"});
    ASSERT_FALSE(engine.lastError()) << engine.lastError()->message;
    const FrameStrip& strip = engine.screen().frameStrip;
    EXPECT_EQ(strip.name(), "basn2c08.png");
    EXPECT_EQ(strip.frameCount(), 4) << "a missing file changes nothing";
    EXPECT_EQ(strip.frameWidth(), 8);
    EXPECT_EQ(strip.frameHeight(), 32);
    // The same name again keeps the picture, even when the file is gone; only the cut changes.
    engine.screen().frameStrip.picture.setPixel(0, 0, 0x123456);
    run(engine, folder.string(), {"frame basn2c08.png,2,v"});
    EXPECT_EQ(strip.picture.pixel(0, 0), 0x123456u);
    EXPECT_EQ(strip.frameHeight(), 16);
}

using ScreenModes = TempFolder;

TEST_F(ScreenModes, ModeFourScalesToTheDisplayAndModeOneComesBack)
{
    HeadlessHost host;
    host.setDisplaySize({1600, 840});
    Engine engine(&host);
    engine.setProgramFolder(folder.string());
    engine.hotspots().add({});
    run(engine, folder.string(), {"modo= 4"});
    EXPECT_EQ(engine.state().screenMode, 4);
    EXPECT_DOUBLE_EQ(engine.state().scaleFactor, 2.0);
    EXPECT_EQ(engine.screen().tela.width(), 1520);
    EXPECT_EQ(engine.screen().screenBuffer.height(), 840);
    EXPECT_EQ(engine.screen().backBuffer.width(), kBaseWidth) << "the second page keeps its size";
    EXPECT_TRUE(host.isFullScreen());
    EXPECT_FALSE(engine.hotspots().slot(0).active);

    // The user leaves the full-screen page: the picture shrinks and the scale comes back to 1.
    // The keepsake of the screen replaces a link planted under its name, never its target.
    {
        std::ofstream(folder / "alvo.txt") << "keep";
    }
    fs::create_symlink(folder / "alvo.txt", folder / "teltmp.bmp");
    leaveFullScreenMode(engine);
    EXPECT_FALSE(fs::is_symlink(folder / "teltmp.bmp"));
    EXPECT_EQ(fs::file_size(folder / "alvo.txt"), 4u);
    EXPECT_FALSE(host.isFullScreen());
    EXPECT_EQ(engine.screen().tela.width(), kBaseWidth);
    EXPECT_EQ(engine.screen().screenBuffer.width(), kBaseWidth);
    EXPECT_DOUBLE_EQ(engine.state().scaleFactor, 1.0);
    EXPECT_EQ(engine.state().screenMode, 1);
    EXPECT_TRUE(fs::exists(folder / "teltmp.bmp"));
}

TEST(TextSettingsCommands, ABadColourIsRefusedAndNotKept)
{
    HeadlessHost host;
    Engine engine(&host);
    run(engine, "", {"cortxt= XYZ"});
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::Conversion);
    EXPECT_EQ(engine.textSettings().inkColour, "FFFFFF");
    run(engine, "", {"fonte= Arial,12,GG0000"});
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.textSettings().fontFace, "Courier New") << "a bad line changes nothing";
    EXPECT_EQ(engine.textSettings().textSize, kStartTextSize);
    // The next run still writes text.
    run(engine, "", {"print hello"});
    EXPECT_FALSE(engine.lastError());
}

TEST(TextSettingsCommands, APrintLeavesTheBuffersDrawingStateAlone)
{
    HeadlessHost host;
    Engine engine(&host);
    Canvas& canvas = engine.screen().screenCanvas;
    run(engine, "", {"corlnk= 00FF00", "print @a|:b| x,0,0,200,100,FF0000,BIU,0000FF,30"});
    ASSERT_FALSE(engine.lastError());
    EXPECT_EQ(canvas.font().size, kStartTextSize);
    EXPECT_EQ(canvas.font().colour, 0xFFFFFFu);
    EXPECT_FALSE(canvas.font().bold);
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
    EXPECT_EQ(canvas.penColour(), 0xFFFFFFu);
    EXPECT_EQ(canvas.penPos(), QPoint(0, 0));
    const TextBoxRect& box = engine.textBox();
    EXPECT_EQ(box.width, 200);
    EXPECT_EQ(box.size, 30);
    EXPECT_EQ(engine.hotspots().slot(0).target, ":b");
}

}  // namespace
