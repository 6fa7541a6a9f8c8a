#include "engine/script_error.h"

namespace ludomat {

void throwConversionError(std::string_view text)
{
    throw ScriptError(ErrorKind::Conversion, "'" + std::string(text) + "' is not a valid integer value");
}

void throwIndexError(long long index)
{
    throw ScriptError(ErrorKind::Index, "List index out of bounds (" + std::to_string(index) + ")");
}

void throwDivisionByZero()
{
    throw ScriptError(ErrorKind::DivisionByZero, "Division by zero");
}

void throwFloatDivisionByZero()
{
    throw ScriptError(ErrorKind::FloatDivision, "Floating point division by zero");
}

void throwInvalidFloatOperation()
{
    throw ScriptError(ErrorKind::InvalidFloat, "Invalid floating point operation");
}

void throwFileOpenError(const std::string& path, const std::string& reason)
{
    throw ScriptError(ErrorKind::File, "Cannot open file \"" + path + "\". " + reason);
}

}  // namespace ludomat
