// The bitmap's toolkit side on the desktop: views for QPainter, conversion and the file writers.
#include "graphics/bitmap.h"

#include "graphics/picture_error.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

namespace ludomat {

QImage Bitmap::view()
{
    if (isEmpty()) return QImage();
    return QImage(reinterpret_cast<uchar*>(m_pixels.data()), m_width, m_height, bytesPerLine(), QImage::Format_RGB32);
}

QImage Bitmap::view() const
{
    if (isEmpty()) return QImage();
    return QImage(reinterpret_cast<const uchar*>(m_pixels.data()), m_width, m_height, bytesPerLine(),
                  QImage::Format_RGB32);
}

Bitmap Bitmap::fromImage(const QImage& image)
{
    Bitmap result(image.width(), image.height());
    if (result.isEmpty()) return result;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        std::uint32_t* target = result.scanLine(y);
        for (int x = 0; x < result.width(); ++x) target[x] = source[x] | kOpaque;
    }
    return result;
}

void Bitmap::save(const std::string& path) const
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    const bool bmp = name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive);
    QImageWriter writer(name, bmp ? QByteArrayLiteral("bmp") : QByteArrayLiteral("png"));
    // RGB32 has no alpha, so both writers store 24 bits a pixel.
    if (!writer.write(view())) throw PictureError(writer.errorString().toStdString());
}

std::string Bitmap::encodeBmp() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !view().save(&buffer, "BMP"))
        throw PictureError("Cannot encode the picture as a Windows bitmap");
    return bytes.toStdString();
}

}  // namespace ludomat
