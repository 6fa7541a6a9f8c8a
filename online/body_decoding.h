#pragma once
// Reply bodies sent with "Content-Encoding: gzip" or "deflate", decoded by zlib. The client asks
// for exactly these two, so it decodes them itself.

#include <QByteArray>

#include <optional>

namespace ludomat {

// The plain body, or nothing when it is damaged or would grow beyond `limit` bytes (a small
// compressed body can claim gigabytes). An unknown or empty encoding returns the body as it is.
std::optional<QByteArray> decodeBody(const QByteArray& body, const QByteArray& contentEncoding, qint64 limit);

}  // namespace ludomat
