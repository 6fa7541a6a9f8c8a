// Loader rules that the corpus does not cover: name tests, missing files, hostile sizes,
// truncated and damaged copies, and JPEG writing.

#include "graphics/picture_loader.h"

#include "picture_corpus.h"
#include "test_util.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

using namespace ludomat;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void putBigEndian32(Bytes& b, std::uint32_t v)
{
    for (int shift : {24, 16, 8, 0})
        b.push_back((v >> shift) & 0xFF);
}

void putLittleEndian16(Bytes& b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

std::uint32_t crc32(const unsigned char* data, std::size_t n)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putPngChunk(Bytes& png, const char* type, const Bytes& data)
{
    putBigEndian32(png, std::uint32_t(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBigEndian32(png, crc32(png.data() + start, png.size() - start));
}

// A well-formed PNG header claiming the given size, with no pixel data behind it.
Bytes pngClaiming(std::uint32_t width, std::uint32_t height)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    putBigEndian32(ihdr, width);
    putBigEndian32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    putPngChunk(png, "IHDR", ihdr);
    putPngChunk(png, "IEND", {});
    return png;
}

Bitmap gradient(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, makeRgb(x * 255 / w, y * 255 / h, 128));
    return b;
}

std::string messageOf(const std::function<void()>& load)
{
    try {
        load();
    } catch (const PictureError& e) {
        return e.what();
    }
    return "(no error)";
}

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

} // namespace

TEST(PictureLoader, NameTestsAreCaseSensitiveSubstrings)
{
    test::TempFolder folder;
    const Bitmap picture = gradient(6, 4);
    picture.save(folder.file("pic.png"));
    picture.save(folder.file("pic.PNG"));
    picture.save(folder.file("pic.png.old"));

    Bitmap target(2, 2, 0x123456);
    EXPECT_FALSE(loadPictureInto(folder.file("pic.PNG"), target));
    EXPECT_EQ(target.width(), 2); // nothing decoded...
    EXPECT_TRUE(target.isTransparent()); // ...but still made transparent with the key
    EXPECT_EQ(target.transparentKey(), kTransparentKey);

    EXPECT_TRUE(loadPictureInto(folder.file("pic.png.old"), target)); // anywhere in the name
    EXPECT_EQ(target, picture);
    EXPECT_EQ(loadPicture(folder.file("pic.png")), picture);
    EXPECT_THROW(loadPicture(folder.file("pic.PNG")), PictureError);

    // Every matching test decodes in turn: a PNG named .png.jpg fails in the JPEG decoder.
    picture.save(folder.file("both.png.jpg"));
    EXPECT_TRUE(contains(messageOf([&] { loadPicture(folder.file("both.png.jpg")); }), "JPEG"));
    // ...and a JPEG named .png.jpg fails first in the PNG decoder.
    saveJpeg(picture, folder.file("photo.png.jpg"));
    EXPECT_EQ(messageOf([&] { loadPicture(folder.file("photo.png.jpg")); }), "Not a PNG file");
}

TEST(PictureLoader, MissingFilesNameTheFile)
{
    test::TempFolder folder;
    for (const char* name : {"none.png", "none.jpg", "none.bmp", "none.gif"}) {
        const std::string path = folder.file(name);
        const std::string message = messageOf([&] { loadPicture(path); });
        EXPECT_TRUE(contains(message, path)) << message;
        EXPECT_TRUE(contains(message, "No such file")) << message;
    }
}

TEST(PictureLoader, HugeClaimedSizesAreRefusedBeforeDecoding)
{
    test::TempFolder folder;
    const std::string limit = "larger than 16384 x 16384";

    // libpng checks the limit itself as it reads the header, in its own words.
    writeBytes(folder.file("huge.png"), pngClaiming(20000, 20000));
    EXPECT_EQ(messageOf([&] { loadPng(folder.file("huge.png")); }),
              "Invalid IHDR data: Image width exceeds user limit in IHDR");
    writeBytes(folder.file("tall.png"), pngClaiming(1, 16385));
    EXPECT_TRUE(contains(messageOf([&] { loadPng(folder.file("tall.png")); }), "user limit"));
    writeBytes(folder.file("edge.png"), pngClaiming(16384, 1));
    EXPECT_TRUE(contains(messageOf([&] { loadPng(folder.file("edge.png")); }), "IEND"));

    // GIF: a huge screen, and a small screen holding a huge image.
    Bytes screen = {'G', 'I', 'F', '8', '9', 'a'};
    putLittleEndian16(screen, 20000);
    putLittleEndian16(screen, 10);
    screen.insert(screen.end(), {0, 0, 0, ';'});
    writeBytes(folder.file("screen.gif"), screen);
    EXPECT_TRUE(contains(messageOf([&] { loadGif(folder.file("screen.gif")); }), limit));
    Bytes image = {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0, 0, 0, ','};
    for (unsigned v : {0u, 0u, 30000u, 30000u})
        putLittleEndian16(image, v);
    image.insert(image.end(), {0x80, 0, 0, 0, 255, 255, 255, 2, 2, 0x4C, 0x01, 0, ';'});
    writeBytes(folder.file("image.gif"), image);
    EXPECT_TRUE(contains(messageOf([&] { loadGif(folder.file("image.gif")); }), limit));

    // JPEG: a real file with its frame header patched to 20000 x 20000.
    saveJpeg(gradient(8, 8), folder.file("small.jpg"));
    Bytes jpeg = readBytes(folder.file("small.jpg"));
    bool patched = false;
    for (std::size_t i = 0; i + 8 < jpeg.size() && !patched; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 7] = 20000 >> 8;
            jpeg[i + 6] = jpeg[i + 8] = 20000 & 0xFF;
            patched = true;
        }
    ASSERT_TRUE(patched);
    writeBytes(folder.file("huge.jpg"), jpeg);
    EXPECT_TRUE(contains(messageOf([&] { loadJpeg(folder.file("huge.jpg")); }), limit));

    // BMP: the header's width and height patched.
    gradient(4, 4).save(folder.file("small.bmp"));
    Bytes bmp = readBytes(folder.file("small.bmp"));
    for (std::size_t offset : {18u, 22u}) {
        bmp[offset] = 20000 & 0xFF;
        bmp[offset + 1] = 20000 >> 8;
    }
    writeBytes(folder.file("huge.bmp"), bmp);
    EXPECT_TRUE(contains(messageOf([&] { loadBmp(folder.file("huge.bmp")); }), limit));
}

