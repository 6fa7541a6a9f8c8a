#include "engine/text_values.h"

#include "engine/error_messages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ludomat {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int32_t> parseInt(std::string_view text)
{
    // Most texts are short plain decimals: read them without the general checks.
    if (!text.empty() && text.size() <= 10) {
        size_t start = text[0] == '-' ? 1 : 0;
        size_t digits = text.size() - start;
        if (digits >= 1 && digits <= 9) {
            uint32_t value = 0;
            size_t j = start;
            for (; j < text.size(); ++j) {
                unsigned d = unsigned(text[j] - '0');
                if (d > 9) break;
                value = value * 10 + d;
            }
            if (j == text.size()) return start ? -int32_t(value) : int32_t(value);
        }
    }

    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) return std::nullopt;

    if (text[i] == '$') {
        // Hexadecimal reads up to 32 bits and keeps their two's-complement meaning.
        ++i;
        if (i >= text.size()) return std::nullopt;
        uint64_t value = 0;
        for (; i < text.size(); ++i) {
            int d = hexDigit(text[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + uint64_t(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        uint32_t bits = uint32_t(value);
        return int32_t(negative ? 0u - bits : bits);
    }

    int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return int32_t(value);
}

int32_t toIntStrict(std::string_view text)
{
    auto n = parseInt(text);
    if (!n) throwConversionError(text);
    return *n;
}

void assignInt(std::string& out, int32_t value)
{
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    size_t length = size_t(result.ptr - buffer);
    // A counter usually keeps its number of digits: overwrite in place.
    if (out.size() == length) std::memcpy(out.data(), buffer, length);
    else out.assign(buffer, length);
}

std::string intToText(int32_t value)
{
    std::string text;
    assignInt(text, value);
    return text;
}

std::string formatGeneral(double value)
{
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";

    char digits[32];
    std::snprintf(digits, sizeof digits, "%.14e", value);  // d.dddddddddddddde±XX
    std::string_view text(digits);
    size_t ePos = text.find('e');
    int exponent = std::atoi(digits + ePos + 1);
    bool negative = digits[0] == '-';
    std::string mantissa;
    for (char c : text.substr(0, ePos))
        if (c >= '0' && c <= '9') mantissa += c;
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

    std::string out = negative ? "-" : "";
    // Fixed notation while the integer part fits the precision and the value is not tiny.
    if (exponent < 15 && std::fabs(value) >= 0.00001) {
        if (exponent >= 0) {
            std::string intPart = mantissa.substr(0, std::min<size_t>(mantissa.size(), size_t(exponent) + 1));
            intPart.append(size_t(exponent) + 1 - intPart.size(), '0');
            out += intPart;
            if (mantissa.size() > size_t(exponent) + 1) {
                out += '.';
                out.append(mantissa, size_t(exponent) + 1);
            }
        } else {
            out += "0.";
            out.append(size_t(-exponent - 1), '0');
            out += mantissa;
        }
        return out;
    }
    out += mantissa.substr(0, 1);
    if (mantissa.size() > 1) {
        out += '.';
        out.append(mantissa, 1);
    }
    out += "E";
    if (exponent < 0) out += "-";
    out += std::to_string(std::abs(exponent));
    return out;
}

int32_t toColour(std::string_view text)
{
    // Reorder red-green-blue pairs to blue-green-red by character position, as the toolkit expects.
    std::string reordered = "$";
    if (text.size() > 4) reordered.append(text.substr(4, 2));
    if (text.size() > 2) reordered.append(text.substr(2, 2));
    reordered.append(text.substr(0, std::min<size_t>(2, text.size())));
    auto colour = parseInt(reordered);
    if (!colour) raiseError(ErrorMessage::BadColour, text);
    return *colour;
}

std::string unescapeText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '~') c = ' ';
        else if (c == '^') c = ',';
    }
    return out;
}

std::string_view trimBlanks(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

}  // namespace ludomat
