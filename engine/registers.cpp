#include "engine/registers.h"

#include "engine/error_messages.h"
#include "engine/text_values.h"

namespace ludomat {

void checkTextLength(size_t length)
{
    if (length > kMaxTextLength) raiseError(ErrorMessage::TextTooLong);
}

std::string& RegisterTable::at(long long index)
{
    if (index < 0 || index > kMaxRegister) throwIndexError(index);
    return m_values[size_t(index)];
}

const std::string& RegisterTable::at(long long index) const
{
    if (index < 0 || index > kMaxRegister) throwIndexError(index);
    return m_values[size_t(index)];
}

void RegisterTable::clear()
{
    for (auto& value : m_values) value.clear();
}

const RegisterAlias* RegisterAliases::find(std::string_view name) const
{
    for (const auto& entry : m_entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

void RegisterAliases::define(std::string_view name, std::string_view number)
{
    for (auto& entry : m_entries) {
        if (entry.name == name) {
            entry.number = number;
            return;
        }
    }
    m_entries.push_back({std::string(name), std::string(number)});
}

const RegisterAlias* RegisterAliases::lastAliasFor(int registerNumber) const
{
    const RegisterAlias* found = nullptr;
    for (const auto& entry : m_entries)
        if (parseInt(entry.number) == registerNumber) found = &entry;
    return found;
}

uint32_t RandomGenerator::draw(uint32_t range)
{
    m_seed = m_seed * 134775813u + 1u;
    return uint32_t((uint64_t(range) * m_seed) >> 32);
}

}  // namespace ludomat
