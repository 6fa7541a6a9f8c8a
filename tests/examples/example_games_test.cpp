// The example games, played without a window: ludomat-run gets the keys and clicks a player
// would give, and the test checks where the game ended (registers) and what the screen shows.

#include "graphics/bitmap.h"
#include "graphics/map_grid.h"
#include "graphics/picture_loader.h"
#include "graphics/tile_map_file.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
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
    QStringList args{QString::fromStdString((kGameFolder / script).string()),
                     "--registers",
                     "--snapshot",
                     snapshot,
                     "--timeout",
                     "60"};
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

// A player's keys and clicks, where the game must end (registers) and a pixel of the last
// screen (x < 0: none).
struct Playthrough {
    const char* what;
    const char* script;
    std::function<void(Player&)> moves;
    std::map<int, std::string> registers;
    int x = -1, y = -1;
    ludomat::Rgb colour = 0;
};

const Playthrough kPlaythroughs[] = {
    // The hero ends on the last coin's cell, drawn over the floor.
    {"the winning path collects all three coins",
     "coleta.scp",
     [](Player& p) { p.press("Right", 4).press("Down", 8).press("Right", 7).press("Up", 4); },
     {{30, "venceu"}, {10, "3"}, {11, "12"}, {12, "5"}},
     12 * 20 + 10,
     5 * 20 + 10,
     0xFFD040},
    // Up and Left run into the outer wall; the wall at column 8 stops the walk along row 1;
    // passing over the first coin on the way took it.
    {"walls stop the hero and Esc leaves",
     "coleta.scp",
     [](Player& p) { p.press("Up").press("Left").press("Right", 9).press("Esc"); },
     {{30, "saiu"}, {11, "7"}, {12, "1"}, {10, "1"}}},
    // Into the ghost's column, wait there for it to come back up, then step onto it.
    {"the ghost catches a hero standing in its way",
     "coleta.scp",
     [](Player& p) { p.press("Right", 2).press("Down").press("Space", 8).press("Down"); },
     {{30, "perdeu"}, {16, "3"}, {12, "3"}}},
    // "Instruções" is another script, "Voltar" the menu again: drawn twice, its sky back on the
    // screen (the instructions paint it over in one colour).
    {"links lead to the instructions and back",
     "menu.scp",
     [](Player& p) { p.click(305, 205).click(45, 305); },
     {{1, "menu"}, {3, "2"}},
     5,
     415,
     0x3253A3},
    // "Nome" is a label of the menu itself.
    {"the name is asked and greeted in capitals",
     "menu.scp",
     [](Player& p) { p.click(305, 255).type("ana"); },
     {{1, "nome"}, {20, "ANA"}, {21, "Ol\xe1, ANA!"}}},
    {"play starts the game",
     "menu.scp",
     [](Player& p) { p.click(305, 155).press("Right").press("Esc"); },
     {{30, "saiu"}, {11, "2"}}},
    {"the button leaves the menu", "menu.scp", [](Player& p) { p.click(380, 350); }, {{1, "saiu"}}, 380, 350, 0x000000},
};

TEST(ColetaGame, PlaythroughsEndWhereThePlayerTookThem)
{
    for (const Playthrough& t : kPlaythroughs) {
        SCOPED_TRACE(t.what);
        Player player;
        t.moves(player);
        GameRun run = play(t.script, player);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        for (const auto& [index, text] : t.registers) EXPECT_EQ(run.registers[index], text) << "register " << index;
        if (t.x >= 0) EXPECT_EQ(run.screen.pixel(t.x, t.y), t.colour);
    }
}

TEST(ColetaGame, WithoutKeysTheGameWaitsUntilTheTimeOut)
{
    QProcess process;
    process.start(LUDOMAT_RUN, {QString::fromStdString((kGameFolder / "coleta.scp").string()), "--timeout", "1"});
    ASSERT_TRUE(process.waitForFinished(30'000));
    EXPECT_EQ(process.exitCode(), 3);
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
    for (const char* name :
         {"tiles.png", "heroi.png", "moeda.png", "fantasma.png", "ceu.png", "botao.png", "botao_apertado.png"}) {
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
