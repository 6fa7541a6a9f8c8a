// Every third-party test picture, read where it lies: valid ones load at their stated size,
// broken ones throw PictureError, and nothing crashes. Decoded pixels are checked against the
// toolkit's own, independent decoders.

#include "graphics/picture_loader.h"

#include "picture_corpus.h"
#include "test_util.h"

#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <set>

using namespace ludomat;
using test::CorpusPicture;
using test::Expectation;

namespace {

#define REQUIRE_CORPUS()                                                                         \
    do {                                                                                         \
        if (!test::corpusAvailable()) {                                                          \
            GTEST_SKIP() << "Shared test pictures not found at " << test::corpusFolder()         \
                         << " (set LUDOMAT_SHARED_DIR when configuring)";                        \
        }                                                                                        \
    } while (false)

std::vector<CorpusPicture> picturesExpected(Expectation e)
{
    std::vector<CorpusPicture> out;
    for (const CorpusPicture& p : test::readCorpus())
        if (p.expectation == e)
            out.push_back(p);
    return out;
}

std::string pathOf(const std::string& folderAndName)
{
    return test::corpusFolder() + "/" + folderAndName;
}

bool allOpaque(const Bitmap& b)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if ((b.scanLine(y)[x] >> 24) != 0xFF)
                return false;
    return true;
}

// The largest channel difference over pixels the toolkit decodes as fully opaque; -1 when the
// sizes differ. Counts the compared pixels in `compared`.
int maxDifference(const Bitmap& ours, const QImage& theirs, int* compared = nullptr)
{
    if (ours.width() != theirs.width() || ours.height() != theirs.height())
        return -1;
    const QImage argb = theirs.convertToFormat(QImage::Format_ARGB32);
    int worst = 0, n = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb t = argb.pixel(x, y);
            if (qAlpha(t) != 255)
                continue;
            const Rgb o = ours.pixel(x, y);
            ++n;
            worst = std::max({worst, std::abs(int((o >> 16) & 0xFF) - qRed(t)),
                              std::abs(int((o >> 8) & 0xFF) - qGreen(t)),
                              std::abs(int(o & 0xFF) - qBlue(t))});
        }
    if (compared)
        *compared = n;
    return worst;
}

} // namespace

TEST(PictureCorpus, ReadmeDescribesEveryFileOnDisk)
{
    REQUIRE_CORPUS();
    const auto pictures = test::readCorpus();
    std::set<std::string> described;
    std::map<std::string, int> perFolder;
    for (const CorpusPicture& p : pictures) {
        described.insert(p.folder + "/" + p.name);
        ++perFolder[p.folder];
    }
    std::set<std::string> onDisk;
    for (const std::string& f : test::filesOnDisk())
        onDisk.insert(f);
    EXPECT_EQ(described, onDisk);
    EXPECT_EQ(perFolder["png"], 175);
    EXPECT_EQ(perFolder["gif"], 28);
    EXPECT_EQ(perFolder["jpeg"], 28);
    EXPECT_EQ(perFolder["bmp"], 93);
    // The sizes of everything valid were understood.
    for (const CorpusPicture& p : pictures) {
        if (p.expectation == Expectation::Loads) {
            EXPECT_GT(p.width, 0) << p.name;
        }
    }
}

TEST(PictureCorpus, ValidPicturesLoadAtTheirStatedSize)
{
    REQUIRE_CORPUS();
    const auto valid = picturesExpected(Expectation::Loads);
    EXPECT_GT(valid.size(), 220u);
    for (const CorpusPicture& p : valid) {
        SCOPED_TRACE(p.folder + "/" + p.name);
        try {
            const Bitmap b = loadPicture(p.path);
            EXPECT_EQ(b.width(), p.width);
            EXPECT_EQ(b.height(), p.height);
            EXPECT_TRUE(b.isTransparent());
            EXPECT_EQ(b.transparentKey(), kTransparentKey);
            EXPECT_TRUE(allOpaque(b));
        } catch (const PictureError& e) {
            ADD_FAILURE() << "threw: " << e.what();
        }
    }
}

TEST(PictureCorpus, BrokenPicturesThrowPictureError)
{
    REQUIRE_CORPUS();
    const auto broken = picturesExpected(Expectation::Fails);
    EXPECT_EQ(broken.size(), 14u + 6u + 7u);
    for (const CorpusPicture& p : broken) {
        SCOPED_TRACE(p.folder + "/" + p.name);
        try {
            loadPicture(p.path);
            ADD_FAILURE() << "loaded without an error";
        } catch (const PictureError& e) {
            EXPECT_STRNE(e.what(), "");
        }
    }
}

