#pragma once

#ifndef LUDOMAT_NO_QT
#include <QString>
#endif
#include <string>
#include <string_view>

namespace ludomat {

// Script and register text is Windows-1252 bytes; these convert at the toolkit boundary.
// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character and map to the C1 control of the
// same number, so every byte string survives a round trip.
#ifndef LUDOMAT_NO_QT
QString fromCp1252(const std::string& bytes);

// Characters outside Windows-1252 become '?'.
std::string toCp1252(const QString& text);
#endif

// UTF-8 (our own message texts) to Windows-1252; characters it cannot hold, and malformed
// bytes, become '?'.
std::string utf8ToCp1252(std::string_view utf8);

// Windows-1252 bytes to UTF-8, the encoding of file names on disk.
std::string cp1252ToUtf8(std::string_view bytes);

char32_t cp1252ToUnicode(unsigned char byte);

// Returns '?' for a character that Windows-1252 cannot hold.
unsigned char unicodeToCp1252(char32_t codePoint);

}  // namespace ludomat
