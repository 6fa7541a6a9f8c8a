#include "engine/hotspot_table.h"

namespace ludomat {

void HotspotTable::clear()
{
    m_slots.fill(Hotspot{});
    m_next = 0;
    m_hover = -1;
}

void HotspotTable::startRun()
{
    m_next = 0;
    m_hover = -1;
}

int HotspotTable::add(Hotspot spot)
{
    int filled = m_next;
    spot.active = true;
    m_slots[size_t(filled)] = std::move(spot);
    m_next = (m_next + 1) % kHotspotCount;
    return filled;
}

int HotspotTable::slotAt(int x, int y) const
{
    int found = -1;
    for (int i = 0; i < kHotspotCount; ++i) {
        const Hotspot& s = m_slots[size_t(i)];
        // 64-bit sums: a huge rectangle must not wrap around.
        if (s.active && x >= s.x && y >= s.y && (long long)x <= (long long)s.x + s.width &&
            (long long)y <= (long long)s.y + s.height)
            found = i;
    }
    return found;
}

}  // namespace ludomat
