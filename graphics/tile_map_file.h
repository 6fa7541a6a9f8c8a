#pragma once
// The tile-map file (".tlm"): one text line per map row, top row first, each cell two
// hexadecimal digits (00 is an empty cell), no separators and no header. The first line sets
// the number of columns (an odd last character is ignored); later lines may be longer, never
// shorter than those cells. Written with upper-case digits and CR LF after every line; read with either case and
// with CR LF, LF or CR line ends. Plain C++ with no toolkit, so it can be fuzzed on its own.

#include "graphics/map_grid.h"

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ludomat {

// Files above this size are refused unread: the largest map (kMaxMapColumns x kMaxMapRows
// cells) takes about 2 MB, so twice that leaves room for long lines and nothing more.
constexpr std::uintmax_t kMaxTileMapFileBytes = 4u << 20;

enum class TileMapErrorKind {
    Unreadable,     // the file cannot be opened or read
    TooLarge,       // beyond kMaxTileMapFileBytes, kMaxMapColumns or kMaxMapRows
    BadCell,        // a pair that is not two hexadecimal digits
    ShortLine,      // a line shorter than the first
    BadTileNumber,  // writing: a cell that is not a number 0..255
};

class TileMapError : public std::runtime_error {
public:
    // `line` counts from 1; 0 when the error concerns no one line.
    // `detail`: the offending cell's text; `errorNumber`: the system's reason for Unreadable.
    TileMapError(TileMapErrorKind kind, int line, const std::string& message, std::string detail = {},
                 int errorNumber = 0)
        : std::runtime_error(message), m_kind(kind), m_line(line), m_detail(std::move(detail)),
          m_errorNumber(errorNumber) {}
    TileMapErrorKind kind() const { return m_kind; }
    int line() const { return m_line; }
    const std::string& detail() const { return m_detail; }
    int errorNumber() const { return m_errorNumber; }

private:
    TileMapErrorKind m_kind;
    int m_line;
    std::string m_detail;
    int m_errorNumber;
};

// Reads the text of a map file; `name` is the file's name for error messages. An empty text
// gives an empty map (no rows, no columns). Throws TileMapError and produces nothing on error.
MapGrid parseTileMap(std::string_view text, std::string_view name);
// The same from a file; the grid's name is left to the caller.
MapGrid readTileMapFile(const std::filesystem::path& path, std::string_view name);

// The file text of a map. Throws TileMapError (BadTileNumber) for a cell that is not a whole
// number 0..255, naming its map column and row.
std::string formatTileMap(const MapGrid& grid);
// Writes the whole file, only once every cell has been converted. Throws TileMapError.
void writeTileMapFile(const std::filesystem::path& path, const MapGrid& grid);

}  // namespace ludomat
