#pragma once
// The pictures a run has decoded: a file read by several commands (one sheet for several
// sprites) is decoded once and shared while anyone holds it, and every decoded picture the
// engine keeps counts against one memory budget.

#include "graphics/bitmap.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

namespace ludomat {

// Bytes of decoded pictures an engine may hold at once: the largest picture a file may hold
// (16384 x 16384 pixels, 1 GiB) with the buffers and a few ordinary pictures beside it, well
// inside what a desktop has to spare.
constexpr uint64_t kPictureMemoryBudget = uint64_t(1536) << 20;

// Bytes a decoded picture of that size takes.
inline uint64_t pictureBytes(int64_t width, int64_t height)
{
    return width > 0 && height > 0 ? uint64_t(width) * uint64_t(height) * 4u : 0;
}
inline uint64_t pictureBytes(const Bitmap& picture)
{
    return pictureBytes(picture.width(), picture.height());
}

class PictureStore {
public:
    // The picture decoded from `path` while anyone still holds it (sprites outlive runs) and the
    // file has not changed since; null otherwise.
    std::shared_ptr<const Bitmap> find(const std::filesystem::path& path) const;
    // Keeps `picture`, decoded from `path`, for sharing; its bytes count until its last holder
    // lets it go.
    std::shared_ptr<const Bitmap> add(const std::filesystem::path& path, Bitmap picture);
    // Bytes of the shared pictures still held.
    uint64_t heldBytes() const { return *m_heldBytes; }
    // Bytes all decoded pictures may take together (tests set a smaller one).
    uint64_t budget() const { return m_budget; }
    void setBudget(uint64_t bytes) { m_budget = bytes; }

private:
    struct Entry {
        std::weak_ptr<const Bitmap> picture;
        std::filesystem::file_time_type written;
        uintmax_t size = 0;
    };
    std::unordered_map<std::string, Entry> m_entries;
    // Shared with the pictures' deleters, which may outlive the store.
    std::shared_ptr<uint64_t> m_heldBytes = std::make_shared<uint64_t>(0);
    uint64_t m_budget = kPictureMemoryBudget;
};

}  // namespace ludomat
