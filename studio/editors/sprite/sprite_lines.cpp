#include "studio/editors/sprite/sprite_lines.h"

namespace ludomat {

namespace {

bool isBlank(QChar c)
{
    return c == ' ' || c == '\t';
}

// The pieces of a command line as the interpreter splits it: the word up to the first blank,
// then parameters between commas, the last one up to the trimmed end.
struct SplitLine {
    std::pair<int, int> word{0, 0};
    ParameterSpans pieces;
};

std::optional<SplitLine> split(const QString& line)
{
    int begin = 0, end = int(line.size());
    while (begin < end && isBlank(line[begin])) ++begin;
    while (end > begin && (isBlank(line[end - 1]) || line[end - 1] == '\r')) --end;
    if (begin == end || line.mid(begin, 2) == "//" || line[begin] == ':') return std::nullopt;
    SplitLine out;
    int blank = int(line.indexOf(' ', begin));
    if (blank < 0 || blank >= end) blank = end;
    out.word = {begin, blank};
    if (blank == end) return out;
    int start = blank + 1;
    for (;;) {
        int comma = int(line.indexOf(',', start));
        if (comma < 0 || comma > end) {
            out.pieces.push_back({start, end});
            break;
        }
        out.pieces.push_back({start, comma});
        start = comma + 1;
    }
    return out;
}

QString text(const QString& line, std::pair<int, int> span)
{
    return line.mid(span.first, span.second - span.first);
}

}  // namespace

std::optional<ParameterSpans> findSpriteCommand(const QString& line, const QString& word, const QString& name)
{
    auto parts = split(line);
    if (!parts) return std::nullopt;
    ParameterSpans params;
    if (text(line, parts->word) == word) {
        params = parts->pieces;
    } else {
        // A command that runs another one names it as a parameter and hands on the rest.
        for (size_t i = 0; i < parts->pieces.size(); ++i) {
            if (text(line, parts->pieces[i]).trimmed() != word) continue;
            params.assign(parts->pieces.begin() + long(i) + 1, parts->pieces.end());
            break;
        }
    }
    if (params.empty() || text(line, params.front()).trimmed() != name) return std::nullopt;
    return params;
}

QString rewriteParameters(const QString& line, const ParameterSpans& params, const std::map<int, QString>& changes,
                          const std::function<QString(int)>& fill)
{
    if (changes.empty() || params.empty()) return line;
    QString out = line;
    const int count = int(params.size());
    // Appended parameters first, at the end of the command; then replacements from the right,
    // so earlier positions stay valid.
    const int last = changes.rbegin()->first;
    if (last >= count) {
        QString tail;
        for (int i = count; i <= last; ++i) {
            auto change = changes.find(i);
            tail += "," + (change != changes.end() ? change->second : fill(i));
        }
        out.insert(params.back().second, tail);
    }
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        if (it->first >= count) continue;
        auto [start, end] = params[size_t(it->first)];
        // Blanks around a parameter are the script's own.
        while (start < end && isBlank(out[start])) ++start;
        while (end > start && isBlank(out[end - 1])) --end;
        out.replace(start, end - start, it->second);
    }
    return out;
}

}  // namespace ludomat
