#include "graphics/tile_set.h"

#include "graphics/blit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ludomat {

namespace {
constexpr int kStartTileSide = 5;
constexpr Rgb kStartPaper = 0x000000;
// "defplot" takes any plot size; the paper tile it leaves is cut to this side so a huge plot
// size cannot take gigabytes. It still covers the widest full-screen display.
constexpr int kMaxResetTileSide = 2048;
}  // namespace

TileSet::TileSet() { reset(kStartTileSide, kStartTileSide, kStartPaper); }

void TileSet::setPicture(Bitmap picture)
{
    m_picture = std::move(picture);
    m_picture.setTransparentKey(kTransparentKey);
    m_picture.setTransparent(true);
}

void TileSet::reset(int tileWidth, int tileHeight, Rgb paper)
{
    setPicture(Bitmap(std::clamp(tileWidth, 0, kMaxResetTileSide), std::clamp(tileHeight, 0, kMaxResetTileSide), paper));
}

int TileSet::tileCount(int tileWidth) const
{
    return tileWidth > 0 ? m_picture.width() / tileWidth : 0;
}

void TileSet::drawTile(Bitmap& dest, long long x, long long y, long long n, int tileWidth, int tileHeight,
                       bool transparent) const
{
    if (!hasTile(n, tileWidth) || tileHeight <= 0) return;
    // A tile wholly off the destination draws nothing; this also keeps the corner within int.
    if (x >= dest.width() || y >= dest.height() || x + tileWidth <= 0 || y + tileHeight <= 0) return;
    const Rect source = tileRect(int(n), tileWidth, tileHeight);
    const Rect target = Rect::fromXywh(int(x), int(y), tileWidth, tileHeight);
    const Rgb key = kTransparentKey;
    // A map draws hundreds of tiles a frame, nearly all wholly inside the screen and the strip:
    // those are copied row by row here, without the general copy's clipping and checks.
    const bool inside = x >= 0 && y >= 0 && x + tileWidth <= dest.width() && y + tileHeight <= dest.height();
    if (inside && &dest != &m_picture && tileHeight <= m_picture.height()) {
        std::uint32_t* to = dest.scanLine(int(y)) + x;
        const std::uint32_t* from = m_picture.scanLine(0) + source.left;
        if (transparent) {
            copyKeyedRows(to, dest.width(), from, m_picture.width(), tileWidth, tileHeight, toPixel(key));
            return;
        }
        for (int row = 0; row < tileHeight; ++row)
            std::memcpy(to + std::ptrdiff_t(row) * dest.width(), from + std::ptrdiff_t(row) * m_picture.width(),
                        std::size_t(tileWidth) * 4);
        return;
    }
    stretchCopy(dest, target, m_picture, source, transparent ? &key : nullptr);
}

}  // namespace ludomat
