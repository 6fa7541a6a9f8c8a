// Picture decoders and writers where libpng, libjpeg, giflib and the toolkit are not available
// (the web runtime): stb_image and stb_image_write. The results follow the desktop decoders'
// rules: 24 bits, alpha dropped, a GIF's transparent pixels left as the magenta key.
#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_PSD
#define STBI_NO_TGA
#define STBI_NO_HDR
#define STBI_NO_PIC
#define STBI_NO_PNM
// The web runtime has one thread; thread-local state would need the atomics feature there.
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace ludomat {

namespace {

std::string readWhole(const std::string& path)
{
    const detail::FilePtr file = detail::openForReading(path);
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) bytes.append(buffer, n);
    return bytes;
}

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

// Decodes to RGBA; a pixel with no opacity becomes `clearColour` when one is given.
Bitmap decode(const std::string& path, const char* kind, const Rgb* clearColour)
{
    const std::string bytes = readWhole(path);
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(data, int(bytes.size()), &width, &height, &channels))
        detail::checkPictureSize(width, height);
    std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load_from_memory(data, int(bytes.size()), &width, &height, &channels, 4));
    if (!pixels)
        throw PictureError("Cannot read " + std::string(kind) + " picture \"" + path + "\": " + stbi_failure_reason());
    detail::checkPictureSize(width, height);
    Bitmap result(width, height);
    const unsigned char* p = pixels.get();
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = result.scanLine(y);
        for (int x = 0; x < width; ++x, p += 4)
            row[x] =
                (clearColour && p[3] == 0) ? toPixel(*clearColour) : toPixel(Rgb(p[0]) << 16 | Rgb(p[1]) << 8 | p[2]);
    }
    return result;
}

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

std::vector<unsigned char> rgbBytes(const Bitmap& bitmap)
{
    std::vector<unsigned char> rgb;
    rgb.reserve(size_t(bitmap.width()) * size_t(bitmap.height()) * 3);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const Rgb c = bitmap.pixel(x, y);
            rgb.insert(rgb.end(), {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                   static_cast<unsigned char>(c)});
        }
    return rgb;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out.flush()) throw PictureError("Cannot write picture \"" + path + "\"");
}

}  // namespace

Bitmap loadPng(const std::string& path)
{
    return decode(path, "PNG", nullptr);
}

Bitmap loadJpeg(const std::string& path)
{
    return decode(path, "JPEG", nullptr);
}

Bitmap loadBmp(const std::string& path)
{
    return decode(path, "bitmap", nullptr);
}

Bitmap loadGif(const std::string& path)
{
    const Rgb key = kTransparentKey;
    return decode(path, "GIF", &key);
}

PictureSize announcedPictureSize(const std::string& path)
{
    int width = 0, height = 0, channels = 0;
    if (!stbi_info(path.c_str(), &width, &height, &channels)) return {};
    return {width, height};
}

std::string encodeJpeg(const Bitmap& bitmap, int quality)
{
    std::string bytes;
    if (bitmap.isEmpty()) throw PictureError("Cannot write an empty picture as JPEG");
    const std::vector<unsigned char> rgb = rgbBytes(bitmap);
    if (!stbi_write_jpg_to_func(appendBytes, &bytes, bitmap.width(), bitmap.height(), 3, rgb.data(),
                                std::clamp(quality, 1, 100)))
        throw PictureError("Cannot compress the picture as JPEG");
    return bytes;
}

void saveJpeg(const Bitmap& bitmap, const std::string& path, int quality)
{
    writeFile(path, encodeJpeg(bitmap, quality));
}

std::string Bitmap::encodeBmp() const
{
    std::string bytes;
    if (isEmpty()) throw PictureError("Cannot write an empty picture");
    const std::vector<unsigned char> rgb = rgbBytes(*this);
    if (!stbi_write_bmp_to_func(appendBytes, &bytes, m_width, m_height, 3, rgb.data()))
        throw PictureError("Cannot encode the picture as a Windows bitmap");
    return bytes;
}

void Bitmap::save(const std::string& path) const
{
    const bool bmp = path.size() >= 4 &&
                     (path.compare(path.size() - 4, 4, ".bmp") == 0 || path.compare(path.size() - 4, 4, ".BMP") == 0);
    if (bmp) {
        writeFile(path, encodeBmp());
        return;
    }
    std::string bytes;
    const std::vector<unsigned char> rgb = rgbBytes(*this);
    if (isEmpty() || !stbi_write_png_to_func(appendBytes, &bytes, m_width, m_height, 3, rgb.data(), m_width * 3))
        throw PictureError("Cannot write picture \"" + path + "\"");
    writeFile(path, bytes);
}

}  // namespace ludomat
