#pragma once
// What the sprite page edits: its own copy of the sprites the last run defined, with the undo
// history of the changes made on the page (scale, collision box). It knows which sprites differ
// from the lines the script holds, so no change is left behind without asking.

#include "graphics/sprite_table.h"

#include <QUndoStack>

#include <functional>

#include <vector>

namespace ludomat {

// The parameters of a sprite the page changes.
struct SpriteSettings {
    double scale = 1.0;
    int collisionX = 0;
    int collisionY = 0;
    int collisionWidth = 0;
    int collisionHeight = 0;

    static SpriteSettings of(const SpriteRecord& sprite);
    void applyTo(SpriteRecord& sprite) const;
    bool operator==(const SpriteSettings&) const = default;
};

class SpriteDocument {
public:
    SpriteDocument();

    int size() const { return int(m_sprites.size()); }
    SpriteRecord& at(int index) { return m_sprites.at(size_t(index)); }
    const SpriteRecord& at(int index) const { return m_sprites.at(size_t(index)); }
    QUndoStack& undoStack() { return m_undo; }

    // The sprites as the table holds them; the history goes.
    void take(const SpriteTable& table);
    // One change of a sprite's settings as an undo step; `applied`: the sprite has it already
    // (a drag shown as it went). Steps of the same sprite's scale merge into one.
    void change(int index, SpriteSettings before, SpriteSettings after, bool applied);

    bool isModified() const;
    bool isModified(int index) const { return !(SpriteSettings::of(at(index)) == m_saved.at(size_t(index))); }
    // The sprite's settings as it was taken or last written into the script.
    const SpriteSettings& saved(int index) const { return m_saved.at(size_t(index)); }
    // The script now holds the sprite's scale, collision box or both.
    enum class Settings { Scale, Collision, All };
    void markSaved(int index, Settings which);

    // Called after every undo and redo, with the sprite's index (a change is shown by whoever made it).
    std::function<void(int)> changed;

private:
    std::vector<SpriteRecord> m_sprites;
    std::vector<SpriteSettings> m_saved;
    QUndoStack m_undo;
};

}  // namespace ludomat
