#!/usr/bin/python3
"""The game scene of run_scene_bench.sh, in both forms, from one description.

  scene.py assets DIR          writes the tile strip, the map and the sprite sheet into DIR
  scene.py script DIR N [--no-sprites]
                               writes DIR/scene.scp: N frames of the scene for ludomat-run
  scene.py pygame DIR N [--no-sprites] [--snapshot FILE]
                               runs N frames of the same scene with pygame (the baseline)
  scene.py compare A B         exits 1 unless the two pictures hold the same pixels

One frame: the tile map, 38 x 21 tiles of 20 x 20 from a strip with magenta holes, scrolled one
column further every frame; 50 sprites of 32 x 32 frames (a sheet of four), magenta see-through,
each at a position that moves every frame and animated at its own pace; then the buffer onto the
screen. Positions, scrolling and animation follow the same rules on both sides, so the final
pictures of both must be equal, pixel for pixel; the benchmark checks that before timing.
"""

import os
import sys

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ["PYGAME_HIDE_SUPPORT_PROMPT"] = "1"

TILE = 20
TILES = 16  # in the strip; tile 0 is never placed, so every cell draws
VIEW_COLUMNS, VIEW_ROWS = 38, 21
MAP_COLUMNS = 60  # the view scrolls across it
SCROLL_LAST = MAP_COLUMNS - VIEW_COLUMNS
SPRITE = 32
FRAMES = 4
SPRITES = 50
WIDTH, HEIGHT = 760, 420
MAGENTA = (255, 0, 255)

# Sprite k stands at (x of column k mod 10, y of row k div 10). Each column and row moves by its
# own step every frame and wraps, partly off the edge at times so clipping is part of the work.
X_REGISTERS, Y_REGISTERS = 10, 5
X_FIRST, Y_FIRST = 10, 20  # script registers holding them
SCROLL_REGISTER, FRAME_REGISTER = 5, 1


def x_start(i): return 76 * i - 10
def x_step(i): return i % 3 + 1
def y_start(j): return 84 * j - 8
def y_step(j): return j % 2 + 2
X_WRAP, X_SPAN = WIDTH - 16, WIDTH  # beyond X_WRAP a column comes back X_SPAN further left
Y_WRAP, Y_SPAN = HEIGHT - 16, HEIGHT
def cycles(k): return k % 3  # draws per frame step; 0 steps every draw


def map_cell(column, row):
    return 1 + (column * 7 + row * 3 + (column * row) % 5) % (TILES - 1)


def tile_pixel(n, x, y):
    """Colour of pixel (x, y) of tile n: a frame, a gradient and a magenta hole in some tiles."""
    if n % 3 == 0 and 6 <= x < 14 and 6 <= y < 14:
        return MAGENTA
    if (n % 4 == 1) and (x + y) % 7 == 0:
        return MAGENTA
    if x == 0 or y == 0:
        return (40, 40, 40)
    return ((n * 37 + x * 5) % 256, (n * 91 + y * 9) % 256, (n * 53 + (x ^ y) * 3) % 256)


def sprite_pixel(frame, x, y):
    """A ball with a notch that turns with the frame, on magenta."""
    dx, dy = x - 15.5, y - 15.5
    if dx * dx + dy * dy > 15 * 15:
        return MAGENTA
    notch = [(dx > 4 and abs(dy) < 3), (dy > 4 and abs(dx) < 3),
             (dx < -4 and abs(dy) < 3), (dy < -4 and abs(dx) < 3)][frame]
    if notch:
        return (20, 20, 20)
    return (200 + frame * 10, (x * 7) % 256, (y * 7) % 256)


def write_assets(folder):
    import pygame
    os.makedirs(folder, exist_ok=True)
    strip = pygame.Surface((TILE * TILES, TILE), 0, 24)
    for n in range(TILES):
        for y in range(TILE):
            for x in range(TILE):
                strip.set_at((n * TILE + x, y), tile_pixel(n, x, y))
    pygame.image.save(strip, os.path.join(folder, "tiles.png"))
    sheet = pygame.Surface((SPRITE * FRAMES, SPRITE), 0, 24)
    for f in range(FRAMES):
        for y in range(SPRITE):
            for x in range(SPRITE):
                sheet.set_at((f * SPRITE + x, y), sprite_pixel(f, x, y))
    pygame.image.save(sheet, os.path.join(folder, "sheet.png"))
    # The map file: a row a line, two hexadecimal digits a cell, CR LF.
    with open(os.path.join(folder, "level.tlm"), "wb") as out:
        for row in range(VIEW_ROWS):
            cells = "".join("%02X" % map_cell(c, row) for c in range(MAP_COLUMNS))
            out.write(cells.encode() + b"\r\n")