TEST(PictureCorpus, QuestionableAndDamagedPicturesLoadOrFailCleanly)
{
    REQUIRE_CORPUS();
    int accepted = 0, rejected = 0;
    for (const CorpusPicture& p : picturesExpected(Expectation::Either)) {
        SCOPED_TRACE(p.folder + "/" + p.name);
        try {
            const Bitmap b = loadPicture(p.path);
            EXPECT_TRUE(allOpaque(b));
            if (p.width > 0 && p.folder != "bmp") { // BMP headers may lie; the others are exact
                EXPECT_EQ(b.width(), p.width);
            }
            ++accepted;
            if (std::getenv("LUDOMAT_LIST_PICTURES"))
                std::cout << "  accepted " << p.folder << "/" << p.name << "\n";
        } catch (const PictureError& e) {
            ++rejected;
            if (std::getenv("LUDOMAT_LIST_PICTURES"))
                std::cout << "  rejected " << p.folder << "/" << p.name << ": " << e.what() << "\n";
        }
    }
    RecordProperty("accepted", accepted);
    RecordProperty("rejected", rejected);
    EXPECT_GT(accepted + rejected, 70);
}

TEST(PictureCorpus, ErrorsCarryTheDecodersOwnMessages)
{
    REQUIRE_CORPUS();
    const std::pair<const char*, const char*> cases[] = {
        {"png/xs1n0g01.png", "Not a PNG file"},
        {"png/xcrn0g04.png", "PNG file corrupted by ASCII conversion"},
        {"png/xhdn0g08.png", "IHDR: CRC error"},
        {"png/xc9n2c08.png", "Invalid IHDR data"},
        {"png/xcsn0g01.png", "IDAT: CRC error"},
        {"jpeg/empty.jpg", "Empty input file"},
        {"jpeg/missing-sof.jpg", "JPEG datastream contains no image"},
        {"jpeg/max_size.jpg", "Maximum supported image dimension is 65500 pixels"},
        {"gif/no-data.gif", "No Image Descriptor detected"},
        {"gif/invalid-code.gif", "Image is defective, decoding aborted"},
        {"gif/max-size.gif", "larger than 16384 x 16384"},
        {"gif/invalid-colors.gif", "outside its colour table"},
        {"bmp/b/reallybig.bmp", "larger than 16384 x 16384"},
    };
    for (auto [file, message] : cases) {
        try {
            loadPicture(pathOf(file));
            ADD_FAILURE() << file << " loaded";
        } catch (const PictureError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos)
                << file << ": " << e.what();
        }
    }
}

TEST(PictureCorpus, PngPixelsMatchAnIndependentDecoder)
{
    REQUIRE_CORPUS();
    int checked = 0;
    for (const CorpusPicture& p : picturesExpected(Expectation::Loads)) {
        // The toolkit's reader misplaces pixels of 16-bit colour-key pictures; those two are
        // checked against values read from the raw file below.
        if (p.folder != "png" || p.name == "tbgn2c16.png" || p.name == "tbbn2c16.png")
            continue;
        SCOPED_TRACE(p.name);
        const Bitmap ours = loadPng(p.path);
        int compared = 0;
        // 16-bit samples may round one level apart.
        EXPECT_LE(maxDifference(ours, QImage(QString::fromStdString(p.path)), &compared), 1);
        checked += compared > 0;
    }
    EXPECT_GT(checked, 150);

    // 16-bit RGB with a white colour key: the key pixels keep their stored white, the rest
    // their own colour (row 2 of the file holds ffff.., ffff.., e3e3.., c9c9.., f1f1.. from x 12).
    for (const char* name : {"png/tbgn2c16.png", "png/tbbn2c16.png"}) {
        const Bitmap b = loadPng(pathOf(name));
        const Rgb expected[] = {0xFFFFFF, 0xFFFFFF, 0xE3E3E3, 0xC9C9C9, 0xF1F1F1};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(b.pixel(12 + i, 2), expected[i]) << name << " x " << 12 + i;
    }
}

