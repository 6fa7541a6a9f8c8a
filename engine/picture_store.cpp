#include "engine/picture_store.h"

namespace ludomat {

namespace {

constexpr size_t kEntriesBeforeSweep = 64;

// When and how large the file is now; a file written since (by "getfoto", say) is decoded again.
bool fileState(const std::filesystem::path& path, std::filesystem::file_time_type& written, uintmax_t& size)
{
    std::error_code ec;
    written = std::filesystem::last_write_time(path, ec);
    if (ec) return false;
    size = std::filesystem::file_size(path, ec);
    return !ec;
}

}  // namespace

std::shared_ptr<const Bitmap> PictureStore::find(const std::filesystem::path& path) const
{
    auto it = m_entries.find(path.string());
    if (it == m_entries.end()) return nullptr;
    std::filesystem::file_time_type written;
    uintmax_t size = 0;
    if (!fileState(path, written, size) || written != it->second.written || size != it->second.size) return nullptr;
    return it->second.picture.lock();
}

std::shared_ptr<const Bitmap> PictureStore::add(const std::filesystem::path& path, Bitmap picture)
{
    const uint64_t bytes = pictureBytes(picture);
    std::shared_ptr<uint64_t> held = m_heldBytes;
    *held += bytes;
    std::shared_ptr<const Bitmap> shared(new Bitmap(std::move(picture)), [held, bytes](const Bitmap* p) {
        *held -= bytes;
        delete p;
    });
    // Entries whose pictures nobody holds any more are dropped now and then.
    if (m_entries.size() >= kEntriesBeforeSweep)
        std::erase_if(m_entries, [](const auto& e) { return e.second.picture.expired(); });
    Entry entry;
    entry.picture = shared;
    if (fileState(path, entry.written, entry.size)) m_entries[path.string()] = entry;
    return shared;
}

}  // namespace ludomat
