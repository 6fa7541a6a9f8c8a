#pragma once
// The script's only variables: 251 text registers, their alias names and the random generator.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ludomat {

// Registers 0..250: scripts address them by number; 250 is the last reachable by arithmetic.
constexpr int kMaxRegister = 250;
constexpr int kRegisterCount = kMaxRegister + 1;
// No game keeps this much text in one register; a longer text ends the run instead of taking the
// machine's memory. Texts at least kLargeText long take noticeable time to copy.
constexpr size_t kMaxTextLength = size_t(16) << 20;
constexpr size_t kLargeText = size_t(64) << 10;

// Ends the run when a text of `length` characters would pass kMaxTextLength.
void checkTextLength(size_t length);

class RegisterTable {
public:
    // Checked access: an index outside 0..250 ends the run with the list's index error.
    std::string& at(long long index);
    const std::string& at(long long index) const;
    // For callers that have already checked the range.
    std::string& operator[](int index) { return m_values[size_t(index)]; }
    const std::string& operator[](int index) const { return m_values[size_t(index)]; }

    void clear();
    static constexpr int size() { return kRegisterCount; }

private:
    std::array<std::string, kRegisterCount> m_values;
};

struct RegisterAlias {
    std::string name;    // without the "$" scripts write before it
    std::string number;  // register number as text, stored unchecked
};

// Alias names defined by "defreg"; searched from the start, the first match wins.
class RegisterAliases {
public:
    const RegisterAlias* find(std::string_view name) const;
    void define(std::string_view name, std::string_view number);
    // The name shown for a register in the register list: the last alias pointing at it.
    const RegisterAlias* lastAliasFor(int registerNumber) const;
    const std::vector<RegisterAlias>& entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    std::vector<RegisterAlias> m_entries;
};

// The linear congruential generator of "rand": never seeded from the clock, so each program start
// draws the same sequence.
class RandomGenerator {
public:
    // A draw in 0..range-1 (range taken as unsigned; a range of 0 gives 0).
    uint32_t draw(uint32_t range);
    uint32_t seed() const { return m_seed; }
    void setSeed(uint32_t seed) { m_seed = seed; }

private:
    uint32_t m_seed = 0;
};

}  // namespace ludomat
