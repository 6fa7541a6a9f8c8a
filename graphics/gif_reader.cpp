// GIF decoding with giflib. Only the first image is read, record by record, so a hostile size
// in a later image, or in the first one, is refused before memory is taken for it.

#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#include <gif_lib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace ludomat {

namespace {

int readFromFile(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* file = static_cast<std::FILE*>(gif->UserData);
    return int(std::fread(buffer, 1, std::size_t(length), file));
}

struct GifCloser
{
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void throwGifError(int code)
{
    const char* message = GifErrorString(code);
    throw PictureError(message ? message : "GIF decoding failed");
}

// Reads one extension block and all its sub-blocks; keeps a graphic control block's settings.
void readExtension(GifFileType* gif, GraphicsControlBlock& control)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        throwGifError(gif->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block)
        DGifExtensionToGCB(block[0], block + 1, &control);
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            throwGifError(gif->Error);
    }
}

// Row numbers in the order an image's rows are stored.
std::vector<int> storedRowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(std::size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    constexpr int kStart[] = {0, 4, 2, 1};
    constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    }
    return order;
}

Bitmap decodeFirstImage(GifFileType* gif, const GraphicsControlBlock& control)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        throwGifError(gif->Error);
    const GifImageDesc& image = gif->Image;
    detail::checkPictureSize(image.Width, image.Height);
    int screenWidth = gif->SWidth, screenHeight = gif->SHeight;
    if (screenWidth == 0 || screenHeight == 0) {
        screenWidth = image.Left + image.Width;
        screenHeight = image.Top + image.Height;
        detail::checkPictureSize(screenWidth, screenHeight);
    }
    const ColorMapObject* colours = image.ColorMap ? image.ColorMap : gif->SColorMap;
    if (!colours)
        throwGifError(D_GIF_ERR_NO_COLOR_MAP);

    // Whatever the first image does not cover, and its transparent pixels, stay see-through.
    Bitmap bitmap(screenWidth, screenHeight, kTransparentKey);
    if (image.Width <= 0 || image.Height <= 0)
        return bitmap;
    std::vector<GifPixelType> line(std::size_t(image.Width));
    for (int row : storedRowOrder(image.Height, image.Interlace)) {
        if (DGifGetLine(gif, line.data(), image.Width) == GIF_ERROR)
            throwGifError(gif->Error);
        const int y = image.Top + row;
        for (int x = 0; x < image.Width; ++x) {
            const int index = line[std::size_t(x)];
            if (index == control.TransparentColor)
                continue;
            // giflib does not check indices against the table; an index past it is damage.
            if (index >= colours->ColorCount)
                throw PictureError("GIF pixel index " + std::to_string(index) +
                                   " is outside its colour table of " +
                                   std::to_string(colours->ColorCount));
            const GifColorType& c = colours->Colors[index];
            bitmap.setPixel(image.Left + x, y, makeRgb(c.Red, c.Green, c.Blue));
        }
    }
    return bitmap;
}

} // namespace

Bitmap loadGif(const std::string& path)
{
    const detail::FilePtr file = detail::openForReading(path);
    int error = 0;
    GifPtr gif(DGifOpen(file.get(), readFromFile, &error));
    if (!gif)
        throwGifError(error);
    detail::checkPictureSize(gif->SWidth, gif->SHeight);

    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            throwGifError(gif->Error);
        switch (record) {
        case IMAGE_DESC_RECORD_TYPE:
            return decodeFirstImage(gif.get(), control);
        case EXTENSION_RECORD_TYPE:
            readExtension(gif.get(), control);
            break;
        case TERMINATE_RECORD_TYPE:
            throwGifError(D_GIF_ERR_NO_IMAG_DSCR);
        default:
            break;
        }
    }
}

} // namespace ludomat
