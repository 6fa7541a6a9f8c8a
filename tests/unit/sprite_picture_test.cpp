// Picture and sprite commands through the engine, with pictures written into a temporary game
// folder and broken pictures read from the shared third-party set where it lies.

#include "engine/engine.h"
#include "engine/script_error.h"
#include "graphics/blit.h"

#include "../canvas/test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace ludomat;
using ludomat::test::expectPixels;

namespace {

constexpr Rgb kPaper = 0x102030;
constexpr Rgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Frames side by side, frame k filled with colours[k], with a magenta dot at each frame's (1, 1).
Bitmap frameSheet(const std::vector<Rgb>& colours, int frameWidth, int height)
{
    Bitmap sheet(frameWidth * int(colours.size()), height);
    for (size_t k = 0; k < colours.size(); ++k) {
        fillRect(sheet, Rect::fromXywh(int(k) * frameWidth, 0, frameWidth, height), colours[k]);
        sheet.setPixel(int(k) * frameWidth + 1, 1, kTransparentKey);
    }
    return sheet;
}

// A wide picture whose every column has its own colour, so copied windows show where they came from.
Bitmap columnPicture(int width, int height)
{
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, Rgb(0x010000 * (x % 200) + 0x000100 * (x / 200) + y % 7));
    return picture;
}

class GamePictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder =
            fs::temp_directory_path() / ("ludomat_pics_" + std::string(info->test_suite_name()) + "_" + info->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        engine.setGameFolder(m_folder.string());
        engine.screen().screenBuffer.fill(kPaper);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void save(const std::string& name, const Bitmap& picture) { picture.save((m_folder / name).string()); }

    // Runs the lines as one script; the run must end cleanly.
    void run(const std::vector<std::string>& lines)
    {
        engine.script().setLines(lines);
        engine.execute("test");
        ASSERT_FALSE(engine.lastError()) << engine.lastError()->message;
    }

    Rgb at(int x, int y) { return engine.screen().screenBuffer.pixel(x, y); }
    const Bitmap& buffer() { return engine.screen().screenBuffer; }
    int activeHotspots()
    {
        int n = 0;
        for (int i = 0; i < kHotspotCount; ++i) n += engine.hotspots().slot(i).active;
        return n;
    }

    Engine engine;
    fs::path m_folder;
};

using ShapeCommand = GamePictures;

TEST_F(ShapeCommand, WithoutParametersDrawsTheEmptyPictureOnlyWhenItExists)
{
    Bitmap before = buffer();
    run({"shape"});
    EXPECT_EQ(buffer(), before) << "no vazio.bmp: nothing drawn";

    save("vazio.bmp", Bitmap(10, 6, kRed));
    run({"shape"});
    expectPixels(buffer(), {{0, 0, kRed}, {9, 5, kRed}, {10, 5, kPaper}, {9, 6, kPaper}});
    EXPECT_EQ(activeHotspots(), 0);
}

TEST_F(ShapeCommand, SizesAndPlaceFollowTheScaleFactor)
{
    save("pic.png", Bitmap(40, 20, kGreen));
    engine.state().scaleFactor = 1.5;
    run({"shape pic.png,10,10,,,:menu", "shape pic.png,100,100,abc,8"});
    // (15, 15) and 60 x 30; a size that is not a number is 0, so the second draws nothing.
    expectPixels(buffer(),
                 {{15, 15, kGreen}, {74, 44, kGreen}, {75, 44, kPaper}, {74, 45, kPaper}, {150, 150, kPaper}});
    const Hotspot& spot = engine.hotspots().slot(0);
    EXPECT_EQ((std::vector<int>{spot.x, spot.y, spot.width, spot.height}), (std::vector<int>{15, 15, 60, 30}));
}

