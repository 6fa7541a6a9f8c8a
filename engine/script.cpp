#include "engine/script.h"

#include "engine/text_values.h"

namespace ludomat {

void parseCommandLine(std::string_view trimmed, ParsedLine& out)
{
    out.kind = LineKind::Command;
    out.paramCount = 0;
    out.hasReference = false;
    for (auto& p : out.params) p.clear();

    size_t blank = trimmed.find(' ');
    out.word.assign(trimmed.substr(0, blank));
    if (blank == std::string_view::npos) return;
    std::string_view rest = trimmed.substr(blank + 1);

    // These two words take the whole rest, commas included, as one parameter.
    if (out.word == "msg+" || out.word == "msg=") {
        out.params[0].assign(rest);
        out.paramCount = rest.empty() ? 0 : 1;
        return;
    }
    while (!rest.empty() && out.paramCount < kMaxParams) {
        size_t comma = rest.find(',');
        std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (!piece.empty() && piece[0] == '#') out.hasReference = true;
        int64_t number = kNumberUnknown;
        if (piece.empty() || (piece[0] != '#' && piece[0] != '$')) {
            auto n = parseInt(piece);
            number = n ? *n : kNotANumber;
        }
        out.numbers[out.paramCount] = number;
        out.params[out.paramCount++].assign(piece);
    }
}

const std::string& Script::line(int index) const
{
    static const std::string empty;
    if (index < 0 || index >= lineCount()) return empty;
    return m_lines[size_t(index)];
}

void Script::setLines(std::vector<std::string> lines)
{
    for (auto& l : lines)
        if (l.size() > kMaxLineLength) l.resize(kMaxLineLength);
    m_lines = std::move(lines);
    m_retiredCache = std::move(m_cache);
    m_cache.clear();
    m_cache.resize(m_lines.size());
    m_labels.clear();
    m_labelsReady = false;
    ++m_version;
}

const ParsedLine& Script::parsed(int index)
{
    static const ParsedLine blank;
    if (index < 0 || index >= lineCount()) return blank;
    ParsedLine& entry = m_cache[size_t(index)];
    if (entry.ready) return entry;

    std::string_view trimmed = trimBlanks(m_lines[size_t(index)]);
    if (trimmed.empty()) entry.kind = LineKind::Blank;
    else if (trimmed[0] == '/') entry.kind = LineKind::Comment;
    else if (trimmed[0] == ':') entry.kind = LineKind::Label;
    else parseCommandLine(trimmed, entry);
    entry.ready = true;
    return entry;
}

void Script::buildLabelIndex()
{
    m_labels.clear();
    for (int i = 0; i < lineCount(); ++i) {
        std::string_view trimmed = trimBlanks(m_lines[size_t(i)]);
        if (!trimmed.empty() && trimmed[0] == ':') m_labels.try_emplace(std::string(trimmed.substr(1)), i);
    }
    m_labelsReady = true;
}

int Script::findLabel(std::string_view name)
{
    if (!m_labelsReady) buildLabelIndex();
    auto it = m_labels.find(name);
    return it == m_labels.end() ? -1 : it->second;
}

}  // namespace ludomat
