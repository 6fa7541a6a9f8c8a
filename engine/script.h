#pragma once
// The script being run: its lines, each parsed once and cached until the lines change, and the
// index of its labels.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ludomat {

class Engine;
using CommandHandler = void (*)(Engine&);

// Script lines are read with at most this many characters; the rest of a longer line is lost.
constexpr size_t kMaxLineLength = 4096;
// A line holds a command word and up to nine comma-separated parameters.
constexpr int kMaxParams = 9;

enum class LineKind : uint8_t { Blank, Comment, Label, Command };

// A parameter's number read when its line was parsed: kNumberUnknown for texts that name a
// register or an alias (they change at every execution), kNotANumber for other texts.
constexpr int64_t kNumberUnknown = INT64_MIN;
constexpr int64_t kNotANumber = INT64_MIN + 1;

// One line split into its command word and raw parameter texts. Register references ("#n") and
// aliases are left in the texts: they are resolved at every execution.
struct ParsedLine {
    LineKind kind = LineKind::Blank;
    bool ready = false;             // parsed since the lines last changed
    bool handlerResolved = false;   // `handler` looked up in the command table
    bool hasReference = false;      // some parameter begins with "#"
    uint8_t paramCount = 0;
    CommandHandler handler = nullptr;
    // The last jump this line made, so a loop does not search for its label every time.
    int jumpTarget = -1;
    std::string jumpLabel;
    bool jumpKnown = false;
    std::string word;
    std::array<std::string, kMaxParams> params;
    std::array<int64_t, kMaxParams> numbers{};
};

// Splits a trimmed command line into word and parameters (no register lookup).
void parseCommandLine(std::string_view trimmed, ParsedLine& out);

class Script {
public:
    int lineCount() const { return int(m_lines.size()); }
    // The line as written; past the end, the empty text.
    const std::string& line(int index) const;
    const std::vector<std::string>& lines() const { return m_lines; }

    void setLines(std::vector<std::string> lines);
    void clear() { setLines({}); }
    // Bumped at every change, so views can tell the script was replaced.
    uint64_t version() const { return m_version; }

    const ParsedLine& parsed(int index);
    ParsedLine& parsedForDispatch(int index) { return const_cast<ParsedLine&>(parsed(index)); }

    // Index of the first line whose trimmed text is ":" + name, or -1.
    int findLabel(std::string_view name);

private:
    struct TransparentHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    void buildLabelIndex();

    std::vector<std::string> m_lines;
    std::vector<ParsedLine> m_cache;
    // The parse replaced last: the line that loaded a new script still views its parameters.
    std::vector<ParsedLine> m_retiredCache;
    std::unordered_map<std::string, int, TransparentHash, std::equal_to<>> m_labels;
    bool m_labelsReady = false;
    uint64_t m_version = 0;
};

}  // namespace ludomat
