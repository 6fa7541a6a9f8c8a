#pragma once

#include "graphics/bitmap.h"
#include "graphics/picture_error.h"

#include <string>

namespace ludomat {

// Pictures whose header claims a larger side are refused before any pixel memory is taken.
inline constexpr int kMaxPictureSide = 16384;

// Loads by the file name: each of ".png", ".jpg", ".bmp", ".gif" found anywhere in the path
// (case-sensitive) decodes the file in that order, a later match replacing an earlier one.
// The result is then marked transparent with the magenta key, whether or not anything was
// decoded. Returns false, leaving the pixels alone, when the name matches none. Throws
// PictureError on a missing, unreadable or damaged file.
bool loadPictureInto(const std::string& path, Bitmap& target);

// The same into a fresh bitmap; a name without a picture extension throws PictureError.
Bitmap loadPicture(const std::string& path);

// Single decoders, whatever the name. The results are 24-bit and not yet transparent.
// PNG: palettes and grey are expanded, 16-bit samples scaled to 8 bits, alpha (and tRNS)
// dropped so each pixel keeps its stored colour.
Bitmap loadPng(const std::string& path);
// JPEG: grey and colour, baseline, progressive and arithmetic-coded; CMYK and YCCK are
// converted to RGB (Adobe files store CMYK inverted). 8-bit samples only.
Bitmap loadJpeg(const std::string& path);
// Windows bitmaps, through the toolkit's reader.
Bitmap loadBmp(const std::string& path);
// GIF: the first image, placed on the logical screen. The screen starts out as the
// transparent key, and the image's transparent pixels stay that way, so only the first image's
// opaque pixels are drawn when the picture is. A screen of zero size takes the image's extent.
// A pixel index beyond its colour table is an error.
Bitmap loadGif(const std::string& path);

// The size a picture file's header tells, read without decoding; sides are 0 or negative
// when it tells none.
struct PictureSize {
    int width = 0;
    int height = 0;
};
PictureSize announcedPictureSize(const std::string& path);

// A baseline JPEG of the bitmap in memory (quality 0..100, the codec's default 75).
std::string encodeJpeg(const Bitmap& bitmap, int quality = 75);
// Writes a baseline JPEG (quality 0..100, the codec's default 75). The file is written only
// once compression has succeeded.
void saveJpeg(const Bitmap& bitmap, const std::string& path, int quality = 75);

} // namespace ludomat