def script_lines(frames, sprites):
    yield "defplot 20,20"
    yield "tilemap level.tlm,tiles.png"
    for i in range(X_REGISTERS):
        yield "reg= %d,%d" % (X_FIRST + i, x_start(i))
    for j in range(Y_REGISTERS):
        yield "reg= %d,%d" % (Y_FIRST + j, y_start(j))
    if sprites:
        for k in range(SPRITES):
            yield "loadsprite s%d,sheet.png,%d,,,,,%d" % (k, FRAMES, cycles(k))
    yield ":loop"
    yield "tilemap 0,0,%d,%d,0,#%d" % (VIEW_COLUMNS, VIEW_ROWS, SCROLL_REGISTER)
    if sprites:
        for k in range(SPRITES):
            yield "sprite s%d,#%d,#%d" % (k, X_FIRST + k % X_REGISTERS, Y_FIRST + k // X_REGISTERS)
    yield "refresh"
    yield "inc %d" % SCROLL_REGISTER
    yield "if> %d,%d,reg=,%d,0" % (SCROLL_REGISTER, SCROLL_LAST, SCROLL_REGISTER)
    for i in range(X_REGISTERS):
        r = X_FIRST + i
        yield "reg+ %d,%d" % (r, x_step(i))
        yield "if> %d,%d,reg-,%d,%d" % (r, X_WRAP, r, X_SPAN)
    for j in range(Y_REGISTERS):
        r = Y_FIRST + j
        yield "reg+ %d,%d" % (r, y_step(j))
        yield "if> %d,%d,reg-,%d,%d" % (r, Y_WRAP, r, Y_SPAN)
    yield "inc %d" % FRAME_REGISTER
    yield "ifreg< %d,%d,loop" % (FRAME_REGISTER, frames)


def write_script(folder, frames, sprites):
    with open(os.path.join(folder, "scene.scp"), "wb") as out:
        out.write("".join(line + "\r\n" for line in script_lines(frames, sprites)).encode())


def load_keyed(pygame, path):
    """A picture as a 24-bit software surface with the magenta colour key."""
    picture = pygame.image.load(path)
    surface = pygame.Surface(picture.get_size(), 0, 24)
    surface.blit(picture, (0, 0))
    surface.set_colorkey(MAGENTA)
    return surface


def run_pygame(folder, frames, sprites, snapshot):
    import pygame
    pygame.display.init()
    screen = pygame.display.set_mode((WIDTH, HEIGHT), 0, 24)
    buffer = pygame.Surface((WIDTH, HEIGHT), 0, 24)
    buffer.fill((0, 0, 0))
    strip = load_keyed(pygame, os.path.join(folder, "tiles.png"))
    sheet = load_keyed(pygame, os.path.join(folder, "sheet.png"))
    with open(os.path.join(folder, "level.tlm"), "rb") as f:
        level = [[int(line[i:i + 2], 16) for i in range(0, len(line.rstrip()), 2)] for line in f]
    tiles = [(n * TILE, 0, TILE, TILE) for n in range(TILES)]
    frame_areas = [(f * SPRITE, 0, SPRITE, SPRITE) for f in range(FRAMES)]
    xs = [x_start(i) for i in range(X_REGISTERS)]
    ys = [y_start(j) for j in range(Y_REGISTERS)]
    current = [0] * SPRITES
    countdown = [cycles(k) for k in range(SPRITES)]
    scroll = 0
    # The baseline at its best: one batched blits() call per frame for the map, its list made
    # once per scroll position, and one for the sprites.
    map_lists = {}

    def map_list(offset):
        if offset not in map_lists:
            map_lists[offset] = [(strip, (column * TILE, row * TILE), tiles[level[row][offset + column]])
                                 for row in range(VIEW_ROWS) for column in range(VIEW_COLUMNS)
                                 if level[row][offset + column]]
        return map_lists[offset]

    for _ in range(frames):
        buffer.blits(map_list(scroll), False)
        if sprites:
            buffer.blits([(sheet, (xs[k % X_REGISTERS], ys[k // X_REGISTERS]), frame_areas[current[k]])
                          for k in range(SPRITES)], False)
            for k in range(SPRITES):
                countdown[k] -= 1
                if countdown[k] < 1:
                    countdown[k] = cycles(k)
                    current[k] = (current[k] + 1) % FRAMES
        screen.blit(buffer, (0, 0))
        pygame.display.flip()
        scroll = 0 if scroll + 1 > SCROLL_LAST else scroll + 1
        for i in range(X_REGISTERS):
            xs[i] += x_step(i)
            if xs[i] > X_WRAP:
                xs[i] -= X_SPAN
        for j in range(Y_REGISTERS):
            ys[j] += y_step(j)
            if ys[j] > Y_WRAP:
                ys[j] -= Y_SPAN
    if snapshot:
        pygame.image.save(screen, snapshot)
    pygame.quit()


def compare(first, second):
    import pygame
    a, b = pygame.image.load(first), pygame.image.load(second)
    if a.get_size() != b.get_size():
        print("sizes differ: %s and %s" % (a.get_size(), b.get_size()))
        return 1
    w, h = a.get_size()
    differing = [(x, y) for y in range(h) for x in range(w) if a.get_at((x, y))[:3] != b.get_at((x, y))[:3]]
    if differing:
        x, y = differing[0]
        print("%d pixels differ, first at (%d, %d): %s and %s"
              % (len(differing), x, y, tuple(a.get_at((x, y))[:3]), tuple(b.get_at((x, y))[:3])))
        return 1
    return 0


def main(argv):
    sprites = "--no-sprites" not in argv
    argv = [a for a in argv if a != "--no-sprites"]
    snapshot = None
    if "--snapshot" in argv:
        i = argv.index("--snapshot")
        snapshot = argv[i + 1]
        del argv[i:i + 2]
    if len(argv) == 2 and argv[0] == "assets":
        write_assets(argv[1])
    elif len(argv) == 3 and argv[0] == "script":
        write_script(argv[1], int(argv[2]), sprites)
    elif len(argv) == 3 and argv[0] == "pygame":
        run_pygame(argv[1], int(argv[2]), sprites, snapshot)
    elif len(argv) == 3 and argv[0] == "compare":
        return compare(argv[1], argv[2])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
