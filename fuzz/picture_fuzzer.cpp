// libFuzzer target for the picture loaders, one binary per decoder (PICTURE_FUZZ_LOADER names
// it: png, jpeg, gif or bmp). Any bytes must give either a picture within the size limit, every
// pixel a colour with its unused top byte set, or a PictureError; never a crash, a read or write
// out of bounds, or undefined behaviour. The bytes go through a file because the loaders, like
// the game commands, read files by name. The codec libraries are not instrumented, so coverage
// counts only our side; for PNG the harness mends chunk checksums so mutations get past them.

#include "graphics/picture_loader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

using namespace ludomat;

namespace {

#ifndef PICTURE_FUZZ_LOADER
#error "define PICTURE_FUZZ_LOADER as png, jpeg, gif or bmp"
#endif
#define PICTURE_FUZZ_STRING2(x) #x
#define PICTURE_FUZZ_STRING(x) PICTURE_FUZZ_STRING2(x)

Bitmap load(const std::string& path)
{
    const std::string loader = PICTURE_FUZZ_STRING(PICTURE_FUZZ_LOADER);
    if (loader == "png") return loadPng(path);
    if (loader == "jpeg") return loadJpeg(path);
    if (loader == "gif") return loadGif(path);
    return loadBmp(path);
}

// One file per process, in memory when the system has a RAM disk.
const std::string& scratchPath()
{
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/ludomat-picture-fuzz-" + std::to_string(getpid());
    }();
    return path;
}

std::uint32_t bigEndian(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
}

// libpng refuses a critical chunk whose checksum is wrong, so nearly every mutation would end
// there: each whole chunk after the signature gets its checksum recomputed.
void fixPngChecksums(std::vector<std::uint8_t>& bytes)
{
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = bigEndian(&bytes[at]);
        if (length > bytes.size() - at - 12) break;
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), &bytes[at + 4], uInt(length + 4));
        for (int i = 0; i < 4; ++i) bytes[at + 8 + length + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

void writeScratch(const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (!file) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    std::fclose(file);
}

void checkPicture(const Bitmap& picture)
{
    if (picture.width() < 0 || picture.height() < 0 || picture.width() > kMaxPictureSide ||
        picture.height() > kMaxPictureSide)
        std::abort();
    // Whole-word comparisons of colours need the top byte set in every pixel.
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint32_t* row = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            if ((row[x] >> 24) != 0xFF) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::atexit([] { std::remove(scratchPath().c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (std::string(PICTURE_FUZZ_STRING(PICTURE_FUZZ_LOADER)) == "png") fixPngChecksums(bytes);
    writeScratch(bytes);
    try {
        checkPicture(load(scratchPath()));
    } catch (const PictureError&) {
    }
    return 0;
}
