// "putplot" and "scanplot" through the engine on every picture of the shared third-party corpus:
// valid pictures must draw where and as they should, broken ones must end the run with the
// decoder's error, and nothing may crash.

#include "../canvas/picture_corpus.h"
#include "engine/engine.h"
#include "graphics/picture_loader.h"

#include <gtest/gtest.h>

#include <map>

using namespace ludomat;
using ludomat::test::Expectation;

namespace {

// A colour no corpus picture is expected to match everywhere, so drawn pixels show.
constexpr Rgb kBackground = 0x123456;

std::map<std::string, ludomat::test::CorpusPicture> describedPictures()
{
    std::map<std::string, ludomat::test::CorpusPicture> out;
    for (auto& picture : ludomat::test::readCorpus()) out[picture.folder + "/" + picture.name] = picture;
    return out;
}

// Runs one script line against the corpus folder.
void runLine(Engine& engine, const std::string& line)
{
    engine.setGameFolder(ludomat::test::corpusFolder());
    engine.script().setLines({line});
    engine.execute("plot_pictures");
}

class PlotPictures : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!ludomat::test::corpusAvailable())
            GTEST_SKIP() << "the shared pictures are not at " << ludomat::test::corpusFolder()
                         << " (set LUDOMAT_TEST_IMAGES to their folder)";
    }

    // The files of one corpus folder, with what the corpus says of each.
    std::vector<std::pair<std::string, Expectation>> picturesOf(const std::string& folder)
    {
        auto described = describedPictures();
        std::vector<std::pair<std::string, Expectation>> out;
        for (const auto& file : ludomat::test::filesOnDisk()) {
            if (file.rfind(folder + "/", 0) != 0) continue;
            auto it = described.find(file);
            out.emplace_back(file, it == described.end() ? Expectation::Either : it->second.expectation);
        }
        EXPECT_FALSE(out.empty()) << "no pictures in " << folder;
        return out;
    }
};

// A run that failed on a picture failed with the decoder's message, on its one line.
void expectPictureError(const Engine& engine)
{
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::Picture) << engine.lastError()->message;
    EXPECT_EQ(engine.lastError()->line, 0);
    EXPECT_FALSE(engine.lastError()->message.empty());
}

TEST_P(PlotPictures, PutPlotDrawsValidPicturesAndRefusesBrokenOnes)
{
    constexpr int kColumn = 3, kRow = 2;  // with 5 x 5 plots: the picture's corner at (15, 10)
    for (const auto& [file, expectation] : picturesOf(GetParam())) {
        SCOPED_TRACE(file);
        Engine engine;
        engine.screen().screenBuffer.fill(kBackground);
        runLine(engine, "putplot " + std::to_string(kColumn) + "," + std::to_string(kRow) + "," + file);
        if (engine.lastError()) {
            EXPECT_NE(expectation, Expectation::Loads) << engine.lastError()->message;
            expectPictureError(engine);
            continue;
        }
        EXPECT_NE(expectation, Expectation::Fails) << "a broken picture was accepted";
        // Damaged and questionable files need only not crash: what they decode to is open.
        if (expectation != Expectation::Loads) continue;
        // The picture at its own size, key-coloured pixels left out, the rest of the buffer kept.
        Bitmap picture = loadPicture(ludomat::test::corpusFolder() + "/" + file);
        const Bitmap& buffer = engine.screen().screenBuffer;
        int wrong = 0;
        for (int y = 0; y < buffer.height(); ++y) {
            for (int x = 0; x < buffer.width(); ++x) {
                Rgb source = picture.pixel(x - kColumn * kStartPlotSide, y - kRow * kStartPlotSide);
                bool drawn = source != kInvalidColour && source != kTransparentKey;
                wrong += buffer.pixel(x, y) != (drawn ? source : kBackground);
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels differ from the picture drawn at its cell";
    }
}

TEST_P(PlotPictures, ScanPlotTurnsValidPicturesIntoPlotsAndRefusesBrokenOnes)
{
    for (const auto& [file, expectation] : picturesOf(GetParam())) {
        SCOPED_TRACE(file);
        Engine engine;
        runLine(engine, "scanplot " + file + ",1,1");
        if (engine.lastError()) {
            EXPECT_NE(expectation, Expectation::Loads) << engine.lastError()->message;
            expectPictureError(engine);
            continue;
        }
        EXPECT_NE(expectation, Expectation::Fails) << "a broken picture was accepted";
        if (expectation != Expectation::Loads) continue;
        Bitmap picture = loadPicture(ludomat::test::corpusFolder() + "/" + file);
        const Rgb paper = engine.textSettings().paper();
        const Bitmap& buffer = engine.screen().screenBuffer;
        int wrongCells = 0, wrongPlots = 0;
        for (int j = 0; j < std::min(picture.height(), kPlotRows - 1); ++j) {
            for (int i = 0; i < std::min(picture.width(), kPlotColumns - 1); ++i) {
                Rgb colour = picture.pixel(i, j);
                wrongCells += engine.plots().cell(1 + i, 1 + j) != (colour == paper ? 0 : kPlotSet);
                // Each plot is a 5 x 5 block of the pixel's colour; test two opposite corners.
                int x = (1 + i) * kStartPlotSide, y = (1 + j) * kStartPlotSide;
                if (buffer.contains(x + 4, y + 4))
                    wrongPlots += buffer.pixel(x, y) != colour || buffer.pixel(x + 4, y + 4) != colour;
            }
        }
        EXPECT_EQ(wrongCells, 0);
        EXPECT_EQ(wrongPlots, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, PlotPictures, ::testing::Values("png", "gif", "jpeg", "bmp"));

}  // namespace
