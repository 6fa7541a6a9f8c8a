#pragma once

#include <stdexcept>

namespace ludomat {

// A picture could not be read or written. The message is the decoder's own text where the
// decoder gave one, so the error box shows what the library said.
class PictureError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace ludomat