TEST_F(ShapeCommand, TextWithTargetIsUnderlinedAndClickable)
{
    Engine plain;
    plain.screen().screenBuffer.fill(kPaper);
    plain.script().setLines({"shape Start,100,50"});
    plain.execute("plain");
    ASSERT_FALSE(plain.lastError());
    EXPECT_EQ(plain.hotspots().slot(0).active, false);

    run({"shape Start,100,50,,,:menu,down.png"});
    Canvas& canvas = engine.screen().screenCanvas;
    const int w = canvas.textWidth("Start");
    const int h = canvas.textHeight("Start");
    const Hotspot& spot = engine.hotspots().slot(0);
    EXPECT_TRUE(spot.active);
    EXPECT_EQ((std::vector<int>{spot.x, spot.y, spot.width, spot.height}), (std::vector<int>{100, 50, w, h}));
    EXPECT_EQ(spot.cursor, kLinkCursor);
    EXPECT_EQ(spot.text, "Start");
    EXPECT_EQ(spot.target, ":menu");
    EXPECT_EQ(spot.picture, "down.png");
    EXPECT_EQ(engine.hotspots().nextSlot(), 1);

    // The same text; the only difference is the line in the font colour, end point excluded.
    const int lineY = 50 + h - 6;
    const Rgb ink = canvas.font().colour;
    int otherDifferences = 0;
    for (int y = 0; y < buffer().height(); ++y)
        for (int x = 0; x < buffer().width(); ++x)
            if (y != lineY) otherDifferences += at(x, y) != plain.screen().screenBuffer.pixel(x, y);
    EXPECT_EQ(otherDifferences, 0);
    for (int x = 100; x < 100 + w; ++x) EXPECT_EQ(at(x, lineY), ink) << "column " << x;
    EXPECT_EQ(at(100 + w, lineY), plain.screen().screenBuffer.pixel(100 + w, lineY));
    EXPECT_EQ(at(99, lineY), plain.screen().screenBuffer.pixel(99, lineY));
}

TEST_F(GamePictures, UpperCaseExtensionsAreNoPictures)
{
    save("logo.PNG", Bitmap(760, 420, kRed));
    Bitmap before = buffer();
    run({"fundo logo.PNG,0,0,760,420", "buffer logo.PNG", "tela logo.PNG", "loadsprite logo,logo.PNG"});
    EXPECT_EQ(buffer(), before);
    EXPECT_NE(engine.screen().tela.pixel(5, 5), kRed);
    EXPECT_TRUE(engine.backgroundName().empty());
    ASSERT_NE(engine.sprites().find("logo"), nullptr);
    EXPECT_TRUE(engine.sprites().find("logo")->sheet.isEmpty());
    // "shape" takes such a name for a text.
    run({"shape logo.PNG,0,0"});
    EXPECT_NE(buffer(), before);
    EXPECT_NE(at(2, 2), kRed);
}

using BackgroundCommand = GamePictures;

TEST_F(BackgroundCommand, ReadsTheFileOnlyWhenTheNameChanges)
{
    save("sky.png", Bitmap(100, 100, kRed));
    save("other.png", Bitmap(100, 100, kBlue));
    run({"fundo sky.png,0,0,10,10"});
    EXPECT_EQ(at(5, 5), kRed);
    save("sky.png", Bitmap(100, 100, kGreen));
    run({"fundo sky.png,0,0,10,10"});
    EXPECT_EQ(at(5, 5), kRed) << "the kept picture, not the file";
    run({"fundo other.png,0,0,10,10", "fundo sky.png,20,0,10,10"});
    EXPECT_EQ(at(5, 5), kBlue);
    EXPECT_EQ(at(25, 5), kGreen) << "a new name reads the file again";

    // Without a file, or without a picture name, nothing happens at all.
    Bitmap before = buffer();
    run({"fundo gone.png", "fundo", "fundo sky", "fundo ,0,0"});
    EXPECT_EQ(buffer(), before);
    EXPECT_EQ(engine.backgroundName(), "sky.png");
}

const fs::path kImages = LUDOMAT_TEST_IMAGES;

