#pragma once
// Named, animated pictures: a sheet of equally wide frames side by side, drawn at a position with
// its own scale, stepping to the next frame every few draws, with a collision box. The table lives
// as long as the program; the studio empties it when a script is loaded or cleared.

#include "graphics/bitmap.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace ludomat {

struct SpriteRecord {
    std::string name;
    std::string file;
    Bitmap sheet;
    int32_t x = 0;
    int32_t y = 0;
    int32_t sheetHeight = 0;
    int32_t sheetWidth = 0;
    int32_t frameCount = 0;
    int32_t currentFrame = 0;
    int32_t collisionX = 0;
    int32_t collisionY = 0;
    int32_t collisionWidth = 0;
    int32_t collisionHeight = 0;
    double scale = 1.0;
    int32_t cycles = 0;
    int32_t countdown = 0;

    // Sheet width div frame count; 0 while the entry has no frames.
    int32_t frameWidth() const { return frameCount > 0 ? sheetWidth / frameCount : 0; }
};

class SpriteTable {
public:
    // The entry of that exact name, or nullptr.
    SpriteRecord* find(std::string_view name);
    const SpriteRecord* find(std::string_view name) const;
    // Appends an empty entry. References to entries stay valid while the table grows.
    SpriteRecord& add(std::string name);
    int size() const { return int(m_records.size()); }
    SpriteRecord& at(int index) { return m_records.at(size_t(index)); }
    const SpriteRecord& at(int index) const { return m_records.at(size_t(index)); }
    void clear() { m_records.clear(); }

private:
    std::deque<SpriteRecord> m_records;
};

}  // namespace ludomat
