// The desktop's Windows-bitmap reader and header probe, both the toolkit's.
#include "graphics/picture_loader.h"

#include "graphics/picture_io.h"

#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace ludomat {

namespace {

long long littleEndian(const unsigned char* bytes, int count)
{
    unsigned long long v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return (long long)v;
}

// Refuses a bitmap whose header claims a huge size, with a clearer message than the
// toolkit's reader gives. Headers of other kinds are left for the reader to judge.
void checkBmpHeader(std::FILE* file)
{
    unsigned char header[26];
    if (std::fread(header, 1, sizeof header, file) != sizeof header || header[0] != 'B' || header[1] != 'M') return;
    const long long infoSize = littleEndian(header + 14, 4);
    if (infoSize == 12) {  // OS/2 1.x: 16-bit sizes
        detail::checkPictureSize(littleEndian(header + 18, 2), littleEndian(header + 20, 2));
    } else if (infoSize >= 16) {
        const auto width = std::int32_t(littleEndian(header + 18, 4));
        const auto height = std::int32_t(littleEndian(header + 22, 4));
        detail::checkPictureSize(std::llabs(width), std::llabs(height));
    }
}

}  // namespace

Bitmap loadBmp(const std::string& path)
{
    // The toolkit reads the file already opened and checked, never the name a second time.
    const detail::FilePtr handle = detail::openForReading(path);
    checkBmpHeader(handle.get());
    std::rewind(handle.get());
    QFile file;
    if (!file.open(handle.get(), QIODevice::ReadOnly))
        throw PictureError("Cannot open picture \"" + path + "\"", PictureErrorKind::Unreadable, EIO);
    QImageReader reader(&file, QByteArrayLiteral("bmp"));
    // Only the Windows-bitmap reader: a file of another kind named .bmp is an error.
    reader.setAutoDetectImageFormat(false);
    // Truncated and run-length pictures can leave pixels unwritten, and the reader does not clear
    // what it allocates: hand it a cleared picture so the result never shows leftover memory.
    QImage image;
    const QSize size = reader.size();
    // The toolkit's own reading of the header: it takes some headers of odd lengths for the
    // old 16-bit layout, which the check above does not, so the limit is applied here too. It
    // reports rows stored top-down as a negative height.
    detail::checkPictureSize(std::llabs(size.width()), std::llabs(size.height()));
    const QImage::Format format = reader.imageFormat();
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isValid() && format != QImage::Format_Invalid && qint64(size.width()) * size.height() * 4 <= limitBytes) {
        image = QImage(size, format);
        if (!image.isNull()) image.fill(0);
    }
    if (!reader.read(&image) || image.isNull()) throw PictureError(reader.errorString().toStdString());
    // Whatever the header said, no larger picture leaves the loader.
    detail::checkPictureSize(image.width(), image.height());
    return Bitmap::fromImage(image);
}

PictureSize announcedPictureSize(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    const QSize size = reader.size();
    return {size.width(), size.height()};
}

}  // namespace ludomat
