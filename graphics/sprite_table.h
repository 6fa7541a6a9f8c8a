#pragma once
// Named, animated pictures: a sheet of equally wide frames side by side, drawn at a position with
// its own scale, stepping to the next frame every few draws, with a collision box. The table lives
// as long as the program; the studio empties it when a script is loaded or cleared.

#include "graphics/bitmap.h"
#include "graphics/rect.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace ludomat {

// A collision box on the buffer, in buffer pixels.
struct CollisionBox {
    long long left = 0;
    long long top = 0;
    long long width = 0;
    long long height = 0;
};

// A sprite's sheet: one decoded picture shared by every sprite made from the same file, so a
// sheet in several sprites takes its memory once. Empty until a picture is given.
class SpriteSheet {
public:
    SpriteSheet() = default;
    explicit SpriteSheet(std::shared_ptr<const Bitmap> picture) : m_picture(std::move(picture)) {}
    const Bitmap& bitmap() const
    {
        static const Bitmap kNone;
        return m_picture ? *m_picture : kNone;
    }
    int width() const { return bitmap().width(); }
    int height() const { return bitmap().height(); }
    bool isEmpty() const { return bitmap().isEmpty(); }
#ifndef LUDOMAT_NO_QT
    QImage view() const { return bitmap().view(); }
#endif
    // Whether this sprite is the picture's only holder (replacing the sheet frees it).
    bool isOnlyHolder() const { return m_picture.use_count() == 1; }

private:
    std::shared_ptr<const Bitmap> m_picture;
};

struct SpriteRecord {
    std::string name;
    std::string file;
    SpriteSheet sheet;
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
    bool hasFrames() const { return frameCount > 0; }

    // One draw done: counts down and, every `cycles` draws (every draw for 0 or less), steps to
    // the next frame, back to 0 after the last one.
    void advanceAnimation();
    // The collision box scaled by the sprite's scale and placed at its position.
    CollisionBox placedCollisionBox() const;
};

// Whether two placed boxes overlap; boxes that only touch edge to edge count as overlapping.
bool boxesCollide(const CollisionBox& a, const CollisionBox& b);

// Draws the sprite's current frame at its position and scale onto `target`, with the magenta key
// see-through, staging the frame in `staging` (left holding the frame, reallocated only when the
// frame size changes). Parts of a frame beyond the sheet are see-through. An entry without
// frames draws nothing.
void drawSpriteFrame(const SpriteRecord& sprite, Bitmap& staging, Bitmap& target);

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
