#include "engine/game_pictures.h"

#include "engine/engine.h"
#include "engine/error_messages.h"
#include "graphics/picture_loader.h"


#include <filesystem>
#include <system_error>

namespace ludomat {

bool namesPicture(std::string_view name)
{
    for (std::string_view ext : {".png", ".jpg", ".bmp", ".gif"})
        if (name.find(ext) != std::string_view::npos) return true;
    return false;
}

bool gameFileExists(const Engine& engine, std::string_view name)
{
    std::error_code ec;
    return std::filesystem::exists(engine.gamePath(name), ec);
}

void raisePictureError(std::string_view name, const PictureError& error)
{
    switch (error.kind()) {
        case PictureErrorKind::Unreadable:
            raiseError(ErrorMessage::PictureUnreadable, name, reasonText(error.errorNumber()));
        case PictureErrorKind::NotRegular:
            raiseError(ErrorMessage::NotARegularFile, name);
        case PictureErrorKind::TooLarge:
            raiseError(ErrorMessage::PictureTooLarge, name);
        case PictureErrorKind::Unwritable:
            raiseError(ErrorMessage::PhotoNotWritten, name, error.what());
        case PictureErrorKind::Damaged:
            break;
    }
    raiseError(ErrorMessage::PictureDamaged, name);
}

uint64_t heldPictureBytes(Engine& engine)
{
    ScreenBuffers& screen = engine.screen();
    uint64_t total = engine.pictures().heldBytes();
    for (const Bitmap* held : {&screen.screenBuffer, &screen.backBuffer, &screen.tela, &screen.shapeBuffer,
                               &screen.frameStrip.picture, &screen.backgroundBuffer, &engine.tileSet().picture()})
        total += pictureBytes(*held);
    return total;
}

namespace {

// Ends the run when `adding` bytes more, `replacing` bytes fewer, would pass the budget.
void checkPictureBudget(Engine& engine, uint64_t adding, uint64_t replacing)
{
    uint64_t held = heldPictureBytes(engine);
    held = held > replacing ? held - replacing : 0;
    const uint64_t budget = engine.pictures().budget();
    if (adding > budget || held > budget - adding) raiseError(ErrorMessage::OutOfMemory);
}

// The size the file's header tells, read before any pixel memory is taken; 0 when it tells none.
uint64_t announcedBytes(const std::filesystem::path& path)
{
    const PictureSize size = announcedPictureSize(path.string());
    return pictureBytes(size.width, size.height);
}

Bitmap decodeWithinBudget(Engine& engine, std::string_view name, const std::filesystem::path& path, uint64_t replacing)
{
    checkPictureBudget(engine, announcedBytes(path), replacing);
    Bitmap picture;
    try {
        loadPictureInto(path.string(), picture);
    } catch (const PictureError& e) {
        raisePictureError(name, e);
    }
    // A header may tell less than the decoder made.
    checkPictureBudget(engine, pictureBytes(picture), replacing);
    return picture;
}

}  // namespace

bool loadGamePicture(Engine& engine, std::string_view name, Bitmap& target)
{
    if (!namesPicture(name)) return false;
    std::filesystem::path path = engine.readablePath(name);
    target = decodeWithinBudget(engine, name, path, pictureBytes(target));
    engine.processEvents();
    return true;
}

std::shared_ptr<const Bitmap> loadSharedGamePicture(Engine& engine, std::string_view name, uint64_t replacing)
{
    if (!namesPicture(name)) return nullptr;
    std::filesystem::path path = engine.readablePath(name);
    std::shared_ptr<const Bitmap> picture = engine.pictures().find(path);
    if (!picture) picture = engine.pictures().add(path, decodeWithinBudget(engine, name, path, replacing));
    engine.processEvents();
    return picture;
}

}  // namespace ludomat
