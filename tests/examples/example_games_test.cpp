// The example games, played without a window: ludomat-run gets the keys and clicks a player
// would give, and the test checks where the game ended (registers) and what the screen shows.

#include "graphics/bitmap.h"
#include "graphics/map_grid.h"
#include "graphics/picture_loader.h"
#include "graphics/tile_map_file.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kGameFolder = fs::path(LUDOMAT_EXAMPLES_DIR) / "coleta";

struct GameRun {
    int exitCode = -1;
    std::map<int, std::string> registers;
    std::string errors;
    ludomat::Bitmap screen;
};

// Scripted input, in time order: every event is spaced well apart, so a busy machine still
// delivers each press and its release in different message rounds.
class Player {
public:
    explicit Player(int startMs = 400) : m_time(startMs) {}
    Player& press(const QString& key, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            m_args << "--key-down" << QString("%1@%2").arg(key).arg(m_time);
            m_args << "--key-up" << QString("%1@%2").arg(key).arg(m_time + 60);
            m_time += 160;
        }
        return *this;
    }
    Player& click(int x, int y)
    {
        m_args << "--click" << QString("%1,%2@%3").arg(x).arg(y).arg(m_time);
        m_time += 400;
        return *this;
    }
    Player& type(const QString& text)
    {
        m_args << "--type" << QString("%1@%2").arg(text).arg(m_time);
        m_time += 400;
        return *this;
    }
    const QStringList& args() const { return m_args; }

private:
    int m_time;
    QStringList m_args;
};

GameRun play(const std::string& script, const Player& player)
{
    QTemporaryDir temp;
    QString snapshot = temp.filePath("tela.png");
    QProcess process;
    QStringList args{QString::fromStdString((kGameFolder / script).string()), "--registers", "--snapshot", snapshot,
                     "--timeout", "60"};
    args << player.args();
    process.start(LUDOMAT_RUN, args);
    GameRun run;
    if (!process.waitForFinished(90'000)) {
        process.kill();
        run.errors = "ludomat-run não terminou";
        return run;
    }
    run.exitCode = process.exitCode();
    run.errors = process.readAllStandardError().toStdString();
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        int equals = line.indexOf('=');
        if (equals > 0) run.registers[line.left(equals).toInt()] = line.mid(equals + 1).toStdString();
    }
    if (QFile::exists(snapshot)) run.screen = ludomat::loadPng(snapshot.toStdString());
    return run;
}

constexpr ludomat::Rgb kHeroYellow = 0xFFD040;

TEST(ColetaGame, TheWinningPathCollectsAllThreeCoins)
{
    Player player;
    player.press("Right", 4).press("Down", 8).press("Right", 7).press("Up", 4);
    GameRun run = play("coleta.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[30], "venceu");
    EXPECT_EQ(run.registers[10], "3");
    EXPECT_EQ(run.registers[11], "12");
    EXPECT_EQ(run.registers[12], "5");
    // The hero stands on the last coin's cell, drawn over the floor.
    EXPECT_EQ(run.screen.pixel(12 * 20 + 10, 5 * 20 + 10), kHeroYellow);
}

TEST(ColetaGame, WallsStopTheHeroAndEscLeaves)
{
    Player player;
    // Up and Left run into the outer wall; the wall at column 8 stops the walk along row 1.
    player.press("Up").press("Left").press("Right", 9).press("Esc");
    GameRun run = play("coleta.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[30], "saiu");
    EXPECT_EQ(run.registers[11], "7");
    EXPECT_EQ(run.registers[12], "1");
    // Passing over the first coin on the way took it.
    EXPECT_EQ(run.registers[10], "1");
}

TEST(ColetaGame, TheGhostCatchesAHeroStandingInItsWay)
{
    Player player;
    // Into the ghost's column, wait there for it to come back up, then step onto it.
    player.press("Right", 2).press("Down").press("Space", 8).press("Down");
    GameRun run = play("coleta.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[30], "perdeu");
    EXPECT_EQ(run.registers[16], "3");
    EXPECT_EQ(run.registers[12], "3");
}

TEST(ColetaGame, WithoutKeysTheGameWaitsUntilTheTimeOut)
{
    QProcess process;
    process.start(LUDOMAT_RUN, {QString::fromStdString((kGameFolder / "coleta.scp").string()), "--timeout", "1"});
    ASSERT_TRUE(process.waitForFinished(30'000));
    EXPECT_EQ(process.exitCode(), 3);
}

TEST(ColetaMenu, LinksLeadToTheInstructionsAndBack)
{
    Player player;
    player.click(305, 205);   // "Instruções": another script
    player.click(45, 305);    // "Voltar": the menu again
    GameRun run = play("menu.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[1], "menu");
    // The menu was drawn twice: at the start and after "Voltar".
    EXPECT_EQ(run.registers[3], "2");
    // The menu's sky is back on the screen (the instructions paint it over in one colour).
    EXPECT_EQ(run.screen.pixel(5, 415), 0x3253A3u);
}

TEST(ColetaMenu, TheNameIsAskedAndGreetedInCapitals)
{
    Player player;
    player.click(305, 255);  // "Nome": a label of the menu itself
    player.type("ana");
    GameRun run = play("menu.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[1], "nome");
    EXPECT_EQ(run.registers[20], "ANA");
    EXPECT_EQ(run.registers[21], "Ol\xe1, ANA!");
}

TEST(ColetaMenu, PlayStartsTheGame)
{
    Player player;
    player.click(305, 155);  // "Jogar": the game script
    player.press("Right").press("Esc");
    GameRun run = play("menu.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[30], "saiu");
    EXPECT_EQ(run.registers[11], "2");
}

TEST(ColetaMenu, TheButtonLeavesTheMenu)
{
    Player player;
    player.click(380, 350);
    GameRun run = play("menu.scp", player);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.registers[1], "saiu");
    EXPECT_EQ(run.screen.pixel(380, 350), 0x000000u);
}

// The files of the example folder are what the generator draws: nobody has replaced them by
// pictures from elsewhere, and the generator still makes what the games expect.
TEST(ExamplePictures, TheGameFolderHoldsTheGeneratorsOutput)
{
    QTemporaryDir temp;
    QProcess process;
    process.start(MAKE_EXAMPLE_PICTURES, {temp.path()});
    ASSERT_TRUE(process.waitForFinished(30'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    fs::path made = temp.path().toStdString();
    for (const char* name : {"tiles.png", "heroi.png", "moeda.png", "fantasma.png", "ceu.png", "botao.png",
                             "botao_apertado.png"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ludomat::loadPng((made / name).string()) == ludomat::loadPng((kGameFolder / name).string()));
    }
    ludomat::MapGrid level = ludomat::readTileMapFile(kGameFolder / "fase1.tlm", "fase1.tlm");
    EXPECT_EQ(ludomat::formatTileMap(level),
              ludomat::formatTileMap(ludomat::readTileMapFile(made / "fase1.tlm", "fase1.tlm")));
    EXPECT_EQ(level.columns(), 38);
    EXPECT_EQ(level.rows(), 21);
}

}  // namespace
