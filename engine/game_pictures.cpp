#include "engine/game_pictures.h"

#include "engine/engine.h"
#include "engine/script_error.h"
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

bool loadGamePicture(Engine& engine, std::string_view name, Bitmap& target)
{
    if (!namesPicture(name)) return false;
    Bitmap picture;
    try {
        loadPictureInto(engine.gamePath(name).string(), picture);
    } catch (const PictureError& e) {
        throw ScriptError(ErrorKind::Picture, e.what());
    }
    target = std::move(picture);
    engine.processEvents();
    return true;
}

}  // namespace ludomat
