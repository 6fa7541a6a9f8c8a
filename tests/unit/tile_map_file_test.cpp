// The tile-map file reader and writer, the map grid, the tile strip and the tile commands, with
// real files on disk.

#include "engine/engine.h"
#include "graphics/map_grid.h"
#include "graphics/tile_map_file.h"
#include "graphics/tile_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

class TileMapFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("ludomat_tlm_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path write(const std::string& name, const std::string& bytes)
    {
        fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string readBack(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    MapGrid read(const std::string& bytes) { return readTileMapFile(write("map.tlm", bytes), "map.tlm"); }

    fs::path m_folder;
};

// The two-line example: 4 x 2 map, a grid of 3 rows and 5 columns with its headers.
void expectExample(const MapGrid& grid)
{
    ASSERT_EQ(grid.columns(), 4);
    ASSERT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.gridRows(), 3);
    EXPECT_EQ(grid.gridColumns(), 5);
    const char* expected[2][4] = {{"0", "1", "2", "3"}, {"10", "11", "0", "0"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.cellText(c, r), expected[r][c]) << "column " << c << " row " << r;
}

TEST_F(TileMapFile, ReadsTheExampleWithEveryLineEnd)
{
    expectExample(read("00010203\r\n0A0B0000\r\n"));
    expectExample(read("00010203\n0A0B0000\n"));
    expectExample(read("00010203\r0A0B0000\r"));
    expectExample(read("00010203\r\n0A0B0000"));  // no end after the last line
    expectExample(read("00010203\n0A0B0000\r\n"));  // mixed
    expectExample(read("00010203\r\n0a0b0000\r\n"));  // lower case
}

TEST_F(TileMapFile, FirstLineSetsTheWidthAndLongerLinesAreCut)
{
    // 7 characters: the odd last one is ignored, 3 columns.
    MapGrid grid = read("0102037\r\n040506FF99\r\n");
    ASSERT_EQ(grid.columns(), 3);
    ASSERT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cellText(2, 0), "3");
    EXPECT_EQ(grid.cellText(2, 1), "6");
    // A second line may end in an odd character too, beyond the first line's length.
    EXPECT_EQ(read("0102\n01027").cellText(1, 1), "2");
    EXPECT_EQ(read("ff\nFf").cellText(0, 1), "255");
}

TEST_F(TileMapFile, EmptyFileGivesAnEmptyMap)
{
    MapGrid grid = read("");
    EXPECT_EQ(grid.columns(), 0);
    EXPECT_EQ(grid.rows(), 0);
    EXPECT_EQ(grid.gridRows(), 1);
    EXPECT_EQ(grid.gridColumns(), 1);
    // One character is an odd last character only: no columns, one row.
    grid = read("7");
    EXPECT_EQ(grid.columns(), 0);
    EXPECT_EQ(grid.rows(), 1);
}

TEST_F(TileMapFile, BadCellsAndShortLinesNameTheFileAndLine)
{
    auto failure = [&](const std::string& bytes) -> TileMapError {
        try {
            read(bytes);
        } catch (const TileMapError& e) {
            return e;
        }
        ADD_FAILURE() << "no error for " << bytes;
        return TileMapError(TileMapErrorKind::Unreadable, -1, "");
    };
    TileMapError e = failure("0001\r\n0G00\r\n");
    EXPECT_EQ(e.kind(), TileMapErrorKind::BadCell);
    EXPECT_EQ(e.line(), 2);
    EXPECT_STREQ(e.what(), "'0G' is not a valid integer value (\"map.tlm\", line 2)");
    for (const char* bad : {" 1", "+1", "-1", "1 ", "\t0", "x1"}) {
        TileMapError b = failure(std::string("00") + bad + "\n");
        EXPECT_EQ(b.kind(), TileMapErrorKind::BadCell) << bad;
        EXPECT_EQ(b.line(), 1);
    }
    e = failure("000102\n0001\n");
    EXPECT_EQ(e.kind(), TileMapErrorKind::ShortLine);
    EXPECT_EQ(e.line(), 2);
    EXPECT_STREQ(e.what(), "Line 2 of \"map.tlm\" has 4 characters, fewer than the 6 of its first line");
    // A blank line after the last row is a row of its own, and too short.
    EXPECT_EQ(failure("0001\r\n\r\n").line(), 2);
}

TEST_F(TileMapFile, OversizedMapsAreRefusedWithoutReadingThem)
{
    auto kindOf = [&](const fs::path& path) {
        try {
            readTileMapFile(path, path.filename().string());
        } catch (const TileMapError& e) {
            return e.kind();
        }
        return TileMapErrorKind::Unreadable;
    };
    std::string widest(size_t(kMaxMapColumns) * 2, '0');
    EXPECT_EQ(read(widest + "\n" + widest).columns(), kMaxMapColumns);
    EXPECT_EQ(kindOf(write("wide.tlm", widest + "00\n")), TileMapErrorKind::TooLarge);

    std::string tallest;
    for (int r = 0; r < kMaxMapRows; ++r) tallest += "01\n";
    EXPECT_EQ(read(tallest).rows(), kMaxMapRows);
    EXPECT_EQ(kindOf(write("tall.tlm", tallest + "01")), TileMapErrorKind::TooLarge);

    // A sparse file far beyond the size limit: refused by its size, never loaded into memory.
    fs::path huge = write("huge.tlm", "00");
    fs::resize_file(huge, std::uintmax_t(8) << 30);
    EXPECT_EQ(kindOf(huge), TileMapErrorKind::TooLarge);
    EXPECT_EQ(kindOf(m_folder / "missing.tlm"), TileMapErrorKind::Unreadable);
    EXPECT_EQ(kindOf(m_folder), TileMapErrorKind::Unreadable);
}

TEST_F(TileMapFile, WriterUsesUpperCaseAndCrLfAndRoundTrips)
{
    MapGrid grid = read("00010203\n0a0b00ff\n");
    fs::path out = m_folder / "out.tlm";
    writeTileMapFile(out, grid);
    EXPECT_EQ(readBack(out), "00010203\r\n0A0B00FF\r\n");
    EXPECT_EQ(readTileMapFile(out, "out.tlm"), grid);

    // A typed cell that is not 0..255 refuses the save and leaves the old file as it was.
    for (const char* bad : {"256", "-1", "x", ""}) {
        MapGrid edited = grid;
        edited.setCellText(1, 1, bad);
        try {
            writeTileMapFile(out, edited);
            ADD_FAILURE() << "saved " << bad;
        } catch (const TileMapError& e) {
            EXPECT_EQ(e.kind(), TileMapErrorKind::BadTileNumber);
            EXPECT_EQ(e.line(), 2);
        }
        EXPECT_EQ(readBack(out), "00010203\r\n0A0B00FF\r\n");
    }
    MapGrid empty = read("");
    writeTileMapFile(out, empty);
    EXPECT_EQ(readBack(out), "");
}

TEST(MapGrid, ResizeKeepsCellsAndStaysWithinLimits)
{
    MapGrid grid;
    EXPECT_EQ(grid.columns(), 1);
    EXPECT_EQ(grid.rows(), 1);
    EXPECT_EQ(grid.cellText(0, 0), "0");
    grid.resize(3, 2);
    grid.setTile(2, 1, 42);
    grid.addRow();
    grid.addColumn();
    EXPECT_EQ(grid.columns(), 4);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.tile(2, 1), 42);
    EXPECT_EQ(grid.cellText(3, 2), "0");
    grid.resize(2, 2);
    EXPECT_EQ(grid.cellText(2, 1), "");  // now outside
    grid.setCellText(1, 1, "abc");
    EXPECT_FALSE(grid.tile(1, 1));
    grid.setCellText(5, 5, "7");  // outside: ignored
    EXPECT_EQ(grid.columns(), 2);
    grid.resize(-3, 1 << 30);
    EXPECT_EQ(grid.columns(), 0);
    EXPECT_EQ(grid.rows(), kMaxMapRows);
    grid.clear();
    EXPECT_EQ(grid, MapGrid());
}

