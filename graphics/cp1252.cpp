#include "graphics/cp1252.h"

#include <array>

namespace ludomat {

namespace {

// 0x80..0x9F, the only range where Windows-1252 differs from Latin-1.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) return kHighTable[byte - 0x80];
    return byte;
}

unsigned char unicodeToCp1252(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<unsigned char>(codePoint);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

std::string utf8ToCp1252(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        char32_t codePoint = length == 1   ? lead
                             : length == 2 ? (lead & 0x1F)
                             : length == 3 ? (lead & 0x0F)
                                           : (lead & 0x07);
        bool valid = length > 0 && i + std::size_t(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + std::size_t(k)]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        bytes.push_back(valid ? static_cast<char>(unicodeToCp1252(codePoint)) : '?');
        i += valid ? std::size_t(length) : 1;
    }
    return bytes;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const char32_t u = cp1252ToUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            utf8.push_back(static_cast<char>(u));
        } else if (u < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (u >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xE0 | (u >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return utf8;
}

#ifndef LUDOMAT_NO_QT
QString fromCp1252(const std::string& bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) text.append(QChar(static_cast<char16_t>(cp1252ToUnicode(static_cast<unsigned char>(c)))));
    return text;
}

std::string toCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i].unicode();
        // A surrogate pair is one character, so it becomes one '?'.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        bytes.push_back(static_cast<char>(unicodeToCp1252(codePoint)));
    }
    return bytes;
}

#endif

}  // namespace ludomat
