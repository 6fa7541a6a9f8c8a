#pragma once
// Scripts see keys as Windows virtual-key codes, so the key names a script tests keep their
// meaning on this platform.

#include <cstdint>

namespace ludomat {

// The virtual-key code of a Qt key (`Qt::Key` value), or 0 for a key that has none.
int32_t virtualKeyCode(int qtKey);

}  // namespace ludomat
