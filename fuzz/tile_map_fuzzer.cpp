// libFuzzer target for the tile-map file reader: any bytes must either give a map within the
// size limits or a TileMapError, and a map that was read must survive a write and a re-read
// unchanged.

#include "graphics/map_grid.h"
#include "graphics/tile_map_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace ludomat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    MapGrid grid;
    try {
        grid = parseTileMap(text, "fuzz.tlm");
    } catch (const TileMapError& e) {
        if (e.kind() == TileMapErrorKind::Unreadable || e.kind() == TileMapErrorKind::BadTileNumber) std::abort();
        return 0;
    }
    if (grid.columns() < 0 || grid.columns() > kMaxMapColumns || grid.rows() < 0 || grid.rows() > kMaxMapRows)
        std::abort();
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c) {
            auto tile = grid.tile(c, r);
            if (!tile || *tile < 0 || *tile > 255) std::abort();
        }
    // Every cell read is a writable tile number, and the written text reads back the same.
    std::string written = formatTileMap(grid);
    MapGrid again = parseTileMap(written, "fuzz.tlm");
    // A map of rows without columns writes blank lines, which read back as rows too.
    if (!(again == grid)) std::abort();
    return 0;
}
