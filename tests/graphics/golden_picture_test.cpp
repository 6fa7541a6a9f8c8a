// Runs each golden case's script headless and compares the run-time screen with expected.png
// pixel for pixel. On a mismatch (or a missing expected.png) it writes actual.png and diff.png
// beside the script, so the difference can be looked at and a new picture accepted by hand.

#include "engine/engine.h"
#include "engine/script_files.h"
#include "graphics/bitmap.h"
#include "tools/headless_host.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace ludomat;

namespace {

constexpr qint64 kScriptTimeoutMs = 20000;

std::vector<std::string> goldenCases()
{
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(LUDOMAT_GOLDEN_DIR))
        if (entry.is_directory() && fs::exists(entry.path() / "script.scp"))
            out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// Differing pixels in red over a dimmed copy of the expected picture.
Bitmap diffPicture(const Bitmap& expected, const Bitmap& actual, int* differing)
{
    Bitmap diff(actual.width(), actual.height(), 0x000000);
    *differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            Rgb a = actual.pixel(x, y);
            Rgb e = expected.pixel(x, y);
            if (a != e) {
                ++*differing;
                diff.setPixel(x, y, 0xFF0000);
            } else {
                diff.setPixel(x, y, (a >> 2) & 0x3F3F3F);
            }
        }
    }
    return diff;
}

class GoldenPicture : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenPicture, ScreenMatchesExpectedPicture)
{
    fs::path folder = fs::path(LUDOMAT_GOLDEN_DIR) / GetParam();
    auto lines = readScriptFile(folder / "script.scp");
    ASSERT_TRUE(lines);

    HeadlessHost host;
    Engine engine(&host);
    engine.setGameFolder(folder.string());
    engine.setProgramFolder(folder.string());
    engine.script().setLines(*lines);
    host.setTimeout(kScriptTimeoutMs);
    engine.execute("script.scp");
    ASSERT_FALSE(host.timedOut());
    ASSERT_FALSE(engine.lastError()) << engine.lastError()->message;

    const Bitmap& actual = engine.screen().tela;
    fs::path expectedPath = folder / "expected.png";
    QImage expectedImage(QString::fromStdString(expectedPath.string()));
    if (expectedImage.isNull()) {
        actual.save((folder / "actual.png").string());
        FAIL() << "no expected.png; the screen was written to " << (folder / "actual.png");
    }
    Bitmap expected = Bitmap::fromImage(expectedImage);
    ASSERT_EQ(expected.width(), actual.width());
    ASSERT_EQ(expected.height(), actual.height());
    int differing = 0;
    Bitmap diff = diffPicture(expected, actual, &differing);
    if (differing > 0) {
        actual.save((folder / "actual.png").string());
        diff.save((folder / "diff.png").string());
    } else {
        fs::remove(folder / "actual.png");
        fs::remove(folder / "diff.png");
    }
    EXPECT_EQ(differing, 0) << "pixels differ; see actual.png and diff.png in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenPicture, ::testing::ValuesIn(goldenCases()));

}  // namespace

int main(int argc, char** argv)
{
    prepareHeadlessEnvironment();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
