#pragma once
// The script being run: its lines, each parsed once and cached until the lines change, and the
// index of its labels.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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

// The parameter texts of one line, kept one after another in a single string so a parsed line
// stays small; Params past the count are empty.
class ParamTexts {
public:
    // i < kMaxParams.
    std::string_view operator[](size_t i) const
    {
        return std::string_view(m_text.data() + m_ends[i], size_t(m_ends[i + 1] - m_ends[i]));
    }
    size_t size() const { return m_count; }
    // Which piece `view` is, by where it lies (not by its text); -1 when it lies elsewhere.
    int indexOf(std::string_view view) const
    {
        const char* base = m_text.data();
        std::less<const char*> before;  // a total order, also for pointers into other texts
        if (before(view.data(), base) || before(base + m_text.size(), view.data())) return -1;
        const size_t offset = size_t(view.data() - base);
        for (size_t k = 0; k < m_count; ++k)
            if (m_ends[k] == offset && size_t(m_ends[k + 1] - m_ends[k]) == view.size()) return int(k);
        return -1;
    }
    void clear()
    {
        m_text.clear();
        m_ends.fill(0);
        m_count = 0;
    }
    // Lines hold at most kMaxLineLength characters, so 16-bit offsets reach every one. The ends
    // past the last piece are its end, so the texts past the count are empty.
    void append(std::string_view piece)
    {
        m_text.append(piece);
        ++m_count;
        for (size_t i = m_count; i <= kMaxParams; ++i) m_ends[i] = uint16_t(m_text.size());
    }

private:
    std::string m_text;
    std::array<uint16_t, kMaxParams + 1> m_ends{};
    size_t m_count = 0;
};

// One line split into its command word and raw parameter texts. Register references ("#n") and
// aliases are left in the texts: they are resolved at every execution.
struct ParsedLine {
    LineKind kind = LineKind::Blank;
    bool ready = false;            // parsed since the lines last changed
    bool handlerResolved = false;  // `handler` looked up in the command table
    bool hasReference = false;     // some parameter begins with "#"
    uint8_t paramCount = 0;
    CommandHandler handler = nullptr;
    bool handlerNeverWaits = false;  // the command table says the handler never waits
    // The last jump this line made, so a loop does not search for its label every time.
    int jumpTarget = -1;
    std::string jumpLabel;
    bool jumpKnown = false;
    int8_t jumpParam = -1;  // the parameter that held jumpLabel, or -1
    std::string word;
    ParamTexts params;
    std::array<int64_t, kMaxParams> numbers{};
    // For a "#" parameter: the register it reads, or -1 when it stands for the text after "#".
    std::array<int16_t, kMaxParams> references{};
};

// Splits a trimmed command line into word and parameters (no register lookup).
void parseCommandLine(std::string_view trimmed, ParsedLine& out);

// The script's text is kept as one block with the start of each line, and a line is parsed
// only when it first runs: memory grows with what runs, not with the length of the file.
class Script {
public:
    int lineCount() const { return int(m_starts.size()) - 1; }
    // The line as written (at most kMaxLineLength characters); past the end, the empty text.
    std::string_view line(int index) const;
    // A copy of every line, for the editor.
    std::vector<std::string> lines() const;

    void setLines(const std::vector<std::string>& lines);
    // The bytes of a script file: lines end with CR LF, CR or LF.
    void setText(std::string_view bytes);
    void clear() { setLines({}); }
    // Bumped at every change, so views can tell the script was replaced.
    uint64_t version() const { return m_version; }

    // Line `index` parsed; any index past either end reads as a blank line, as a jump to a label
    // on the last line reads the line after it.
    const ParsedLine& parsed(int index) { return parsedForDispatch(index); }
    // For the run loop: the same, but the run loop may cache its jumps in the entry.
    ParsedLine& parsedForDispatch(int index)
    {
        if (size_t(index) >= m_cache.size()) return pastTheEnd();
        ParsedLine* entry = m_cache[size_t(index)];
        return entry ? *entry : parse(index);
    }

    // Index of the first line whose trimmed text is ":" + name, or -1.
    int findLabel(std::string_view name);

private:
    struct TransparentHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    void buildLabelIndex();
    void linesChanged();
    ParsedLine& parse(int index);
    // A blank line of its own for every index outside the script, so nothing written into it
    // reaches a line of the script.
    ParsedLine& pastTheEnd();

    // Every line followed by a LF; m_starts[i] is where line i begins, with one entry past the
    // last line.
    std::string m_text;
    std::vector<uint32_t> m_starts{0};
    // Each line's parse, null until the line first runs. Blank, comment and label lines share
    // one entry of their kind; command lines own theirs in m_commands.
    std::vector<ParsedLine*> m_cache;
    std::vector<std::unique_ptr<ParsedLine>> m_commands;
    // The parses replaced last: the line that loaded a new script still views its parameters.
    std::vector<std::unique_ptr<ParsedLine>> m_retiredCommands;
    std::unordered_map<std::string, int, TransparentHash, std::equal_to<>> m_labels;
    ParsedLine m_pastTheEnd;
    bool m_labelsReady = false;
    uint64_t m_version = 0;
};

}  // namespace ludomat
