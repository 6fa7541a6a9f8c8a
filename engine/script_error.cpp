#include "engine/script_error.h"

#include "engine/error_messages.h"

namespace ludomat {

void throwConversionError(std::string_view text)
{
    if (text.empty()) raiseError(ErrorMessage::EmptyNumber);
    raiseError(ErrorMessage::NotANumber, text);
}

void throwIndexError(long long index) { raiseError(ErrorMessage::NoSuchRegister, std::to_string(index)); }

void throwDivisionByZero() { raiseError(ErrorMessage::DivisionByZero); }

void throwFloatDivisionByZero() { raiseError(ErrorMessage::FloatDivision); }

void throwInvalidFloatOperation() { raiseError(ErrorMessage::InvalidFloat); }

void throwFileOpenError(std::string_view name, int errorNumber)
{
    raiseError(ErrorMessage::FileNotOpened, name, reasonText(errorNumber));
}

}  // namespace ludomat
