#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ludomat {

namespace detail {

FilePtr openForReading(const std::string& path)
{
    // Without blocking, so a pipe under a picture's name cannot hold the program in open().
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        throw PictureError("Cannot open picture \"" + path + "\": " + std::strerror(code),
                           PictureErrorKind::Unreadable, code);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw PictureError("\"" + path + "\" is not a regular file", PictureErrorKind::NotRegular);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FilePtr file(::fdopen(fd, "rb"));
    if (!file) {
        const int code = errno;
        ::close(fd);
        throw PictureError("Cannot open picture \"" + path + "\": " + std::strerror(code),
                           PictureErrorKind::Unreadable, code);
    }
    return file;
}

void checkPictureSize(long long width, long long height)
{
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        throw PictureError("Picture of " + std::to_string(width) + " x " + std::to_string(height) +
                               " pixels is larger than " + std::to_string(kMaxPictureSide) + " x " +
                               std::to_string(kMaxPictureSide),
                           PictureErrorKind::TooLarge);
    }
}

} // namespace detail

bool loadPictureInto(const std::string& path, Bitmap& target)
{
    bool matched = false;
    auto has = [&path](const char* extension) { return path.find(extension) != std::string::npos; };
    if (has(".png")) {
        target = loadPng(path);
        matched = true;
    }
    if (has(".jpg")) {
        target = loadJpeg(path);
        matched = true;
    }
    if (has(".bmp")) {
        target = loadBmp(path);
        matched = true;
    }
    if (has(".gif")) {
        target = loadGif(path);
        matched = true;
    }
    target.setTransparentKey(kTransparentKey);
    target.setTransparent(true);
    return matched;
}

Bitmap loadPicture(const std::string& path)
{
    Bitmap bitmap;
    if (!loadPictureInto(path, bitmap))
        throw PictureError("\"" + path + "\" is not a picture name (.png, .jpg, .bmp or .gif)");
    return bitmap;
}

} // namespace ludomat
