#pragma once
// What a beginner most often gets wrong in a script, found while typing: a word that is no
// command, a jump to a label the script lacks or a label written twice, a file the game folder
// lacks, too many parameters, a register outside 0..250, a colour that is not six hexadecimal
// digits, and a "//" comment after a parameter. Warnings never change what runs. Everything is read
// from the command table and the engine's own line parsing.

#include <set>
#include <string>
#include <vector>

namespace ludomat {

struct ScriptWarning {
    enum class Kind {
        UnknownCommand,
        MissingLabel,
        RepeatedLabel,
        MissingFile,
        TooManyParams,
        BadRegister,
        BadColour,
        TrailingComment
    };
    Kind kind;
    int line = 0;         // 0-based, as the editor counts blocks
    int column = 0;       // where the underline starts, in bytes of the line
    int length = 0;       // how many bytes it covers (at least 1)
    std::string message;  // Portuguese, UTF-8
};

// The warnings of `lines` (Windows-1252 bytes, as the editor holds them), in line order.
// `gameFiles` holds the names of the files in the game folder; when `checkFiles` is false, no
// file is looked for (no game folder is known).
std::vector<ScriptWarning> findScriptWarnings(const std::vector<std::string>& lines,
                                              const std::set<std::string>& gameFiles, bool checkFiles = true);

// The command word nearest to `word` by edits (at most two), or empty.
std::string nearestCommandWord(const std::string& word);

}  // namespace ludomat