TEST_F(GamePictures, DamagedPicturesEndTheRunAndLeaveEverythingAsItWas)
{
    if (!fs::exists(kImages)) GTEST_SKIP() << "the shared test pictures are not at " << kImages;
    // The shared pictures are read where they lie: they are the game folder here.
    engine.setGameFolder(kImages.string());
    const std::string good = "png/basn2c08.png";  // 32 x 32
    run({"fundo " + good + ",0,0,30,30", "shape " + good + ",40,0", "loadsprite s," + good});
    const Bitmap background = engine.screen().backgroundBuffer;
    const Bitmap shape = engine.screen().shapeBuffer;

    for (std::string name : {"png/xhdn0g08.png", "gif/invalid-code.gif", "jpeg/missing-sos.jpg"}) {
        ASSERT_TRUE(fs::exists(kImages / name)) << "missing test picture " << name;
        SCOPED_TRACE(name);
        for (std::string line : {"fundo " + name, "shape " + name + ",0,0,,,:menu", "tela " + name, "buffer " + name,
                                 "loadsprite s," + name + ",1", "loadsprite n," + name, "frame " + name + ",2"}) {
            SCOPED_TRACE(line);
            engine.script().setLines({line, "reg= 1,after"});
            engine.execute("test");
            ASSERT_TRUE(engine.lastError());
            EXPECT_EQ(engine.lastError()->kind, ErrorKind::Picture);
            EXPECT_EQ(engine.lastError()->line, 0);
            EXPECT_FALSE(engine.lastError()->message.empty());
            EXPECT_TRUE(engine.state().registers[1].empty());
        }
        EXPECT_EQ(engine.backgroundName(), good) << "a failed background is read again next time";
        EXPECT_EQ(engine.screen().backgroundBuffer, background);
        EXPECT_EQ(engine.screen().shapeBuffer, shape);
        EXPECT_EQ(activeHotspots(), 0);
        EXPECT_EQ(engine.sprites().find("s")->file, good);
        EXPECT_EQ(engine.sprites().find("s")->sheetWidth, 32);
        ASSERT_NE(engine.sprites().find("n"), nullptr);
        EXPECT_TRUE(engine.sprites().find("n")->sheet.isEmpty());
        EXPECT_TRUE(engine.screen().frameStrip.name().empty()) << "a failed strip is read again next time";
    }
}

// --- sprites ---

class SpriteCommands : public GamePictures {
protected:
    void SetUp() override
    {
        GamePictures::SetUp();
        save("hero.png", frameSheet({kRed, kGreen, kBlue}, 32, 32));  // 96 x 32, three frames
    }
    const SpriteRecord& sprite(const std::string& name)
    {
        const SpriteRecord* found = engine.sprites().find(name);
        if (!found) throw std::runtime_error("no sprite " + name);
        return *found;
    }
    // Draws the sprite once on a cleared buffer and tells the colour of its first frame pixel.
    Rgb drawnColour(const std::string& line)
    {
        engine.screen().screenBuffer.fill(kPaper);
        run({line});
        return at(0, 0);
    }
};

TEST_F(SpriteCommands, LoadSpriteDefaults)
{
    run({"loadsprite hero,hero.png,3"});
    const SpriteRecord& hero = sprite("hero");
    EXPECT_EQ(hero.file, "hero.png");
    EXPECT_EQ(hero.sheetWidth, 96);
    EXPECT_EQ(hero.sheetHeight, 32);
    EXPECT_EQ(hero.frameCount, 3);
    EXPECT_EQ(hero.frameWidth(), 32);
    EXPECT_EQ((std::vector<int>{hero.collisionX, hero.collisionY, hero.collisionWidth, hero.collisionHeight}),
              (std::vector<int>{0, 0, 32, 32}));
    EXPECT_EQ((std::vector<double>{double(hero.x), double(hero.y), hero.scale, double(hero.cycles)}),
              (std::vector<double>{-1, -1, 1.0, 0}));

    // Given and unreadable box values; the position takes the box corner as given.
    run({"loadsprite hero,hero.png,3,4,x,10,,2"});
    EXPECT_EQ((std::vector<int>{hero.collisionX, hero.collisionY, hero.collisionWidth, hero.collisionHeight}),
              (std::vector<int>{4, 0, 10, 32}));
    EXPECT_EQ((std::vector<int>{hero.x, hero.y, hero.cycles}), (std::vector<int>{4, -1, 2}));
    EXPECT_EQ(engine.sprites().size(), 1) << "the same name redefines its entry";
    // A missing file leaves the entry as it was.
    run({"loadsprite hero,gone.png,5"});
    EXPECT_EQ(hero.frameCount, 3);
    EXPECT_EQ(hero.file, "hero.png");
}

