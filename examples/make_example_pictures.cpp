// Draws the pictures and the level map of the example games, so every file of the examples is
// our own work and can be made again: make-example-pictures FOLDER writes them into FOLDER.

#include "graphics/bitmap.h"
#include "graphics/blit.h"
#include "graphics/map_grid.h"
#include "graphics/tile_map_file.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

using ludomat::Bitmap;
using ludomat::Rect;
using ludomat::Rgb;

constexpr Rgb kKey = ludomat::kTransparentKey;
constexpr int kTile = 20;

void fillDisc(Bitmap& b, int cx, int cy, int rx, int ry, Rgb colour)
{
    for (int y = cy - ry; y <= cy + ry; ++y)
        for (int x = cx - rx; x <= cx + rx; ++x) {
            double dx = double(x - cx) / (rx + 0.5), dy = double(y - cy) / (ry + 0.5);
            if (dx * dx + dy * dy <= 1.0) b.setPixel(x, y, colour);
        }
}

// Tile 0 is never drawn by the map (its cells are empty); 1 is a brick wall, 2 the floor.
Bitmap tileStrip()
{
    Bitmap strip(3 * kTile, kTile, kKey);
    Bitmap& b = strip;
    ludomat::fillRect(b, Rect::fromXywh(kTile, 0, kTile, kTile), 0x7A2E1E);
    for (int row = 0; row < 4; ++row) {
        int y = row * 5;
        ludomat::fillRect(b, Rect::fromXywh(kTile, y + 4, kTile, 1), 0xC8B8A0);
        for (int x = (row % 2) * 5; x < kTile; x += 10)
            ludomat::fillRect(b, Rect::fromXywh(kTile + x, y, 1, 4), 0xC8B8A0);
    }
    ludomat::fillRect(b, Rect::fromXywh(2 * kTile, 0, kTile, kTile), 0x1E5A32);
    for (int i = 0; i < 6; ++i) b.setPixel(2 * kTile + (i * 7) % 19, (i * 11) % 19, 0x2E7A46);
    return strip;
}

// The hero looking right (frame 0) and left (frame 1).
Bitmap heroSheet()
{
    Bitmap sheet(2 * kTile, kTile, kKey);
    for (int frame = 0; frame < 2; ++frame) {
        int left = frame * kTile;
        fillDisc(sheet, left + 10, 10, 8, 8, 0xFFD040);
        int eye = frame == 0 ? 13 : 7;
        fillDisc(sheet, left + eye, 7, 1, 1, 0x000000);
        int mouth = frame == 0 ? 12 : 4;
        ludomat::fillRect(sheet, Rect::fromXywh(left + mouth, 13, 5, 1), 0x803000);
    }
    return sheet;
}

// A coin turning: four frames of shrinking and growing width.
Bitmap coinSheet()
{
    Bitmap sheet(4 * kTile, kTile, kKey);
    const int halfWidths[] = {6, 4, 1, 4};
    for (int frame = 0; frame < 4; ++frame) {
        fillDisc(sheet, frame * kTile + 10, 10, halfWidths[frame], 6, 0xF0C020);
        fillDisc(sheet, frame * kTile + 10, 10, std::max(halfWidths[frame] - 2, 0), 4, 0xFFE890);
    }
    return sheet;
}

// A ghost with a wavy hem, two frames.
Bitmap ghostSheet()
{
    Bitmap sheet(2 * kTile, kTile, kKey);
    for (int frame = 0; frame < 2; ++frame) {
        int left = frame * kTile;
        fillDisc(sheet, left + 10, 9, 8, 7, 0xB070F0);
        ludomat::fillRect(sheet, Rect::fromXywh(left + 2, 9, 17, 8), 0xB070F0);
        for (int x = 2 + frame * 2; x < 19; x += 4) ludomat::fillRect(sheet, Rect::fromXywh(left + x, 16, 2, 2), kKey);
        fillDisc(sheet, left + 7, 8, 1, 2, 0xFFFFFF);
        fillDisc(sheet, left + 13, 8, 1, 2, 0xFFFFFF);
    }
    return sheet;
}

// The menu's background: a night sky fading to the horizon, with a few stars.
Bitmap menuBackground()
{
    Bitmap sky(760, 420);
    for (int y = 0; y < 420; ++y) {
        Rgb colour = Rgb(0x10 + y / 12) << 16 | Rgb(0x20 + y / 8) << 8 | Rgb(0x50 + y / 5);
        ludomat::fillRect(sky, Rect::fromXywh(0, y, 760, 1), colour);
    }
    unsigned seed = 7;
    for (int i = 0; i < 80; ++i) {
        seed = seed * 1103515245u + 12345u;
        int x = int(seed >> 8) % 760;
        seed = seed * 1103515245u + 12345u;
        int y = int(seed >> 8) % 300;
        sky.setPixel(x, y, 0xFFFFFF);
    }
    return sky;
}

// A round-cornered button, raised or pressed; the corners are see-through.
Bitmap button(bool pressed)
{
    Bitmap b(160, 40, kKey);
    ludomat::fillRect(b, Rect::fromXywh(4, 0, 152, 40), pressed ? 0x206020 : 0x40A040);
    ludomat::fillRect(b, Rect::fromXywh(0, 4, 160, 32), pressed ? 0x206020 : 0x40A040);
    Rgb edge = pressed ? 0x104010 : 0xA0E0A0;
    ludomat::fillRect(b, Rect::fromXywh(4, pressed ? 38 : 0, 152, 2), edge);
    return b;
}

// The level: walls around, a wall splitting the top-left room, floor elsewhere.
ludomat::MapGrid level()
{
    ludomat::MapGrid grid;
    grid.resize(38, 21);
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 38; ++c) {
            bool border = r == 0 || r == 20 || c == 0 || c == 37;
            bool inner = c == 8 && r >= 1 && r <= 8;
            grid.setTile(c, r, border || inner ? 1 : 2);
        }
    return grid;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: make-example-pictures PASTA\n");
        return 2;
    }
    std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        auto save = [&](const Bitmap& picture, const char* name) { picture.save((folder / name).string()); };
        save(tileStrip(), "tiles.png");
        save(heroSheet(), "heroi.png");
        save(coinSheet(), "moeda.png");
        save(ghostSheet(), "fantasma.png");
        save(menuBackground(), "ceu.png");
        save(button(false), "botao.png");
        save(button(true), "botao_apertado.png");
        ludomat::writeTileMapFile(folder / "fase1.tlm", level());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-example-pictures: %s\n", e.what());
        return 1;
    }
    return 0;
}
