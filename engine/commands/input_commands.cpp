#include "engine/command_table.h"

namespace ludomat {

std::span<const CommandInfo> inputCommands() { return {}; }

}  // namespace ludomat
