#include "graphics/text_layout.h"

#include <algorithm>
#include <limits>

namespace ludomat {

namespace {

// "@shown|target|" at the start of `rest`; returns the characters it takes.
size_t readLink(std::string_view rest, TextToken& link)
{
    size_t bar = rest.find('|');
    link.kind = TextToken::Kind::Link;
    link.text.assign(rest.substr(1, bar - 1));
    size_t closing = rest.find('|', bar + 1);
    if (closing != std::string_view::npos) {
        link.target.assign(rest.substr(bar + 1, closing - bar - 1));
        return closing + 1;
    }
    size_t blank = rest.find(' ', bar + 1);
    size_t end = blank == std::string_view::npos ? rest.size() : blank;
    link.target.assign(rest.substr(bar + 1, end - bar - 1));
    return end;
}

}  // namespace

std::vector<TextToken> splitTextTokens(std::string_view text)
{
    std::vector<TextToken> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == kLineBreakChar) {
            tokens.push_back({TextToken::Kind::LineBreak, {}, {}});
            ++pos;
        }
        if (pos >= text.size()) break;
        std::string_view rest = text.substr(pos);
        TextToken token;
        if (rest[0] == '@' && rest.find('|') != std::string_view::npos) {
            pos += readLink(rest, token);
        } else {
            size_t blank = rest.find(' ');
            token.text.assign(rest.substr(0, blank == std::string_view::npos ? rest.size() : blank + 1));
            pos += token.text.size();
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

int lineStep(int size)
{
    // A script may ask for any size: the step stays in the int range instead of wrapping.
    const long long step = (long long)size + size / 2;
    return int(std::clamp<long long>(step, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::vector<PlacedToken> layoutTextTokens(const std::vector<TextToken>& tokens, int boxWidth, int boxHeight, int size,
                                          const std::function<int(const std::string&)>& textWidth)
{
    std::vector<PlacedToken> placed;
    const long long step = lineStep(size);
    long long cx = 0, cy = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (cy + step >= boxHeight) break;
        const TextToken& token = tokens[i];
        if (token.kind == TextToken::Kind::LineBreak) {
            cx = 0;
            cy += step;
            continue;
        }
        int width = textWidth(token.text);
        if (cx + width > boxWidth) {
            cx = 0;
            cy += step;
            if (cy + step >= boxHeight) break;
        }
        placed.push_back({i, int(cx), int(cy), width});
        cx += width;
    }
    return placed;
}

}  // namespace ludomat
