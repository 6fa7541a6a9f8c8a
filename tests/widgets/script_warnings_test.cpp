// The editor's warnings: each mistake a beginner makes gives its warning at its place, and lines
// that are right (every example of the command table, every script of the example games) give
// none. Warnings never touch what runs, so only the warnings are checked here.

#include "studio/editing/script_warnings.h"
#include "engine/command_table.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sstream>

using namespace ludomat;
using Kind = ScriptWarning::Kind;

namespace {

struct Case {
    std::vector<std::string> lines;
    std::vector<Kind> expected;  // in line order
    std::string inMessage = {};  // a text the first warning must hold
    int column = -1;             // where the first warning starts, when checked
};

const std::set<std::string> kFiles = {"ceu.png", "fase1.tlm", "tiles.png", "menu.scp", "heroi.gif"};

std::string describe(const std::vector<ScriptWarning>& warnings)
{
    std::ostringstream text;
    for (const ScriptWarning& w : warnings) text << w.line << ":" << w.column << " " << w.message << "\n";
    return text.str();
}

}  // namespace

TEST(ScriptWarnings, EachMistakeAtItsPlace)
{
    const Case cases[] = {
        // Words that are no command, with the nearest word when one is close.
        {{"pauza 10"}, {Kind::UnknownCommand}, "Você quis dizer \"pausa\"?", 0},
        {{"  Goto fim", ":fim"}, {Kind::UnknownCommand}, "\"goto\"", 2},
        {{"xyzzyq"}, {Kind::UnknownCommand}, "Veja os comandos na Ajuda"},
        // Jumps and calls to labels the script lacks; a label written twice.
        {{"goto fim"}, {Kind::MissingLabel}, "Não há o rótulo \"fim\"", 5},
        {{"goto :fim", ":fim"}, {Kind::MissingLabel}, "sem os dois-pontos"},
        {{"ifreg= 1,a,volta", "gosub sub"}, {Kind::MissingLabel, Kind::MissingLabel}, "\"volta\"", 11},
        {{"if= 1,a,goto,longe"}, {Kind::MissingLabel}, "\"longe\"", 13},
        {{":a", "inc 1", ":a"}, {Kind::RepeatedLabel}, "já apareceu antes"},
        // Files the game folder does not hold.
        {{"tela nuvem.png"}, {Kind::MissingFile}, "\"nuvem.png\" não está na pasta do jogo", 5},
        {{"script fase2.scp&Prm=1"}, {Kind::MissingFile}, "\"fase2.scp\""},
        {{"gosub outro.scp"}, {Kind::MissingFile}},
        {{"loadsprite heroi,heroi.png,4"}, {Kind::MissingFile}, "\"heroi.png\""},
        {{"tilemap fase2.tlm,tiles.png"}, {Kind::MissingFile}, "\"fase2.tlm\""},
        // Too many parameters, registers outside 0..250, colours that are not six hex digits.
        {{"pausa 10,off,20"}, {Kind::TooManyParams}, "no máximo 2, e aqui há 3", 12},
        {{"return 5"}, {Kind::TooManyParams}, "nenhum parâmetro"},
        {{"reg= 251,a"}, {Kind::BadRegister}, "registrador 251", 5},
        {{"reg= -1,a"}, {Kind::BadRegister}},
        {{"reg= 1,#300"}, {Kind::BadRegister}, "registrador 300"},
        {{"cortxt= FF00"}, {Kind::BadColour}, "\"FF00\"", 8},
        {{"pixel 1,2,vermelho"}, {Kind::BadColour}},
        {{"corfnd= 00FF00x"}, {Kind::BadColour}},
        // A comment after a parameter becomes part of its value.
        {{"reg= 1,abc // o nome"}, {Kind::TrailingComment}, "numa linha só dele", 11},
        {{"print ola,10,10,//x"}, {Kind::TrailingComment}},
    };
    for (const Case& c : cases) {
        std::vector<ScriptWarning> warnings = findScriptWarnings(c.lines, kFiles);
        std::vector<Kind> kinds;
        for (const ScriptWarning& w : warnings) kinds.push_back(w.kind);
        EXPECT_EQ(kinds, c.expected) << c.lines[0] << "\n" << describe(warnings);
        if (warnings.empty()) continue;
        EXPECT_NE(warnings[0].message.find(c.inMessage), std::string::npos) << c.lines[0] << "\n" << describe(warnings);
        if (c.column >= 0) {
            EXPECT_EQ(warnings[0].column, c.column) << c.lines[0];
        }
    }
}

TEST(ScriptWarnings, RightLinesGiveNone)
{
    const std::vector<std::string> clean[] = {
        {"goto  a", ": a"},                                  // the label as the engine compares it
        {"reg= 1,#5", "reg= 2,$vidas", "defreg 250,vidas"},  // references and aliases
        {"tela ceu.png", "tilemap fase1.tlm,tiles.png", "script menu.scp&Prm=2", "gosub menu.scp"},
        {"tela #7", "loadsprite heroi,$arquivo,4"},  // names held in registers are known only at run time
        {"print http://escola.br,10,10", "// um comentário", "reg= 1,a//b"},
        {"cortxt= ff00AA", "cortxt= #3", "pixel 1,2,"},
        {"regtxt= 1,'um, dois, três, quatro, cinco, seis, sete, oito, nove", "dez, onze // doze", "treze'"},
        {"fim", ""},
    };
    for (const auto& lines : clean) {
        std::vector<ScriptWarning> warnings = findScriptWarnings(lines, kFiles);
        EXPECT_TRUE(warnings.empty()) << lines[0] << "\n" << describe(warnings);
    }
}

// Every example of the command table is right as written, except for files it names that this
// empty game folder cannot hold.
TEST(ScriptWarnings, CommandTableExamplesGiveNoneButFiles)
{
    int examples = 0;
    for (const CommandInfo* info : CommandTable::instance().entries()) {
        if (info->example.empty()) continue;
        std::vector<std::string> lines;
        std::string text(info->example);
        for (size_t start = 0; start <= text.size();) {
            size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        ++examples;
        for (const ScriptWarning& w : findScriptWarnings(lines, {}, false))
            ADD_FAILURE() << info->words << ": " << lines[size_t(w.line)] << "\n" << w.message;
    }
    EXPECT_GT(examples, 50);
}

// The example games play, so their scripts must not be marked wrong.
TEST(ScriptWarnings, ExampleGamesGiveNone)
{
    for (const QString& game : {QString("coleta"), QString("demo")}) {
        QDir folder(QString(LUDOMAT_EXAMPLES_DIR) + "/" + game);
        std::set<std::string> files;
        for (const QString& name : folder.entryList(QDir::Files)) files.insert(name.toStdString());
        for (const QString& name : folder.entryList({"*.scp"}, QDir::Files)) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            std::vector<std::string> lines;
            for (const QByteArray& line : file.readAll().split('\n')) lines.push_back(line.trimmed().toStdString());
            for (const ScriptWarning& w : findScriptWarnings(lines, files))
                ADD_FAILURE() << game.toStdString() << "/" << name.toStdString() << ":" << w.line << " "
                              << lines[size_t(w.line)] << "\n"
                              << w.message;
        }
    }
}
