#pragma once
// The clickable areas of the run-time screen: link words of text boxes and linked pictures. A
// click on one jumps to its label or starts its script.

#include <array>
#include <cstdint>
#include <string>

namespace ludomat {

// The screen carries at most this many clickable areas; the next one reuses the oldest slot.
constexpr int kHotspotCount = 20;
// The cursor link words show: the drag cursor.
constexpr uint8_t kLinkCursor = 1;

struct Hotspot {
    bool active = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    uint8_t cursor = 0;      // cursor code 0..11 shown while the mouse is over it
    std::string text;        // the shown word, or the picture or text of a linked shape
    std::string target;      // ":" + label, or a script name with optional "&" arguments
    std::string picture;     // pressed-look picture; empty for link words
    std::string extra;       // kept for linked pictures
};

class HotspotTable {
public:
    // All slots inactive and the next link filling slot 0: start-up and a screen-mode change.
    void clear();
    // A new run: the next link fills slot 0 again and nothing is under the mouse. The slots
    // themselves stay active.
    void startRun();

    // Fills slot NextHotspot with `spot` (made active) and advances, wrapping after the last
    // slot. Returns the slot filled.
    int add(Hotspot spot);

    const Hotspot& slot(int index) const { return m_slots.at(size_t(index)); }
    Hotspot& slot(int index) { return m_slots.at(size_t(index)); }
    int nextSlot() const { return m_next; }

    // The active slot whose rectangle holds the point, bounds included; when several do, the
    // highest slot wins. -1 when none.
    int slotAt(int x, int y) const;

    int hoverSlot() const { return m_hover; }
    void setHoverSlot(int index) { m_hover = index; }

private:
    std::array<Hotspot, kHotspotCount> m_slots;
    int m_next = 0;
    int m_hover = -1;
};

}  // namespace ludomat