TEST(TileSet, TilesBeyondTheStripDrawNothing)
{
    TileSet tiles;
    EXPECT_EQ(tiles.tileCount(5), 1);
    // Three 2 x 2 tiles and one odd column: red, magenta with a green pixel, blue.
    Bitmap strip(7, 2, 0xFF0000);
    for (int x = 2; x < 4; ++x)
        for (int y = 0; y < 2; ++y) strip.setPixel(x, y, kTransparentKey);
    strip.setPixel(3, 1, 0x00FF00);
    for (int x = 4; x < 7; ++x)
        for (int y = 0; y < 2; ++y) strip.setPixel(x, y, 0x0000FF);
    tiles.setPicture(strip);
    EXPECT_EQ(tiles.tileCount(2), 3);
    EXPECT_FALSE(tiles.hasTile(3, 2));
    EXPECT_FALSE(tiles.hasTile(-1, 2));

    Bitmap screen(6, 4, 0xFFFFFF);
    tiles.drawTile(screen, 0, 0, 1, 2, 2, true);
    EXPECT_EQ(screen.pixel(0, 0), 0xFFFFFFu);  // key skipped
    EXPECT_EQ(screen.pixel(1, 1), 0x00FF00u);
    tiles.drawTile(screen, 2, 0, 1, 2, 2, false);
    EXPECT_EQ(screen.pixel(2, 0), kTransparentKey);  // opaque copy keeps the key
    Bitmap before = screen;
    tiles.drawTile(screen, 0, 2, 3, 2, 2, false);
    tiles.drawTile(screen, 0, 2, 1LL << 40, 2, 2, true);
    tiles.drawTile(screen, 1LL << 40, -(1LL << 40), 0, 2, 2, true);
    EXPECT_EQ(screen, before);
    tiles.drawTile(screen, 5, 3, 2, 2, 2, false);  // cut at the edge
    EXPECT_EQ(screen.pixel(5, 3), 0x0000FFu);

    tiles.reset(8, 6, 0x123456);
    EXPECT_EQ(tiles.picture().width(), 8);
    EXPECT_EQ(tiles.picture().height(), 6);
    EXPECT_EQ(tiles.picture().pixel(7, 5), 0x123456u);
    EXPECT_EQ(tiles.tileCount(8), 1);
    tiles.reset(1 << 30, 1 << 30, 0);  // a huge plot size does not take gigabytes
    EXPECT_LE(tiles.picture().width(), 2048);
}

}  // namespace

