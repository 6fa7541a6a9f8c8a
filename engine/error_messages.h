#pragma once
// The one table of messages that end a run: each says, in a beginner's words, what went wrong
// and how to mend it. Messages carry no line prefix; the error box and ludomat-run add it.

#include "engine/script_error.h"

#include <string>
#include <string_view>

namespace ludomat {

// Every kind of error the engine can raise.
enum class ErrorMessage {
    NotANumber,        // %1 the text
    EmptyNumber,
    BadColour,         // %1 the text
    NoSuchRegister,    // %1 the number
    DivisionByZero,
    FloatDivision,
    InvalidFloat,
    FileNotOpened,     // %1 the name, %2 the reason
    NotARegularFile,   // %1 the name
    ScriptTooLarge,    // %1 the name
    BadFileName,       // %1 the name
    OutsideFolders,    // %1 the name
    OutsideGameFolder, // %1 the name (the exported player)
    PhotoName,         // %1 the name
    PhotoNotWritten,   // %1 the name, %2 the reason
    PictureUnreadable, // %1 the name, %2 the reason
    PictureDamaged,    // %1 the name
    PictureTooLarge,   // %1 the name
    TileMapTooLarge,   // %1 the name
    TileMapBadCell,    // %1 the name, %2 the map's line (from 1), %3 the cell's text
    TileMapShortLine,  // %1 the name, %2 the map's line (from 1)
    TextTooLong,
    OutOfMemory,
    Unexpected,        // %1 what the library said
};

// The message in Windows-1252 bytes, like all script text, with %1..%3 filled in. Arguments
// are script text too; control characters in them are shown as "?".
std::string errorText(ErrorMessage id, std::string_view a1 = {}, std::string_view a2 = {},
                      std::string_view a3 = {});
ErrorKind errorKind(ErrorMessage id);

// Ends the run with the message.
[[noreturn]] void raiseError(ErrorMessage id, std::string_view a1 = {}, std::string_view a2 = {},
                             std::string_view a3 = {});

// A system error number in a few Portuguese words, for %2 of the file messages.
std::string reasonText(int errorNumber);

}  // namespace ludomat
