// Pictures the loaders' fuzzers found mishandled, rebuilt byte by byte, each with the fault it
// showed. Every one must end in a PictureError without the harm it once did.

#include "graphics/picture_loader.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace ludomat {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

// A chunk with the checksum libpng wants; `declaredLength` may claim more than `data` holds.
void putChunk(Bytes& out, const char* type, const Bytes& data, std::uint32_t declaredLength)
{
    putBigEndian(out, declaredLength);
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, std::uint32_t(crc32(0L, typed.data(), uInt(typed.size()))));
}

std::string writeFile(const std::string& name, const Bytes& bytes)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

// The most address space the process has held so far, in kilobytes (0 where unknown).
long long peakVirtualKb()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmPeak:") {
            long long kb = 0;
            status >> kb;
            return kb;
        }
    return 0;
}

// A 32 x 32 grey picture whose text chunk claims 1.3 GB in a file of 80 bytes: libpng took
// memory by the claim before reading, so a tiny file cost 1.3 GB of address space.
TEST(PictureFuzzRegression, PngTextChunkClaimingGigabytesTakesNoSuchMemory)
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Bytes header = {0, 0, 0, 32, 0, 0, 0, 32, 8, 0, 0, 0, 0};
    putChunk(png, "IHDR", header, std::uint32_t(header.size()));
    const Bytes text = {'T', 'i', 't', 'l', 'e', 0, 0, 0, 'f', 'i', 0, 0};
    putChunk(png, "iTXt", text, 0x4E440048u);
    const std::string path = writeFile("ludomat-png-huge-chunk.png", png);

    const long long before = peakVirtualKb();
    EXPECT_THROW(loadPng(path), PictureError);
    const long long growthMb = (peakVirtualKb() - before) / 1024;
    EXPECT_LT(growthMb, 256) << "the loader took memory by the chunk's claimed length";
    std::filesystem::remove(path);
}

// Bitmaps whose header length (6) is neither the old 12-byte layout nor a newer one: the size
// check before reading skipped them, while the toolkit's reader took them for the old layout and
// decoded 255 x 16470 pixels, past the limit on a side; with the height's top bit set it reported
// a negative height (rows top-down), which the next check passed, and decoded 255 x 20138. Such
// headers are refused.
TEST(PictureFuzzRegression, BitmapHeaderOfOddLengthIsHeldToTheSizeLimit)
{
    for (const std::uint8_t heightHigh : {0x40, 0xb1}) {
        const Bytes bmp = {0x42, 0x4d, 0x40, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x97, 0x00, 0x00, 0x06,
                           0x00, 0x00, 0x00, 0xff, 0x00, 0x56, heightHigh, 0x01, 0x00, 0x18, 0x00, 0x54, 0x54, 0xdd, 0xaa};
        const std::string path = writeFile("ludomat-bmp-odd-header.bmp", bmp);
        EXPECT_THROW(loadBmp(path), PictureError) << "height bytes 56 " << int(heightHigh);
        std::filesystem::remove(path);
    }
}

}  // namespace
}  // namespace ludomat
