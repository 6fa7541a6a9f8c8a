// Runs every script of the corpus headless and checks the expectations in its comments.
// Scripts whose names start with "_" are only called by others and are not run on their own.

#include "engine/engine.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"
#include "script_expectations.h"
#include "tools/headless_host.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

constexpr qint64 kScriptTimeoutMs = 20000;

std::vector<std::string> corpusScripts()
{
    std::vector<std::string> out;
    fs::path root(LUDOMAT_CORPUS_DIR);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".scp") continue;
        if (entry.path().filename().string().rfind('_', 0) == 0) continue;
        out.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string testName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param.substr(0, info.param.size() - 4);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class ScriptCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptCorpus, MeetsItsExpectations)
{
    fs::path script = fs::path(LUDOMAT_CORPUS_DIR) / GetParam();
    auto lines = readScriptFile(script);
    ASSERT_TRUE(lines) << "cannot read " << script;
    auto expected = corpus::readExpectations(*lines);
    for (const auto& problem : expected.problems) ADD_FAILURE() << "malformed expectation, " << problem;

    HeadlessHost host;
    Engine engine(&host);
    engine.setGameFolder(script.parent_path().string());
    // The corpus root stands for the program folder: areas share pictures as games share "../comum".
    engine.setProgramFolder(LUDOMAT_CORPUS_DIR);
    engine.script().setLines(*lines);
    host.setTimeout(kScriptTimeoutMs);
    if (expected.display) host.setDisplaySize({expected.display->first, expected.display->second});
    host.attach(&engine);
    for (const auto& event : expected.input) host.scriptedInput().add(event);
    engine.execute(script.filename().string());
    host.deliverRemainingInput();

    ASSERT_FALSE(host.timedOut()) << "the script did not end";
    const auto& error = engine.lastError();
    if (expected.errorLine) {
        ASSERT_TRUE(error) << "expected the error \"" << expected.errorMessage << "\"";
        // Messages are Windows-1252 like all script text; the corpus files are UTF-8.
        const std::string message = fromCp1252(error->message).toStdString();
        EXPECT_EQ(error->line, *expected.errorLine) << message;
        EXPECT_EQ(message, expected.errorMessage);
    } else {
        EXPECT_FALSE(error) << "line " << error->line << ": " << fromCp1252(error->message).toStdString();
    }
    if (expected.pausedLine) {
        EXPECT_EQ(engine.state().stopCaption, StopCaption::Cont);
        EXPECT_EQ(engine.state().pausedLine, *expected.pausedLine);
    }
    for (const auto& pixel : expected.pixels) {
        char actual[8];
        std::snprintf(actual, sizeof actual, "%06X", engine.screen().tela.pixel(pixel.x, pixel.y) & 0xFFFFFFu);
        char wanted[8];
        std::snprintf(wanted, sizeof wanted, "%06X", pixel.rgb);
        EXPECT_STREQ(actual, wanted) << "pixel " << pixel.x << "," << pixel.y << " (expectation on line "
                                     << pixel.sourceLine << ")";
    }
    for (const auto& reg : expected.registers)
        EXPECT_EQ(engine.state().registers.at(reg.index), reg.text)
            << "register " << reg.index << " (expectation on line " << reg.sourceLine << ")";
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptCorpus, ::testing::ValuesIn(corpusScripts()), testName);

}  // namespace

int main(int argc, char** argv)
{
    prepareHeadlessEnvironment();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