TEST(PictureLoader, PngPaletteIndicesPastThePaletteReadAsBlack)
{
    test::TempFolder folder;
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    putBigEndian32(ihdr, 3);
    putBigEndian32(ihdr, 1);
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});
    putPngChunk(png, "IHDR", ihdr);
    putPngChunk(png, "PLTE", {0xFF, 0, 0, 0, 0xFF, 0});
    const QByteArray packed = qCompress(QByteArray("\x00\x00\x01\x07", 4));
    putPngChunk(png, "IDAT", Bytes(packed.begin() + 4, packed.end())); // drop Qt's length prefix
    putPngChunk(png, "IEND", {});
    writeBytes(folder.file("palette.png"), png);

    const Bitmap b = loadPng(folder.file("palette.png"));
    ASSERT_EQ(b.width(), 3);
    EXPECT_EQ(b.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(b.pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(b.pixel(2, 0), 0x000000u);
}

TEST(PictureLoader, TruncatedAndScrambledCopiesNeverCrash)
{
    if (!test::corpusAvailable())
        GTEST_SKIP() << "Shared test pictures not found at " << test::corpusFolder();
    test::TempFolder folder;
    int loaded = 0, failed = 0;
    for (const test::CorpusPicture& p : test::readCorpus()) {
        if (p.expectation != test::Expectation::Loads)
            continue;
        const Bytes whole = readBytes(p.path);
        const std::string extension = p.path.substr(p.path.size() - 4);
        for (int variant = 0; variant < 6; ++variant) {
            Bytes damaged = whole;
            if (variant < 4) {
                damaged.resize(whole.size() * std::size_t(variant + 1) / 5);
            } else {
                // Scramble a stretch in the middle (variant 4) or near the start (variant 5).
                const std::size_t from = variant == 4 ? whole.size() / 2 : std::min<std::size_t>(20, whole.size());
                for (std::size_t i = from; i < std::min(whole.size(), from + 16); ++i)
                    damaged[i] = static_cast<unsigned char>(damaged[i] * 31 + 7);
            }
            const std::string path = folder.file("damaged" + extension);
            writeBytes(path, damaged);
            try {
                const Bitmap b = loadPicture(path);
                EXPECT_LE(b.width(), kMaxPictureSide);
                ++loaded;
            } catch (const PictureError&) {
                ++failed;
            }
        }
    }
    RecordProperty("loaded", loaded);
    RecordProperty("failed", failed);
    EXPECT_GT(failed, 0);
}

TEST(JpegWriter, WritesAJpegThatReadsBackClose)
{
    test::TempFolder folder;
    const Bitmap original = gradient(64, 48);
    const std::string path = folder.file("foto.jpg");
    saveJpeg(original, path, 90);
    const Bytes bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    const Bitmap back = loadJpeg(path);
    ASSERT_EQ(back.width(), 64);
    ASSERT_EQ(back.height(), 48);
    int worst = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const Rgb a = original.pixel(x, y), b = back.pixel(x, y);
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
        }
    EXPECT_LE(worst, 12);
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(64, 48));

    // Lower quality, smaller file; an existing file is overwritten.
    saveJpeg(original, path, 10);
    EXPECT_LT(readBytes(path).size(), bytes.size());
    const std::string defaultQuality = folder.file("default.jpg");
    saveJpeg(original, defaultQuality);
    EXPECT_GT(readBytes(defaultQuality).size(), readBytes(path).size());
}

TEST(JpegWriter, FailuresThrowAndLeaveNoFile)
{
    test::TempFolder folder;
    EXPECT_TRUE(contains(messageOf([&] { saveJpeg(Bitmap(), folder.file("empty.jpg")); }),
                         "Empty JPEG image"));
    EXPECT_FALSE(std::ifstream(folder.file("empty.jpg")).good());
    EXPECT_THROW(saveJpeg(gradient(4, 4), folder.file("missing/folder/x.jpg")), PictureError);
}
