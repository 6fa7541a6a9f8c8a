#pragma once
// Pictures of the game folder, read the one way every picture command reads them.

#include "graphics/bitmap.h"
#include "graphics/picture_error.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace ludomat {

class Engine;

// A name stands for a picture when it holds ".png", ".jpg", ".bmp" or ".gif" anywhere; the
// match is case-sensitive, so "logo.PNG" is no picture.
bool namesPicture(std::string_view name);
// Whether GameFolder + name exists.
bool gameFileExists(const Engine& engine, std::string_view name);
// Decodes GameFolder + name (checked as Engine::readablePath checks it) into `target`, 24 bits
// with the magenta key, within the picture budget below, then lets pending
// messages run. The picture is decoded apart first, so a missing or damaged file leaves `target`
// as it was; the decoder's refusal ends the run (ScriptError, picture kind). False, with nothing
// loaded, when the name holds no picture extension.
bool loadGamePicture(Engine& engine, std::string_view name, Bitmap& target);
// The same decoded picture for every command of a run that reads the file while another still
// holds it (the sheet of several sprites); null when the name holds no picture extension.
// `replacing`: bytes of a picture the caller lets go once this one is loaded.
std::shared_ptr<const Bitmap> loadSharedGamePicture(Engine& engine, std::string_view name, uint64_t replacing = 0);
// Every decoded picture the engine holds shares one budget (PictureStore::budget): loading one
// that would pass it ends the run with "a memória acabou", before its pixels take any memory
// when the file's header tells its size.
// Bytes of the decoded pictures the engine holds: its buffers, the frame and tile strips and
// the shared pictures (sprite sheets).
uint64_t heldPictureBytes(Engine& engine);

// Ends the run with the message for a picture `name` that could not be read.
[[noreturn]] void raisePictureError(std::string_view name, const PictureError& error);

}  // namespace ludomat
