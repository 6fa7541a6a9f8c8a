#include "studio/editors/sprite/sprite_document.h"

#include <QUndoCommand>

namespace ludomat {

namespace {

constexpr int kUndoSteps = 200;

// A change of one sprite's settings (the scale bar, a collision edge).
class ChangeSprite : public QUndoCommand {
public:
    ChangeSprite(SpriteDocument& document, int index, SpriteSettings before, SpriteSettings after, bool applied)
        : QUndoCommand(before.scale != after.scale ? "mudar escala" : "mover área de colisão"),
          m_document(document),
          m_index(index),
          m_before(before),
          m_after(after),
          m_skipRedo(applied),
          m_scaleOnly(onlyScale(before, after))
    {
    }
    int id() const override { return m_scaleOnly ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        auto* next = static_cast<const ChangeSprite*>(other);
        if (next->m_index != m_index || !next->m_scaleOnly) return false;
        m_after = next->m_after;
        return true;
    }
    void redo() override
    {
        if (m_skipRedo)
            m_skipRedo = false;
        else
            set(m_after);
    }
    void undo() override { set(m_before); }

private:
    static bool onlyScale(SpriteSettings a, const SpriteSettings& b)
    {
        a.scale = b.scale;
        return a == b;
    }
    void set(const SpriteSettings& settings)
    {
        settings.applyTo(m_document.at(m_index));
        if (m_document.changed) m_document.changed(m_index);
    }

    SpriteDocument& m_document;
    int m_index;
    SpriteSettings m_before;
    SpriteSettings m_after;
    bool m_skipRedo;
    bool m_scaleOnly;
};

}  // namespace

SpriteSettings SpriteSettings::of(const SpriteRecord& s)
{
    return {s.scale, s.collisionX, s.collisionY, s.collisionWidth, s.collisionHeight};
}

void SpriteSettings::applyTo(SpriteRecord& s) const
{
    s.scale = scale;
    s.collisionX = collisionX;
    s.collisionY = collisionY;
    s.collisionWidth = collisionWidth;
    s.collisionHeight = collisionHeight;
}

SpriteDocument::SpriteDocument()
{
    m_undo.setUndoLimit(kUndoSteps);
}

void SpriteDocument::take(const SpriteTable& table)
{
    m_undo.clear();
    m_sprites.clear();
    m_saved.clear();
    for (int i = 0; i < table.size(); ++i) {
        m_sprites.push_back(table.at(i));
        m_saved.push_back(SpriteSettings::of(table.at(i)));
    }
}

void SpriteDocument::change(int index, SpriteSettings before, SpriteSettings after, bool applied)
{
    if (before == after) return;
    if (!applied) after.applyTo(at(index));
    m_undo.push(new ChangeSprite(*this, index, before, after, true));
}

bool SpriteDocument::isModified() const
{
    for (int i = 0; i < size(); ++i)
        if (isModified(i)) return true;
    return false;
}

void SpriteDocument::markSaved(int index, Settings which)
{
    SpriteSettings& saved = m_saved.at(size_t(index));
    const double scale = saved.scale;
    const SpriteSettings collision = saved;
    saved = SpriteSettings::of(at(index));
    if (which == Settings::Collision) saved.scale = scale;
    if (which == Settings::Scale) {
        saved.collisionX = collision.collisionX;
        saved.collisionY = collision.collisionY;
        saved.collisionWidth = collision.collisionWidth;
        saved.collisionHeight = collision.collisionHeight;
    }
    if (!isModified()) m_undo.setClean();
}

}  // namespace ludomat
