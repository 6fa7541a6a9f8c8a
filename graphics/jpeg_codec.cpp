// JPEG decoding and encoding with libjpeg. libjpeg reports errors through error_exit, which
// here longjmps back; the calls that can fail live in small functions whose frames hold
// nothing with a destructor, and reach their state through plain context structs.

#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace ludomat {

namespace {

struct JpegErrors
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (premature end of data, extraneous bytes) leave a usable picture; stay quiet.
void onJpegMessage(j_common_ptr) {}

void initErrors(JpegErrors& errors)
{
    jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.output_message = onJpegMessage;
    errors.message[0] = '\0';
}

struct JpegReadContext
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    bool created = false;
    bool tooLarge = false;
    bool cmyk = false;
};

bool readJpegHeader(JpegReadContext* context, std::FILE* file)
{
    if (setjmp(context->errors.jump))
        return false;
    jpeg_create_decompress(&context->info);
    context->created = true;
    jpeg_stdio_src(&context->info, file);
    jpeg_read_header(&context->info, TRUE);
    if (context->info.image_width > JDIMENSION(kMaxPictureSide) ||
        context->info.image_height > JDIMENSION(kMaxPictureSide)) {
        context->tooLarge = true;
        return false;
    }
    const J_COLOR_SPACE space = context->info.jpeg_color_space;
    context->cmyk = space == JCS_CMYK || space == JCS_YCCK;
    // libjpeg cannot turn CMYK into RGB; take CMYK and convert it here. Everything else
    // comes out as B, G, R, X bytes: a Bitmap's words.
    context->info.out_color_space = context->cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&context->info);
    return true;
}

// Adobe writes CMYK inverted (0 is full ink); other writers store ink amounts.
void cmykRowToPixels(const JSAMPLE* cmyk, std::uint32_t* pixels, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        const unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        pixels[x] = kOpaque | (r << 16) | (g << 8) | b;
    }
}

bool readJpegPixels(JpegReadContext* context, std::uint32_t* pixels, JSAMPLE* cmykRow)
{
    if (setjmp(context->errors.jump))
        return false;
    jpeg_decompress_struct* info = &context->info;
    const JDIMENSION width = info->output_width;
    const bool inverted = info->saw_Adobe_marker;
    while (info->output_scanline < info->output_height) {
        std::uint32_t* line = pixels + std::size_t(info->output_scanline) * width;
        JSAMPROW row = context->cmyk ? cmykRow : reinterpret_cast<JSAMPROW>(line);
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            break;
        if (context->cmyk) {
            cmykRowToPixels(cmykRow, line, width, inverted);
        } else {
            for (JDIMENSION x = 0; x < width; ++x)
                line[x] |= kOpaque;
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

struct JpegReader
{
    JpegReadContext context;

    ~JpegReader()
    {
        if (context.created)
            jpeg_destroy_decompress(&context.info);
    }
};

struct JpegWriteContext
{
    jpeg_compress_struct info;
    JpegErrors errors;
    bool created = false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool compressJpeg(JpegWriteContext* context, const Bitmap* bitmap, int quality)
{
    if (setjmp(context->errors.jump))
        return false;
    jpeg_create_compress(&context->info);
    context->created = true;
    jpeg_mem_dest(&context->info, &context->buffer, &context->size);
    context->info.image_width = JDIMENSION(bitmap->width());
    context->info.image_height = JDIMENSION(bitmap->height());
    context->info.input_components = 4;
    context->info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&context->info);
    jpeg_set_quality(&context->info, quality, TRUE);
    jpeg_start_compress(&context->info, TRUE);
    while (context->info.next_scanline < context->info.image_height) {
        const std::uint32_t* line = bitmap->scanLine(int(context->info.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(line));
        jpeg_write_scanlines(&context->info, &row, 1);
    }
    jpeg_finish_compress(&context->info);
    return true;
}

struct JpegWriter
{
    JpegWriteContext context;

    ~JpegWriter()
    {
        if (context.created)
            jpeg_destroy_compress(&context.info);
        std::free(context.buffer);
    }
};

} // namespace

Bitmap loadJpeg(const std::string& path)
{
    const detail::FilePtr file = detail::openForReading(path);
    JpegReader reader;
    JpegReadContext& context = reader.context;
    context.info.err = &context.errors.base;
    initErrors(context.errors);
    if (!readJpegHeader(&context, file.get())) {
        if (context.tooLarge)
            detail::checkPictureSize(context.info.image_width, context.info.image_height);
        throw PictureError(context.errors.message);
    }
    Bitmap bitmap(int(context.info.output_width), int(context.info.output_height), 0x000000);
    std::vector<JSAMPLE> cmykRow(context.cmyk ? std::size_t(context.info.output_width) * 4 : 0);
    if (!readJpegPixels(&context, bitmap.scanLine(0), cmykRow.data()))
        throw PictureError(context.errors.message);
    return bitmap;
}

std::string encodeJpeg(const Bitmap& bitmap, int quality)
{
    JpegWriter writer;
    JpegWriteContext& context = writer.context;
    context.info.err = &context.errors.base;
    initErrors(context.errors);
    if (quality < 0 || quality > 100)
        quality = 75;
    if (!compressJpeg(&context, &bitmap, quality))
        throw PictureError(context.errors.message, PictureErrorKind::Unwritable);
    return std::string(reinterpret_cast<const char*>(context.buffer), context.size);
}

void saveJpeg(const Bitmap& bitmap, const std::string& path, int quality)
{
    const std::string bytes = encodeJpeg(bitmap, quality);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw PictureError("Cannot write picture \"" + path + "\": " + std::strerror(errno),
                           PictureErrorKind::Unwritable, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        throw PictureError("Cannot write picture \"" + path + "\": " + std::strerror(errno),
                           PictureErrorKind::Unwritable, errno);
}

} // namespace ludomat
