#include "graphics/tile_map_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace ludomat {

namespace {

constexpr std::size_t kDigitsPerCell = 2;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string inQuotes(std::string_view name) { return "\"" + std::string(name) + "\""; }

// The next line of `text` from `pos`, without its end; `pos` moves past the CR LF, LF or CR.
std::string_view nextLine(std::string_view text, std::size_t& pos)
{
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size()) {
        bool crLf = text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
        pos += crLf ? 2 : 1;
    }
    return line;
}

[[noreturn]] void tooLarge(std::string_view name)
{
    throw TileMapError(TileMapErrorKind::TooLarge, 0,
                       "The tile map " + inQuotes(name) + " is too large (at most " + std::to_string(kMaxMapColumns) +
                           " x " + std::to_string(kMaxMapRows) + " cells)");
}

void readRow(MapGrid& grid, int row, std::string_view line, std::size_t firstLength, std::string_view name)
{
    const int fileLine = row + 1;
    if (line.size() < firstLength)
        throw TileMapError(TileMapErrorKind::ShortLine, fileLine,
                           "Line " + std::to_string(fileLine) + " of " + inQuotes(name) + " has " +
                               std::to_string(line.size()) + " characters, fewer than the " +
                               std::to_string(firstLength) + " of its first line");
    for (int c = 0; c < grid.columns(); ++c) {
        std::string_view pair = line.substr(std::size_t(c) * kDigitsPerCell, kDigitsPerCell);
        int high = hexDigit(pair[0]);
        int low = hexDigit(pair[1]);
        if (high < 0 || low < 0)
            throw TileMapError(TileMapErrorKind::BadCell, fileLine,
                               "'" + std::string(pair) + "' is not a valid integer value (" + inQuotes(name) +
                                   ", line " + std::to_string(fileLine) + ")",
                               std::string(pair));
        grid.setTile(c, row, high * 16 + low);
    }
}

}  // namespace

MapGrid parseTileMap(std::string_view text, std::string_view name)
{
    MapGrid grid;
    grid.resize(0, 0);
    if (text.empty()) return grid;

    // Count the rows first, so the grid is sized once and a file of too many lines is refused
    // before any cell is made.
    std::size_t pos = 0;
    std::string_view first = nextLine(text, pos);
    std::size_t rows = 1;
    while (pos < text.size()) {
        nextLine(text, pos);
        if (++rows > std::size_t(kMaxMapRows)) tooLarge(name);
    }
    std::size_t columns = first.size() / kDigitsPerCell;
    if (columns > std::size_t(kMaxMapColumns)) tooLarge(name);
    const std::size_t firstLength = columns * kDigitsPerCell;

    grid.resize(int(columns), int(rows));
    pos = 0;
    for (int r = 0; r < int(rows); ++r) readRow(grid, r, nextLine(text, pos), firstLength, name);
    return grid;
}

MapGrid readTileMapFile(const std::filesystem::path& path, std::string_view name)
{
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        throw TileMapError(TileMapErrorKind::Unreadable, 0,
                           "Cannot open file " + inQuotes(path.string()) + ". " + ec.message(), {}, ec.value());
    if (size > kMaxTileMapFileBytes) tooLarge(name);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw TileMapError(TileMapErrorKind::Unreadable, 0, "Cannot open file " + inQuotes(path.string()) + ".");
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad() || text.size() > kMaxTileMapFileBytes) {
        if (text.size() > kMaxTileMapFileBytes) tooLarge(name);
        throw TileMapError(TileMapErrorKind::Unreadable, 0, "Cannot read file " + inQuotes(path.string()) + ".");
    }
    return parseTileMap(text, name);
}

std::string formatTileMap(const MapGrid& grid)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(std::size_t(grid.rows()) * (std::size_t(grid.columns()) * kDigitsPerCell + 2));
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.columns(); ++c) {
            std::optional<int> tile = grid.tile(c, r);
            // Two digits hold 0..255; anything else would silently turn into another tile.
            if (!tile || *tile < 0 || *tile > 255)
                throw TileMapError(TileMapErrorKind::BadTileNumber, r + 1,
                                   "'" + grid.cellText(c, r) + "' is not a tile number 0 to 255 (map column " +
                                       std::to_string(c) + ", row " + std::to_string(r) + ")");
            out += kDigits[*tile >> 4];
            out += kDigits[*tile & 15];
        }
        out += "\r\n";
    }
    return out;
}

void writeTileMapFile(const std::filesystem::path& path, const MapGrid& grid)
{
    std::string text = formatTileMap(grid);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    if (!out)
        throw TileMapError(TileMapErrorKind::Unreadable, 0, "Cannot write file " + inQuotes(path.string()) + ".");
}

}  // namespace ludomat
