#include "engine/key_names.h"

#include <array>
#include <cctype>

namespace ludomat {

namespace {

struct NamedKey {
    int32_t code;
    std::string_view name;
};

constexpr std::array<NamedKey, 31> kNamedKeys{{
    {8, "Back"},   {9, "Tab"},    {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"},  {18, "Alt"},
    {20, "Caps"},  {27, "Esc"},   {32, "Space"}, {33, "PgUp"},  {34, "PgDw"},  {35, "End"},
    {36, "Home"},  {37, "Left"},  {38, "Up"},    {39, "Right"}, {40, "Down"},  {45, "Ins"},
    {46, "Del"},   {112, "F1"},   {113, "F2"},   {114, "F3"},   {115, "F4"},   {116, "F5"},
    {117, "F6"},   {118, "F7"},   {119, "F8"},   {120, "F9"},   {121, "F10"},  {122, "F11"},
    {123, "F12"},
}};

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string keyName(int32_t virtualKey)
{
    if (virtualKey == 0) return {};
    for (const NamedKey& key : kNamedKeys)
        if (key.code == virtualKey) return std::string(key.name);
    return std::string(1, char(virtualKey & 0xFF));
}

std::optional<int32_t> keyCodeFromName(std::string_view name)
{
    for (const NamedKey& key : kNamedKeys)
        if (sameIgnoringCase(key.name, name)) return key.code;
    if (name.size() != 1) return std::nullopt;
    unsigned char c = static_cast<unsigned char>(name[0]);
    // Letter keys have the code of the upper-case letter, digit keys that of the digit.
    if (std::isalpha(c) && c < 0x80) return int32_t(std::toupper(c));
    if (std::isdigit(c)) return int32_t(c);
    return std::nullopt;
}

}  // namespace ludomat
