#include "graphics/sprite_table.h"

namespace ludomat {

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
