#pragma once
// The tile strip shared by the tile-map commands and the tile-map editor: one picture holding
// the tiles side by side, tile n at x = n x tile width, y = 0, the tile size being the plot size.
// Magenta pixels are see-through where tiles are drawn with transparency.

#include "graphics/bitmap.h"
#include "graphics/rect.h"

#include <string>

namespace ludomat {

class TileSet {
public:
    // One 5 x 5 tile in black, the start plot size in the start paper colour.
    TileSet();

    Bitmap& picture() { return m_picture; }
    const Bitmap& picture() const { return m_picture; }
    // A freshly loaded strip; it is made see-through with the magenta key.
    void setPicture(Bitmap picture);

    // One tile of the given size filled with `paper`, as after a new plot size.
    void reset(int tileWidth, int tileHeight, Rgb paper);

    // Whole tiles the strip holds side by side at that tile width.
    int tileCount(int tileWidth) const;
    // Tile n lies wholly inside the strip. Tiles beyond it draw nothing.
    bool hasTile(long long n, int tileWidth) const { return n >= 0 && n < tileCount(tileWidth); }
    // The strip rectangle of tile n.
    static Rect tileRect(int n, int tileWidth, int tileHeight)
    {
        return Rect::fromXywh(n * tileWidth, 0, tileWidth, tileHeight);
    }

    // Copies tile n to `dest` at (x, y), its own size. With `transparent` the magenta pixels
    // are skipped. Nothing happens for a tile beyond the strip; parts beyond `dest` are cut.
    void drawTile(Bitmap& dest, long long x, long long y, long long n, int tileWidth, int tileHeight,
                  bool transparent) const;

    // The name of the picture file the strip was last loaded from ("" when none).
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

private:
    Bitmap m_picture;
    std::string m_name;
};

}  // namespace ludomat
