// PNG decoding with libpng. libpng reports errors by longjmp, so the calls that can fail live
// in two small functions whose frames hold nothing with a destructor; everything they touch
// is reached through a plain context struct.

#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ludomat {

namespace {

// libpng takes a text or profile chunk's memory by the length the chunk declares, before
// reading it, so a file of a few bytes could ask for gigabytes. No block it needs for a real
// picture comes near this (the pixels themselves are ours), so larger requests are refused:
// libpng then skips that chunk or reports the picture as damaged.
constexpr png_alloc_size_t kMaxPngBlockBytes = 32 * 1024 * 1024;

png_voidp boundedAllocate(png_structp, png_alloc_size_t size)
{
    return size <= kMaxPngBlockBytes ? std::malloc(size) : nullptr;
}

void release(png_structp, png_voidp block) { std::free(block); }

struct PngContext
{
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = "";
    char headerWarning[128] = "";
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

void onPngError(png_structp png, png_const_charp message)
{
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    // libpng explains a rejected header (say, a size over the limit) in a warning just before.
    if (context->headerWarning[0] != '\0')
        std::snprintf(context->message, sizeof context->message, "%s: %s", message, context->headerWarning);
    else
        std::snprintf(context->message, sizeof context->message, "%s", message);
    png_longjmp(png, 1);
}

// Other warnings (bad ancillary chunks, palette indices past the palette) leave a usable
// picture.
void onPngWarning(png_structp png, png_const_charp message)
{
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    if (std::strstr(message, "IHDR") && context->headerWarning[0] == '\0')
        std::snprintf(context->headerWarning, sizeof context->headerWarning, "%s", message);
}

// Asks libpng for 8-bit B, G, R, 0xFF bytes: in memory, the 0xFFRRGGBB words of a Bitmap.
void setTransforms(png_structp png, png_infop info)
{
    const int colourType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY)
        png_set_expand_gray_1_2_4_to_8(png);
    // Alpha, including tRNS that the palette expansion turns into alpha, is dropped:
    // transparency comes from the magenta key.
    png_set_strip_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
}

bool readPngHeader(PngContext* context)
{
    if (setjmp(png_jmpbuf(context->png)))
        return false;
    png_init_io(context->png, context->file);
    // The size limit is checked as the header is read, before any row memory is taken.
    png_set_user_limits(context->png, kMaxPictureSide, kMaxPictureSide);
    // Compressed text and profiles are inflated no further than this.
    png_set_chunk_malloc_max(context->png, kMaxPngBlockBytes);
    png_read_info(context->png, context->info);
    context->width = png_get_image_width(context->png, context->info);
    context->height = png_get_image_height(context->png, context->info);
    setTransforms(context->png, context->info);
    png_read_update_info(context->png, context->info);
    if (png_get_rowbytes(context->png, context->info) != png_size_t(context->width) * 4)
        png_error(context->png, "Unexpected row layout after conversion");
    return true;
}

bool readPngPixels(PngContext* context, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(context->png)))
        return false;
    png_read_image(context->png, rows);
    png_read_end(context->png, nullptr);
    return true;
}

// Frees libpng's structures on every way out.
struct PngReader
{
    PngContext context;

    ~PngReader()
    {
        if (context.png)
            png_destroy_read_struct(&context.png, context.info ? &context.info : nullptr, nullptr);
    }
};

} // namespace

Bitmap loadPng(const std::string& path)
{
    const detail::FilePtr file = detail::openForReading(path);
    PngReader reader;
    PngContext& context = reader.context;
    context.file = file.get();
    context.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &context, onPngError, onPngWarning,
                                           nullptr, boundedAllocate, release);
    if (!context.png)
        throw PictureError("libpng could not start");
    context.info = png_create_info_struct(context.png);
    if (!context.info)
        throw PictureError("libpng could not start");

    if (!readPngHeader(&context))
        throw PictureError(context.message);
    Bitmap bitmap(int(context.width), int(context.height));
    std::vector<png_bytep> rows(context.height);
    for (png_uint_32 y = 0; y < context.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(bitmap.scanLine(int(y)));
    if (!readPngPixels(&context, rows.data()))
        throw PictureError(context.message);
    return bitmap;
}

} // namespace ludomat
