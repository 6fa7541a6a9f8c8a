#include "engine/command_table.h"

namespace ludomat {

std::span<const CommandInfo> spriteCommands() { return {}; }

}  // namespace ludomat
