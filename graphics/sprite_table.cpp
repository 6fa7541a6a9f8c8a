#include "graphics/sprite_table.h"

#include "graphics/blit.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ludomat {

namespace {

// Boxes and drawn sizes are kept within this distance of the origin, far beyond any screen, so
// sums of two of them never overflow whatever scale a script gives.
constexpr double kBoxLimit = double(1LL << 60);
constexpr long long kEdgeLimit = 1LL << 29;

long long truncatedClamp(double value)
{
    if (std::isnan(value)) return 0;
    return (long long)std::trunc(std::clamp(value, -kBoxLimit, kBoxLimit));
}

int clampedEdge(long long value)
{
    return int(std::clamp(value, -kEdgeLimit, kEdgeLimit));
}

}  // namespace

void SpriteRecord::advanceAnimation()
{
    if (countdown > INT32_MIN) --countdown;
    if (countdown >= 1) return;
    countdown = cycles;
    // A frame set beyond the sheet by a script still wraps to 0 after the last frame.
    currentFrame = (long long)currentFrame + 1 > (long long)frameCount - 1 ? 0 : currentFrame + 1;
}

CollisionBox SpriteRecord::placedCollisionBox() const
{
    return {truncatedClamp(collisionX * scale + x), truncatedClamp(collisionY * scale + y),
            truncatedClamp(collisionWidth * scale), truncatedClamp(collisionHeight * scale)};
}

bool boxesCollide(const CollisionBox& a, const CollisionBox& b)
{
    return !(a.left + a.width < b.left || b.left + b.width < a.left || a.top + a.height < b.top ||
             b.top + b.height < a.top);
}

void drawSpriteFrame(const SpriteRecord& sprite, Bitmap& staging, Bitmap& target)
{
    if (!sprite.hasFrames()) return;
    const int fw = sprite.frameWidth();
    const int fh = sprite.sheetHeight;
    const long long left = (long long)fw * sprite.currentFrame;
    const bool insideSheet = left >= 0 && left + fw <= sprite.sheet.width() && fh <= sprite.sheet.height();
    const bool touchesSheet = left > -(long long)fw && left < sprite.sheet.width();
    const Rect frame{0, 0, fw, fh};
    const Rect source = Rect::fromXywh(touchesSheet ? int(left) : 0, 0, fw, fh);

    // Same size as last time: resize keeps the memory, and the copy overwrites every pixel.
    staging.resize(fw, fh);
    staging.setTransparentKey(kTransparentKey);
    staging.setTransparent(true);
    if (!insideSheet) staging.fill(kTransparentKey);
    if (touchesSheet) stretchCopy(staging, frame, sprite.sheet.bitmap(), source);

    const long long w = truncatedClamp(fw * sprite.scale);
    const long long h = truncatedClamp(fh * sprite.scale);
    const Rect dest{clampedEdge(sprite.x), clampedEdge(sprite.y), clampedEdge(sprite.x + w), clampedEdge(sprite.y + h)};
    const Rgb key = kTransparentKey;
    stretchCopy(target, dest, staging, frame, &key);
}

SpriteRecord* SpriteTable::find(std::string_view name)
{
    for (SpriteRecord& record : m_records)
        if (record.name == name) return &record;
    return nullptr;
}

const SpriteRecord* SpriteTable::find(std::string_view name) const
{
    return const_cast<SpriteTable*>(this)->find(name);
}

SpriteRecord& SpriteTable::add(std::string name)
{
    SpriteRecord& record = m_records.emplace_back();
    record.name = std::move(name);
    return record;
}

}  // namespace ludomat
