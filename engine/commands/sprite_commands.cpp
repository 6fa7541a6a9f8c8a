// Sprite commands: define a named sprite from a sheet of frames, draw it animated, and jump when
// two sprites' collision boxes overlap.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/text_values.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace ludomat {

namespace {

// Collision parameters that are empty or not numbers: "take it from the sheet".
constexpr int32_t kFromSheet = -1;

// A parameter that keeps the current value when empty and falls back when not a number.
int32_t numberOrCurrent(const EngineState& state, int n, int32_t current, int32_t fallback)
{
    if (resolveValue(state, state.param(n)).empty()) return current;
    return numberParam(state, n, "", fallback);
}

// A decimal number with "." as separator, leading blanks and a sign allowed; anything else
// (trailing text, infinities, not-a-number) gives the fallback.
double toDecimalOr(std::string_view text, double fallback)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
#ifdef __EMSCRIPTEN__
    // The web runtime's C++ library has no floating-point from_chars: strtod on text already
    // narrowed to what from_chars would take (no hexadecimal, no blanks, no words).
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return fallback;
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return fallback;
#else
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return fallback;
#endif
    return value;
}

// Everything "loadsprite" sets once its sheet is loaded.
struct SpriteDefinition {
    int32_t frameCount;
    int32_t boxX, boxY, boxWidth, boxHeight;
    int32_t cycles;
};

void defineSprite(SpriteRecord& sprite, const std::string& file, std::shared_ptr<const Bitmap> sheet,
                  const SpriteDefinition& d)
{
    sprite.file = file;
    sprite.sheet = SpriteSheet(std::move(sheet));
    sprite.sheetWidth = sprite.sheet.width();
    sprite.sheetHeight = sprite.sheet.height();
    // The position takes the box corner as given, -1 when it was left out.
    sprite.x = d.boxX;
    sprite.y = d.boxY;
    sprite.currentFrame = 0;
    sprite.frameCount = d.frameCount;
    sprite.scale = 1.0;
    sprite.cycles = sprite.countdown = d.cycles;
    sprite.collisionX = d.boxX == kFromSheet ? 0 : d.boxX;
    sprite.collisionY = d.boxY == kFromSheet ? 0 : d.boxY;
    sprite.collisionWidth = d.boxWidth == kFromSheet ? sprite.frameWidth() : d.boxWidth;
    sprite.collisionHeight = d.boxHeight == kFromSheet ? sprite.sheetHeight : d.boxHeight;
}

void loadSpriteCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    SpriteTable& sprites = engine.sprites();
    const std::string number = std::to_string(sprites.size() + 1);
    const std::string name(valueParam(state, 1, "spt" + number));
    std::string file(valueParam(state, 2, "spt" + number + ".gif"));
    SpriteDefinition d;
    d.frameCount = numberParam(state, 3, "1", 1);
    d.boxX = numberParam(state, 4, "-1", kFromSheet);
    d.boxY = numberParam(state, 5, "-1", kFromSheet);
    d.boxWidth = numberParam(state, 6, "-1", kFromSheet);
    d.boxHeight = numberParam(state, 7, "-1", kFromSheet);
    d.cycles = numberParam(state, 8, "0", 1);
    // A name that is no picture could not be loaded into the sheet: treated as a missing file.
    if (!namesPicture(file) || !gameFileExists(engine, file)) file.clear();

    if (!sprites.find(name)) {
        SpriteRecord& added = sprites.add(name);
        added.cycles = added.countdown = d.cycles;
    }
    if (file.empty()) return;
    // Frames are the sheet's width divided by the count: a count below 1 is refused and the
    // entry keeps what it had.
    if (d.frameCount < 1) return;

    // Sprites from one file share its decoded sheet; a sheet this sprite alone holds is freed
    // when it is replaced, so it does not count against the new one.
    const SpriteRecord* old = sprites.find(name);
    uint64_t replacing = old && old->sheet.isOnlyHolder() ? pictureBytes(old->sheet.bitmap()) : 0;
    std::shared_ptr<const Bitmap> sheet = loadSharedGamePicture(engine, file, replacing);
    // Messages ran during the load; look the entry up again rather than trust a reference.
    if (SpriteRecord* sprite = sprites.find(name); sprite && sheet) defineSprite(*sprite, file, std::move(sheet), d);
}

void spriteCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    std::string_view name = valueParam(state, 1);
    if (name.empty()) return;
    SpriteRecord* sprite = engine.sprites().find(name);
    if (!sprite) return;

    sprite->x = numberOrCurrent(state, 2, sprite->x, 0);
    sprite->y = numberOrCurrent(state, 3, sprite->y, 0);
    sprite->currentFrame = numberOrCurrent(state, 4, sprite->currentFrame, 0);
    std::string_view scale = valueParam(state, 5);
    if (!scale.empty()) sprite->scale = toDecimalOr(scale, 1.0);
    if (!sprite->hasFrames()) return;

    ScreenBuffers& screen = engine.screen();
    drawSpriteFrame(*sprite, screen.shapeBuffer, screen.screenBuffer);
    sprite->advanceAnimation();
}

void collSpriteCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    std::string_view first = valueParam(state, 1);
    std::string_view second = valueParam(state, 2);
    if (first.empty() || second.empty()) return;
    const SpriteRecord* a = engine.sprites().find(first);
    const SpriteRecord* b = engine.sprites().find(second);
    if (!a || !b) return;
    if (boxesCollide(a->placedCollisionBox(), b->placedCollisionBox())) engine.requestJump(valueParam(state, 3));
}

const CommandInfo kCommands[] = {
    {"loadsprite", "nome=sptN, arquivo=sptN.gif, quadros=1, colisão x, y, largura, altura, ciclos=0",
     "Cria ou redefine um sprite a partir de uma folha de quadros lado a lado.", loadSpriteCommand,
     "loadsprite heroi,heroi.png,2"},
    {"sprite", "nome, x, y, quadro, escala",
     "Desenha o quadro atual do sprite (magenta transparente) e avança a animação.", spriteCommand,
     "clearbuf 000000\nloadsprite heroi,heroi.png,2\nsprite heroi,50,50\nrefresh"},
    {"collsprite", "nome1, nome2, rótulo", "Salta para o rótulo quando as caixas de colisão dos dois sprites se tocam.",
     collSpriteCommand,
     "loadsprite a,heroi.png,2\nloadsprite b,heroi.png,2\nsprite a,50,50\nsprite b,55,55\ncollsprite "
     "a,b,toque\nfim\n:toque\nreg= 1,tocou"},
};

}  // namespace

std::span<const CommandInfo> spriteCommands()
{
    return kCommands;
}

}  // namespace ludomat
