// Tile-map commands: load a map file and a tile strip, draw a window of the map onto the plot
// grid, and place single tiles or groups of tiles. Every drawn tile number is recorded in the
// plot matrix, where "gettile" (a synonym of "getplot") reads it back.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/script_error.h"
#include "engine/text_values.h"
#include "engine/tile_drawing.h"
#include "graphics/tile_map_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <optional>

#include "engine/error_messages.h"

#include <cerrno>

namespace ludomat {

namespace {

// The plot matrix holds bytes: a tile number outside them is drawn (if the strip has it) but
// not recorded, rather than recorded as some other tile.
void recordTile(Engine& engine, long long column, long long row, long long tile)
{
    if (tile >= 0 && tile <= 255) engine.plots().setCell(column, row, uint8_t(tile));
}

// Tile `tile` at plot cell (column, row), in buffer pixels: tiles are not scaled.
void drawTileAt(Engine& engine, long long column, long long row, long long tile, bool transparent)
{
    const PlotSettings& settings = engine.plotSettings();
    const int w = settings.plotWidth();
    const int h = settings.plotHeight();
    engine.tileSet().drawTile(engine.screen().screenBuffer, column * w, row * h, tile, w, h, transparent);
}

[[noreturn]] void raiseTileMapError(const std::string& name, const TileMapError& e)
{
    switch (e.kind()) {
    case TileMapErrorKind::TooLarge: raiseError(ErrorMessage::TileMapTooLarge, name);
    case TileMapErrorKind::BadCell: raiseError(ErrorMessage::TileMapBadCell, name, std::to_string(e.line()), e.detail());
    case TileMapErrorKind::ShortLine: raiseError(ErrorMessage::TileMapShortLine, name, std::to_string(e.line()));
    case TileMapErrorKind::Unreadable:
    case TileMapErrorKind::BadTileNumber: break;
    }
    throwFileOpenError(name, e.errorNumber() ? e.errorNumber() : EIO);
}

// False when the map file does not exist: the command then ends without touching the strip.
// A file that cannot be read ends the run and leaves the map as it was.
bool loadMap(Engine& engine, const std::string& name)
{
    if (!gameFileExists(engine, name)) return false;
    std::filesystem::path path = engine.readablePath(name);
    MapGrid grid;
    try {
        grid = readTileMapFile(path, name);
    } catch (const TileMapError& e) {
        raiseTileMapError(name, e);
    }
    grid.setName(name);
    engine.mapGrid() = std::move(grid);
    return true;
}

void loadTileStrip(Engine& engine, const std::string& name)
{
    if (!namesPicture(name) || !gameFileExists(engine, name)) return;
    // Decoded apart first, so a damaged picture leaves the strip as it was.
    Bitmap picture;
    loadGamePicture(engine, name, picture);
    engine.tileSet().setPicture(std::move(picture));
    engine.tileSet().setName(name);
}

// "tilemap" with a map name (or none): the map, then the tile strip.
void loadTileMap(Engine& engine, const std::string& mapName, const std::string& stripName)
{
    if (!mapName.empty() && !loadMap(engine, mapName)) return;
    if (!stripName.empty()) loadTileStrip(engine, stripName);
}

// The usual cell text, one to three digits, read without the general number reader; anything
// else is left to it.
std::optional<int> shortTileNumber(std::string_view text)
{
    if (text.empty() || text.size() > 3) return std::nullopt;
    int value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    return value;
}

// "tilemap" with numbers: the map window at (first column, first row) onto the plot grid at
// (px, py).
void drawMapWindowCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    const PlotSettings& settings = engine.plotSettings();
    auto atLeastZero = [](long long v) { return int(std::clamp<long long>(v, 0, INT32_MAX)); };
    int px = atLeastZero(numberParam(state, 1, "0", 0));
    int py = atLeastZero(numberParam(state, 2, "0", 0));
    // Empty or not a number: the rest of the screen grid from the start cell.
    int wd = atLeastZero(numberParam(state, 3, "", int32_t(std::max(kBaseWidth / settings.plotWidth() - px, 0))));
    int ht = atLeastZero(numberParam(state, 4, "", int32_t(std::max(kBaseHeight / settings.plotHeight() - py, 0))));
    int firstRow = atLeastZero(numberParam(state, 5, "0", 0));
    int firstColumn = atLeastZero(numberParam(state, 6, "0", 0));
    engine.mapView() = MapView{px, py, wd, ht, firstRow, firstColumn};
    drawMapWindow(engine, engine.mapView(), true);
}

void tileMapCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    // The map drawn every frame holds no text of its own: with none alive around the drawing, the
    // web runtime calls it directly rather than through its exception trampolines.
    std::string_view first = valueParam(state, 1);
    if (!first.empty() && first.find(".tlm") == std::string_view::npos) {
        drawMapWindowCommand(engine);
        return;
    }
    std::string file(first);
    loadTileMap(engine, file, std::string(valueParam(state, 2)));
}

