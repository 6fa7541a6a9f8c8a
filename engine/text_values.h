#pragma once
// How script texts are read as numbers and colours, and how numbers are written back as text.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace ludomat {

// A signed 32-bit integer: leading blanks, an optional sign, decimal digits or "$" and hexadecimal
// digits. Anything else (trailing blanks, letters, empty, out of range) is not a number.
std::optional<int32_t> parseInt(std::string_view text);

// parseInt with the command's fallback for texts that are not numbers.
inline int32_t toIntOr(std::string_view text, int32_t fallback)
{
    auto n = parseInt(text);
    return n ? *n : fallback;
}

// parseInt for the conversions a command does not guard: ends the run with the conversion error.
int32_t toIntStrict(std::string_view text);

// Decimal text without leading zeros or plus sign, written into `out` (reuses its storage).
void assignInt(std::string& out, int32_t value);
std::string intToText(int32_t value);

// out = text, quicker than assign for the short texts registers mostly hold; `text` may be a
// piece of `out` itself.
inline void assignText(std::string& out, std::string_view text)
{
    const size_t n = text.size();
    if (n <= out.size()) {
        if (n) std::memmove(out.data(), text.data(), n);
        out.resize(n);
    } else {
        out.assign(text);
    }
}

// General format with up to 15 significant digits and "." as separator: 2.5, 5, 0.333333333333333.
std::string formatGeneral(double value);

// Six hex digits red-green-blue to the toolkit colour 0x00BBGGRR; a text that is not hexadecimal
// ends the run with the conversion error.
int32_t toColour(std::string_view text);

// "~" becomes a blank and "^" a comma, so text parameters can hold both.
std::string unescapeText(std::string_view text);

// Removes leading and trailing blanks and control characters (every byte up to the blank).
std::string_view trimBlanks(std::string_view text);

// Wrap-around 32-bit arithmetic, as the script's registers behave.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t wrapMul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }

}  // namespace ludomat
