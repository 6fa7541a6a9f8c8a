#pragma once
// The names "inkey" and "stop" store for the key held down, and the way back from a name to
// its virtual-key code for tools that press keys by name.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ludomat {

// `KeyName`: the table's name for a virtual-key code ("Left", "Space", "F5"); any other
// non-zero code gives the one character of its low byte ("A" for 65, "7" for 55); 0 gives
// the empty text.
std::string keyName(int32_t virtualKey);

// The virtual-key code for a table name (any letter case: "left", "ENTER"), or for one letter
// or digit ("a" and "A" both give 65). Nothing for any other text.
std::optional<int32_t> keyCodeFromName(std::string_view name);

}  // namespace ludomat
