#pragma once

#include <stdexcept>
#include <string>

namespace ludomat {

enum class PictureErrorKind {
    Damaged,     // the decoder refused the contents
    Unreadable,  // the file could not be opened
    NotRegular,  // a folder, a device or a pipe, never opened for reading
    TooLarge,    // the header claims more than the size limit
    Unwritable,  // the picture could not be written
};

// A picture could not be read or written. The message is the decoder's own text where the
// decoder gave one; the kind (and the system's error number, for files) lets callers word it.
class PictureError : public std::runtime_error
{
public:
    explicit PictureError(const std::string& message, PictureErrorKind kind = PictureErrorKind::Damaged,
                          int errorNumber = 0)
        : std::runtime_error(message), m_kind(kind), m_errorNumber(errorNumber)
    {
    }
    PictureErrorKind kind() const { return m_kind; }
    int errorNumber() const { return m_errorNumber; }

private:
    PictureErrorKind m_kind;
    int m_errorNumber;
};

} // namespace ludomat
