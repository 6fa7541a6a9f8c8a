#include "engine/script.h"

#include "engine/params.h"
#include "engine/text_values.h"

#include <algorithm>

namespace ludomat {

void parseCommandLine(std::string_view trimmed, ParsedLine& out)
{
    out.kind = LineKind::Command;
    out.paramCount = 0;
    out.hasReference = false;
    out.params.clear();

    size_t blank = trimmed.find(' ');
    out.word.assign(trimmed.substr(0, blank));
    if (blank == std::string_view::npos) return;
    std::string_view rest = trimmed.substr(blank + 1);

    // These two words take the whole rest, commas included, as one parameter.
    if (out.word == "msg+" || out.word == "msg=") {
        if (!rest.empty()) out.params.append(rest);
        out.paramCount = rest.empty() ? 0 : 1;
        return;
    }
    while (!rest.empty() && out.paramCount < kMaxParams) {
        size_t comma = rest.find(',');
        std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (!piece.empty() && piece[0] == '#') {
            out.hasReference = true;
            out.references[out.paramCount] = int16_t(referencedRegister(piece));
        }
        int64_t number = kNumberUnknown;
        if (piece.empty() || (piece[0] != '#' && piece[0] != '$')) {
            auto n = parseInt(piece);
            number = n ? *n : kNotANumber;
        }
        out.numbers[out.paramCount++] = number;
        out.params.append(piece);
    }
}

std::string_view Script::line(int index) const
{
    if (index < 0 || index >= lineCount()) return {};
    size_t begin = m_starts[size_t(index)];
    size_t length = m_starts[size_t(index) + 1] - begin - 1;
    return std::string_view(m_text).substr(begin, std::min(length, kMaxLineLength));
}

std::vector<std::string> Script::lines() const
{
    std::vector<std::string> out;
    out.reserve(size_t(lineCount()));
    for (int i = 0; i < lineCount(); ++i) out.emplace_back(line(i));
    return out;
}

void Script::setLines(const std::vector<std::string>& lines)
{
    std::string text;
    std::vector<uint32_t> starts{0};
    starts.reserve(lines.size() + 1);
    for (const auto& l : lines) {
        text.append(l, 0, kMaxLineLength);
        text += '\n';
        starts.push_back(uint32_t(text.size()));
    }
    m_text = std::move(text);
    m_starts = std::move(starts);
    linesChanged();
}

void Script::setText(std::string_view bytes)
{
    // Files are limited far below 4 GiB, so offsets fit 32 bits.
    std::string text;
    text.reserve(bytes.size() + 1);
    std::vector<uint32_t> starts{0};
    size_t lineStart = 0;
    auto endLine = [&](size_t end) {
        text.append(bytes.substr(lineStart, std::min(end - lineStart, kMaxLineLength)));
        text += '\n';
        starts.push_back(uint32_t(text.size()));
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        endLine(i);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    // A last line without a line end still counts; a final line end adds no empty line.
    if (lineStart < bytes.size()) endLine(bytes.size());
    text.shrink_to_fit();
    starts.shrink_to_fit();
    m_text = std::move(text);
    m_starts = std::move(starts);
    linesChanged();
}

void Script::linesChanged()
{
    m_retiredCommands = std::move(m_commands);
    m_commands.clear();
    m_cache.assign(size_t(lineCount()), nullptr);
    m_labels.clear();
    m_labelsReady = false;
    ++m_version;
}

ParsedLine& Script::pastTheEnd()
{
    // Reset at every use: the run loop never writes into a line that is not a command, but a
    // blank entry must stay blank whatever happens.
    m_pastTheEnd = ParsedLine{};
    m_pastTheEnd.ready = true;
    return m_pastTheEnd;
}

ParsedLine& Script::parse(int index)
{
    // Lines without a command carry nothing of their own but their kind.
    static ParsedLine blank = [] {
        ParsedLine l;
        l.kind = LineKind::Blank;
        l.ready = true;
        return l;
    }();
    static ParsedLine comment = [] {
        ParsedLine l;
        l.kind = LineKind::Comment;
        l.ready = true;
        return l;
    }();
    static ParsedLine label = [] {
        ParsedLine l;
        l.kind = LineKind::Label;
        l.ready = true;
        return l;
    }();
    ParsedLine*& slot = m_cache[size_t(index)];
    std::string_view trimmed = trimBlanks(line(index));
    if (trimmed.empty()) return *(slot = &blank);
    if (trimmed[0] == '/') return *(slot = &comment);
    if (trimmed[0] == ':') return *(slot = &label);
    auto entry = std::make_unique<ParsedLine>();
    parseCommandLine(trimmed, *entry);
    entry->ready = true;
    slot = entry.get();
    m_commands.push_back(std::move(entry));
    return *slot;
}

void Script::buildLabelIndex()
{
    m_labels.clear();
    for (int i = 0; i < lineCount(); ++i) {
        std::string_view trimmed = trimBlanks(line(i));
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
