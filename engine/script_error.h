#pragma once
// Errors that end a run. A handler throws; the run loop catches at one boundary and turns the error
// into the message the user sees, with the line it happened on.

#include <stdexcept>
#include <string>
#include <string_view>

namespace ludomat {

enum class ErrorKind { Conversion, Index, DivisionByZero, FloatDivision, InvalidFloat, File, Picture, Other };

class ScriptError : public std::runtime_error {
public:
    ScriptError(ErrorKind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
    ErrorKind kind() const { return m_kind; }

private:
    ErrorKind m_kind;
};

// The common errors, worded by the table of engine/error_messages.h.
[[noreturn]] void throwConversionError(std::string_view text);
[[noreturn]] void throwIndexError(long long index);
[[noreturn]] void throwDivisionByZero();
[[noreturn]] void throwFloatDivisionByZero();
[[noreturn]] void throwInvalidFloatOperation();
// `name` as the script gave it; `errorNumber` the system's reason.
[[noreturn]] void throwFileOpenError(std::string_view name, int errorNumber);

// A run that ended by an error: what the error box and `ludomat-run` report.
struct RunError {
    int line = -1;          // 0-based index of the failing line
    std::string lineText;   // the line as written
    std::string message;    // Portuguese, Windows-1252, without a line prefix
    ErrorKind kind = ErrorKind::Other;
};

}  // namespace ludomat
