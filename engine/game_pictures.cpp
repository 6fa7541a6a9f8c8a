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
    case PictureErrorKind::Unreadable: raiseError(ErrorMessage::PictureUnreadable, name, reasonText(error.errorNumber()));
    case PictureErrorKind::NotRegular: raiseError(ErrorMessage::NotARegularFile, name);
    case PictureErrorKind::TooLarge: raiseError(ErrorMessage::PictureTooLarge, name);
    case PictureErrorKind::Unwritable: raiseError(ErrorMessage::PhotoNotWritten, name, error.what());
    case PictureErrorKind::Damaged: break;
    }
    raiseError(ErrorMessage::PictureDamaged, name);
}

bool loadGamePicture(Engine& engine, std::string_view name, Bitmap& target)
{
    if (!namesPicture(name)) return false;
    std::filesystem::path path = engine.readablePath(name);
    Bitmap picture;
    try {
        loadPictureInto(path.string(), picture);
    } catch (const PictureError& e) {
        raisePictureError(name, e);
    }
    target = std::move(picture);
    engine.processEvents();
    return true;
}

}  // namespace ludomat