TEST(PictureCorpus, InterlacedPicturesMatchTheirPlainTwins)
{
    REQUIRE_CORPUS();
    for (const char* kind : {"0g01", "0g02", "0g04", "0g08", "0g16", "2c08", "2c16", "3p01",
                             "3p02", "3p04", "3p08", "4a08", "4a16", "6a08", "6a16"}) {
        const std::string k = kind;
        EXPECT_EQ(loadPng(pathOf("png/basi" + k + ".png")), loadPng(pathOf("png/basn" + k + ".png")))
            << kind;
    }
    EXPECT_EQ(loadGif(pathOf("gif/treescap-interlaced.gif")), loadGif(pathOf("gif/treescap.gif")));
}

TEST(PictureCorpus, JpegPixelsMatchAnIndependentDecoderIncludingCmyk)
{
    REQUIRE_CORPUS();
    for (const char* name : {"testorig.jpg", "testimgp.jpg", "testimggray.jpg", "testimgari.jpg",
                             "jpg-cmyk-1.jpg", "jpg-cmyk-2.jpg", "pil_sample_cmyk.jpg",
                             "restarts.jpg", "jpg-size-33x33.jpg"}) {
        SCOPED_TRACE(name);
        const std::string path = pathOf(std::string("jpeg/") + name);
        QImageReader reader(QString::fromStdString(path));
        const QImage theirs = reader.read();
        ASSERT_FALSE(theirs.isNull()) << reader.errorString().toStdString();
        // Both use libjpeg's default decoding; CMYK conversions may round differently.
        EXPECT_LE(maxDifference(loadJpeg(path), theirs), 2);
    }
}

TEST(PictureCorpus, GifFirstFramesAndTransparency)
{
    REQUIRE_CORPUS();
    for (const char* name : {"depth1.gif", "gif87a.gif", "local-color-table.gif",
                             "no-global-color-table.gif"}) {
        const Bitmap b = loadGif(pathOf(std::string("gif/") + name));
        ASSERT_EQ(b.width(), 1) << name;
        EXPECT_EQ(b.pixel(0, 0), 0xFFFFFFu) << name;
    }
    const Bitmap transparent = loadGif(pathOf("gif/transparent.gif"));
    EXPECT_GT(test::countOf(transparent, kTransparentKey), 0);
    EXPECT_LT(test::countOf(transparent, kTransparentKey), 4);

    // A first frame wholly outside its screen leaves the screen see-through.
    const Bitmap offScreen = loadGif(pathOf("gif/animated_transparent_loop_frames_out_of_bounds.gif"));
    EXPECT_EQ(test::countOf(offScreen, kTransparentKey), 100 * 100);

    // The first frame of an animation, where the toolkit's decoder shows it opaque.
    for (const char* name : {"fire.gif", "welcome2.gif", "animated_loop.gif", "porsche.gif",
                             "x-trans.gif", "interlace.gif"}) {
        const std::string path = pathOf(std::string("gif/") + name);
        int compared = 0;
        EXPECT_EQ(maxDifference(loadGif(path), QImage(QString::fromStdString(path)), &compared), 0)
            << name;
        EXPECT_GT(compared, 0) << name;
    }
}

// Run-length and truncated bitmaps leave some pixels unwritten by the reader; they must come out
// the same whatever the memory held before, not as leftovers of earlier allocations.
TEST(PictureCorpus, PartlyWrittenBitmapsDecodeTheSameEveryTime)
{
    REQUIRE_CORPUS();
    const char* names[] = {"b/badrle.bmp", "b/badrle4.bmp", "b/shortfile.bmp", "q/pal4rlecut.bmp",
                           "q/pal8rlecut.bmp", "q/pal8rletrns.bmp", "q/pal4rletrns.bmp"};
    for (const char* name : names) {
        const std::string path = test::corpusFolder() + "/bmp/" + name;
        Bitmap first;
        try {
            first = loadBmp(path);
        } catch (const PictureError&) {
            continue;  // refusing the file is as good as decoding it the same way
        }
        // Leave freed memory full of a pattern where the next decode is likely to land.
        for (int fill : {0xAB, 0x5C}) {
            {
                std::vector<unsigned char> churn(size_t(first.width()) * first.height() * 4 + 4096, fill);
                volatile unsigned char sink = churn[churn.size() / 2];
                (void)sink;
            }
            EXPECT_TRUE(loadBmp(path) == first) << name << " decodes differently from run to run";
        }
    }
}