TEST_F(SpriteCommands, ScaleSizesTheFrameAndTheCollisionBox)
{
    run({"loadsprite hero,hero.png,3", "sprite hero,10,10,0,2"});
    expectPixels(buffer(), {{10, 10, kRed}, {73, 73, kRed}, {74, 73, kPaper}, {73, 74, kPaper}});
    EXPECT_EQ(at(12, 12), kPaper) << "the magenta dot, doubled, is see-through";
    EXPECT_EQ(at(13, 13), kPaper);
    CollisionBox box = sprite("hero").placedCollisionBox();
    EXPECT_EQ((std::vector<long long>{box.left, box.top, box.width, box.height}),
              (std::vector<long long>{10, 10, 64, 64}));

    EXPECT_EQ(drawnColour("sprite hero,0,0,0,0.5"), kRed);
    EXPECT_EQ(at(15, 15), kRed);
    EXPECT_EQ(at(16, 15), kPaper);
    // Not a decimal number: 1.0; empty: unchanged.
    run({"sprite hero,0,0,0,1,5"});
    EXPECT_EQ(sprite("hero").scale, 1.0);
    run({"sprite hero,0,0,0,2.5", "sprite hero,0,0,0"});
    EXPECT_EQ(sprite("hero").scale, 2.5);
    run({"sprite hero,0,0,0,two"});
    EXPECT_EQ(sprite("hero").scale, 1.0);
}

// The buffer must look as if the frame were copied into the ShapeBuffer and stretch-drawn with
// the magenta key, however it is done; the ShapeBuffer ends holding the frame.
TEST_F(SpriteCommands, DrawsAsTheStagedFrameWouldAndKeepsTheStagingMemory)
{
    Bitmap sheet = columnPicture(100, 20);  // three frames of 33, one column left over
    sheet.setPixel(40, 3, kTransparentKey);
    save("cols.png", sheet);
    run({"loadsprite c,cols.png,3"});
    const Bitmap background = columnPicture(760, 420);
    struct Case {
        const char* line;
        int x, y, frame;
        double scale;
    };
    // At its own size, enlarged, mirrored, partly and wholly beyond the sheet, and off the edge.
    const Case cases[] = {{"sprite c,5,7,1,1", 5, 7, 1, 1.0},       {"sprite c,5,7,1,3", 5, 7, 1, 3.0},
                          {"sprite c,40,30,1,-1", 40, 30, 1, -1.0}, {"sprite c,5,7,3,1", 5, 7, 3, 1.0},
                          {"sprite c,5,7,-1,1", 5, 7, -1, 1.0},     {"sprite c,750,-3,2,1.7", 750, -3, 2, 1.7}};
    const std::uint32_t* staging = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        engine.screen().screenBuffer = background;
        run({c.line});
        Bitmap staged(33, 20, kTransparentKey);
        stretchCopy(staged, {0, 0, 33, 20}, sheet, Rect::fromXywh(33 * c.frame, 0, 33, 20));
        Bitmap expected = background;
        const Rgb key = kTransparentKey;
        stretchCopy(expected, Rect::fromXywh(c.x, c.y, int(33 * c.scale), int(20 * c.scale)), staged, {0, 0, 33, 20},
                    &key);
        EXPECT_EQ(buffer(), expected);
        EXPECT_EQ(engine.screen().shapeBuffer, staged);
        if (!staging) staging = engine.screen().shapeBuffer.scanLine(0);
        EXPECT_EQ(engine.screen().shapeBuffer.scanLine(0), staging) << "the staging picture was reallocated";
    }
}

}  // namespace
