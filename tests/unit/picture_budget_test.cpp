// Decoded pictures share one memory budget: sprites made from one sheet share its decoded
// picture, and a picture that would pass the budget ends the run with "a memória acabou",
// before its pixels take memory when the file's header tells its size.

#include "engine/engine.h"
#include "engine/error_messages.h"
#include "engine/game_pictures.h"
#include "graphics/cp1252.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

// A Windows bitmap header claiming width x height at 24 bits, with no pixels after it.
std::string bitmapHeaderOnly(int32_t width, int32_t height)
{
    std::string out = "BM";
    auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
    };
    put(54, 4), put(0, 4), put(54, 4);
    put(40, 4), put(uint32_t(width), 4), put(uint32_t(height), 4), put(1, 2), put(24, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    return out;
}

class PictureBudget : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("ludomat_budget_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        engine.setGameFolder(m_folder.string());
        for (const char* name : {"um.png", "dois.png", "tres.bmp"})
            Bitmap(96, 32, 0x00FF00).save((m_folder / name).string());
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // The error of the run of `lines`, empty when it ended cleanly.
    std::string run(const std::vector<std::string>& lines)
    {
        engine.script().setLines(lines);
        engine.execute("budget");
        return engine.lastError() ? fromCp1252(engine.lastError()->message).toStdString() : std::string();
    }
    const SpriteRecord& sprite(const std::string& name) { return *engine.sprites().find(name); }

    // Room for what the engine holds now plus one and a half sheets.
    void leaveRoomForOneSheet() { engine.pictures().setBudget(heldPictureBytes(engine) + kSheetBytes * 3 / 2); }

    static constexpr uint64_t kSheetBytes = 96 * 32 * 4;
    Engine engine;
    fs::path m_folder;
};

TEST_F(PictureBudget, SpritesOfOneSheetShareItsDecodedPicture)
{
    ASSERT_EQ(run({"loadsprite a,um.png,3", "loadsprite b,um.png,3", "loadsprite c,um.png,1"}), "");
    EXPECT_EQ(engine.pictures().heldBytes(), kSheetBytes);
    EXPECT_EQ(&sprite("a").sheet.bitmap(), &sprite("c").sheet.bitmap());
    EXPECT_EQ(sprite("c").frameWidth(), 96);
    // Sprites outlive runs, and so does the sharing; a changed file is decoded anew.
    Bitmap(48, 32, 0x0000FF).save((m_folder / "um.png").string());
    ASSERT_EQ(run({"loadsprite d,um.png", "loadsprite b,dois.png", "loadsprite c,dois.png"}), "");
    EXPECT_EQ(sprite("d").sheet.width(), 48);
    EXPECT_EQ(&sprite("b").sheet.bitmap(), &sprite("c").sheet.bitmap());
    EXPECT_EQ(engine.pictures().heldBytes(), kSheetBytes * 5 / 2);
    // The last sprite holding a sheet lets it go.
    engine.sprites().clear();
    EXPECT_EQ(engine.pictures().heldBytes(), 0u);
}

TEST_F(PictureBudget, PicturesPastTheBudgetEndTheRunWithOutOfMemory)
{
    const std::string outOfMemory = fromCp1252(errorText(ErrorMessage::OutOfMemory)).toStdString();
    ASSERT_EQ(outOfMemory.rfind("a memória acabou", 0), 0u) << outOfMemory;
    leaveRoomForOneSheet();
    // The same sheet again takes nothing more; a sheet replaced in its only sprite is freed.
    EXPECT_EQ(run({"loadsprite a,um.png", "loadsprite b,um.png", "loadsprite b,um.png"}), "");
    engine.sprites().clear();
    EXPECT_EQ(run({"loadsprite a,um.png", "loadsprite a,dois.png"}), "");
    engine.sprites().clear();
    // A second sheet, or a picture for a buffer beside the first, passes the budget.
    EXPECT_EQ(run({"loadsprite a,um.png", "loadsprite b,dois.png"}), outOfMemory);
    EXPECT_EQ(engine.lastError()->line, 1);
    EXPECT_TRUE(sprite("b").sheet.isEmpty());
    engine.sprites().clear();
    EXPECT_EQ(run({"loadsprite a,um.png", "loadsprite b,um.png", "shape tres.bmp"}), outOfMemory);
    EXPECT_EQ(engine.lastError()->line, 2);
}

TEST_F(PictureBudget, HeaderSizeIsCheckedBeforeDecoding)
{
    std::ofstream(m_folder / "enorme.bmp", std::ios::binary) << bitmapHeaderOnly(2000, 2000);
    // Within the budget the file is decoded (and found damaged); beyond it, never decoded.
    EXPECT_EQ(run({"shape enorme.bmp"}).rfind("a memória acabou", 0), std::string::npos);
    leaveRoomForOneSheet();
    EXPECT_EQ(run({"shape enorme.bmp"}).rfind("a memória acabou", 0), 0u);
}

}  // namespace