// The tile of parameters 1 to 3 at its cell; the cell becomes the view's start. Returns the cell.
std::pair<int32_t, int32_t> placeFirstTile(Engine& engine, bool transparent)
{
    const EngineState& state = engine.state();
    int32_t column = numberParam(state, 1, "0", 0);
    int32_t row = numberParam(state, 2, "0", 0);
    int32_t tile = numberParam(state, 3, "0", 0);
    engine.mapView().px = column;
    engine.mapView().py = row;
    drawTileAt(engine, column, row, tile, transparent);
    recordTile(engine, column, row, tile);
    return {column, row};
}

void tileCommand(Engine& engine) { placeFirstTile(engine, true); }

// "tiles": the first tile at (column, row), then each dx|dy|n of the list relative to it, all
// opaque. A list entry that is not a number, or a last triple left incomplete, ends the run.
void tilesCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    auto [column, row] = placeFirstTile(engine, false);

    std::string_view list = valueParam(state, 4);
    long long triple[3];
    int filled = 0;
    while (!list.empty()) {
        size_t bar = list.find('|');
        std::string_view field = list.substr(0, bar);
        list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
        triple[filled++] = toIntStrict(field);
        if (filled < 3) continue;
        filled = 0;
        long long c = column + triple[0];
        long long r = row + triple[1];
        drawTileAt(engine, c, r, triple[2], false);
        recordTile(engine, c, r, triple[2]);
    }
    if (filled != 0) throwConversionError("");
}

const CommandInfo kCommands[] = {
    {"tilemap tilemap=", "mapa.tlm, tiles.png | coluna=0, linha=0, largura, altura, 1ª linha=0, 1ª coluna=0",
     "Carrega um mapa e a faixa de tiles, ou desenha uma janela do mapa na grade de plots.", tileMapCommand,
     "tilemap fase1.tlm,tiles.png\ndefplot 20,20\ntilemap 0,0,10,8\nrefresh"},
    {"tile tile=", "coluna=0, linha=0, tile=0", "Desenha um tile (magenta transparente) e grava seu número na matriz.",
     tileCommand,
     "clearbuf 000000\ntilemap fase1.tlm,tiles.png\ndefplot 20,20\ntile 1,1,2\nrefresh"},
    {"tiles tiles=", "coluna=0, linha=0, tile=0, dx|dy|n|...",
     "Desenha um grupo de tiles opacos a partir da célula e grava seus números na matriz.", tilesCommand,
     "clearbuf 000000\ntilemap fase1.tlm,tiles.png\ndefplot 20,20\ntiles 1,1,2,1|0|3|2|0|4\nrefresh"},
};

}  // namespace

std::span<const CommandInfo> tileCommands() { return kCommands; }

// Cells beyond the map, and empty cells, leave the screen and the matrix alone.
LUDOMAT_OUTSIDE_RUN_LOOP void drawMapWindow(Engine& engine, const MapView& view, bool recordTiles)
{
    const PlotSettings& settings = engine.plotSettings();
    const MapGrid& grid = engine.mapGrid();
    const long long px = std::max(view.px, 0);
    const long long py = std::max(view.py, 0);
    const int firstRow = std::max(view.firstRow, 0);
    const int firstColumn = std::max(view.firstColumn, 0);
    // Only cells of the map are visited, so a huge window costs no more than the map.
    long long rows = std::min<long long>(std::max(view.height, 0), std::max<long long>(grid.rows() - (long long)firstRow, 0));
    long long columns =
        std::min<long long>(std::max(view.width, 0), std::max<long long>(grid.columns() - (long long)firstColumn, 0));
    // Fetched once: a full-screen map is some 800 cells a frame.
    const TileSet& tiles = engine.tileSet();
    Bitmap& buffer = engine.screen().screenBuffer;
    const int w = settings.plotWidth();
    const int h = settings.plotHeight();
    for (long long j = 0; j < rows; ++j) {
        for (long long i = 0; i < columns; ++i) {
            int c = int(firstColumn + i);
            int r = int(firstRow + j);
            // A view: the string's own comparison may throw, which in the web runtime costs a
            // call out to JavaScript for every cell.
            const std::string_view text = grid.cellText(c, r);
            if (text == "0") continue;
            std::optional<int> tile = shortTileNumber(text);
            if (!tile) tile = grid.tile(c, r);
            if (!tile) throwConversionError(text);
            if (recordTiles) recordTile(engine, px + i, py + j, *tile);
            tiles.drawTile(buffer, (px + i) * w, (py + j) * h, *tile, w, h, true);
        }
    }
}

}  // namespace ludomat
