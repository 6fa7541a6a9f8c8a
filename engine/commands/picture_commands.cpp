#include "engine/command_table.h"

namespace ludomat {

std::span<const CommandInfo> pictureCommands() { return {}; }

}  // namespace ludomat
