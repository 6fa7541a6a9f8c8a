#pragma once
// The one table of command words: the dispatcher, the editor's highlighting and the help page
// all read it. Each group of commands contributes its entries from its own file.

#include "engine/script.h"

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ludomat {

struct CommandInfo {
    std::string_view words;   // the word and its synonyms, separated by blanks
    std::string_view params;  // parameter roles with defaults, for the help page
    std::string_view help;    // one line in Portuguese (UTF-8)
    CommandHandler handler;
    std::string_view example = {};  // a short script using it, lines separated by "\n"
    // The command only computes: it never waits, never lets messages run, never starts a run nor
    // asks for another command. The web runtime runs such lines outside its stoppable loop.
    bool neverWaits = false;
};

// For CommandInfo::neverWaits, so the tables say what the value means.
constexpr bool kNeverWaits = true;

// Entries of each group of commands, defined at the end of that group's file.
std::span<const CommandInfo> runControlCommands();
std::span<const CommandInfo> registerCommands();
std::span<const CommandInfo> flowCommands();
std::span<const CommandInfo> plotCommands();
std::span<const CommandInfo> drawingCommands();
std::span<const CommandInfo> screenCommands();
std::span<const CommandInfo> textCommands();
std::span<const CommandInfo> tileCommands();
std::span<const CommandInfo> pictureCommands();
std::span<const CommandInfo> spriteCommands();
std::span<const CommandInfo> inputCommands();

class CommandTable {
public:
    static const CommandTable& instance();

    // The handler of a command word, or nullptr for a word that matches nothing.
    CommandHandler find(std::string_view word) const;
    const CommandInfo* info(std::string_view word) const;
    const std::vector<const CommandInfo*>& entries() const { return m_entries; }
    std::vector<std::string> words() const;

private:
    CommandTable();
    void add(std::span<const CommandInfo> group);

    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::vector<const CommandInfo*> m_entries;
    std::unordered_map<std::string, const CommandInfo*, Hash, std::equal_to<>> m_byWord;
};

}  // namespace ludomat