// --- the tile-map commands through the engine, for what a script cannot see ---

namespace {

class TileCommands : public TileMapFile {
protected:
    void run(const std::vector<std::string>& lines)
    {
        m_engine.setGameFolder(m_folder.string() + "/");
        m_engine.script().setLines(lines);
        m_engine.execute("tiles");
    }
    // A 4-tile strip of 4 x 4 tiles, written as a real picture file.
    void writeStrip(const std::string& name, Rgb colour)
    {
        Bitmap strip(16, 4, colour);
        strip.save((m_folder / name).string());
    }

    Engine m_engine;
};

TEST_F(TileCommands, RememberTheMapTheStripAndTheView)
{
    write("room.tlm", "0102\r\n0300\r\n");
    writeStrip("strip.bmp", 0x00FF00);
    run({"defplot 4,4", "tilemap room.tlm,strip.bmp", "tilemap 2,3,5,6,1,0"});
    ASSERT_FALSE(m_engine.lastError()) << m_engine.lastError()->message;
    EXPECT_EQ(m_engine.mapGrid().name(), "room.tlm");
    EXPECT_EQ(m_engine.mapGrid().cellText(0, 1), "3");
    EXPECT_EQ(m_engine.tileSet().name(), "strip.bmp");
    EXPECT_EQ(m_engine.tileSet().tileCount(4), 4);
    EXPECT_EQ(m_engine.mapView(), (MapView{2, 3, 5, 6, 1, 0}));
    EXPECT_EQ(m_engine.plots().cell(2, 3), 3);
    EXPECT_EQ(m_engine.screen().screenBuffer.pixel(8, 12), 0x00FF00u);

    // "tile" and "tiles" move only the view's start cell.
    run({"tile 7,8,1"});
    EXPECT_EQ(m_engine.mapView(), (MapView{7, 8, 5, 6, 1, 0}));
    run({"tiles 9,10,1"});
    EXPECT_EQ(m_engine.mapView(), (MapView{9, 10, 5, 6, 1, 0}));
}

TEST_F(TileCommands, AFailedLoadLeavesMapAndStripAsTheyWere)
{
    write("good.tlm", "0102\r\n");
    write("bad.tlm", "0102\r\n01\r\n");
    writeStrip("strip.bmp", 0x0000FF);
    write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not a picture");
    run({"defplot 4,4", "tilemap good.tlm,strip.bmp"});
    ASSERT_FALSE(m_engine.lastError());

    run({"tilemap bad.tlm,broken.png"});
    ASSERT_TRUE(m_engine.lastError());
    EXPECT_EQ(m_engine.lastError()->kind, ErrorKind::Conversion);
    EXPECT_EQ(m_engine.mapGrid().name(), "good.tlm");
    EXPECT_EQ(m_engine.mapGrid().columns(), 2);
    EXPECT_EQ(m_engine.mapGrid().rows(), 1);

    run({"tilemap good.tlm,broken.png"});
    ASSERT_TRUE(m_engine.lastError());
    EXPECT_EQ(m_engine.lastError()->kind, ErrorKind::Picture);
    EXPECT_EQ(m_engine.tileSet().name(), "strip.bmp");
    EXPECT_EQ(m_engine.tileSet().picture().pixel(0, 0), 0x0000FFu);

    // A map cell typed as text (as the editor allows) ends a drawing run with the conversion error.
    m_engine.mapGrid().setCellText(1, 0, "zz");
    run({"tilemap 0,0"});
    ASSERT_TRUE(m_engine.lastError());
    EXPECT_EQ(m_engine.lastError()->message.rfind("\"zz\" n\xE3o \xE9 um n\xFAmero inteiro;", 0), 0u);
    EXPECT_EQ(m_engine.plots().cell(0, 0), 1);  // cells before it were drawn
}

}  // namespace
