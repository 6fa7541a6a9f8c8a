#include "online/body_decoding.h"

#include <zlib.h>

namespace ludomat {

namespace {

std::optional<QByteArray> inflateBody(const QByteArray& body, int windowBits, qint64 limit)
{
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = uInt(body.size());
    QByteArray plain;
    char buffer[64 * 1024];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        plain.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        if (plain.size() > limit) result = Z_MEM_ERROR;
        if (result == Z_BUF_ERROR && stream.avail_in == 0) break;  // truncated
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) return std::nullopt;
    return plain;
}

}  // namespace

std::optional<QByteArray> decodeBody(const QByteArray& body, const QByteArray& contentEncoding, qint64 limit)
{
    QByteArray encoding = contentEncoding.trimmed().toLower();
    if (encoding.isEmpty() || encoding == "identity") return body;
    if (encoding == "gzip" || encoding == "x-gzip") return inflateBody(body, 16 + MAX_WBITS, limit);
    if (encoding == "deflate") {
        // "deflate" is meant as a zlib stream, but some servers send the bare deflate data.
        if (auto plain = inflateBody(body, MAX_WBITS, limit)) return plain;
        return inflateBody(body, -MAX_WBITS, limit);
    }
    return body;
}

}  // namespace ludomat
