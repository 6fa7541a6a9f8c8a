#pragma once

// Helpers shared by the picture decoders; not part of the public interface.

#include <cstdio>
#include <memory>
#include <string>

namespace ludomat::detail {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens for binary reading; throws PictureError naming the file and the system's reason.
FilePtr openForReading(const std::string& path);

// Throws PictureError when a side exceeds kMaxPictureSide.
void checkPictureSize(long long width, long long height);

} // namespace ludomat::detail
