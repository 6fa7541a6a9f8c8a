#pragma once
// Laying out the text of a text box: splitting it into words, line breaks and link words, and
// placing them line by line inside the box. Words are never broken; what does not fit under
// the last whole line is left out.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ludomat {

// Starts a new line when it leads a word: "§" in Windows-1252.
constexpr char kLineBreakChar = char(0xA7);

struct TextToken {
    enum class Kind { Word, LineBreak, Link };
    Kind kind = Kind::Word;
    // A word keeps its trailing blank (so blanks count in the wrapping); a link holds the
    // shown word only.
    std::string text;
    // For a link: where a click on it leads.
    std::string target;

    bool operator==(const TextToken&) const = default;
};

// Splits a text into tokens. A word runs up to and including the next blank (a lone blank is
// a word too). Each "§" leading a word is a line break. "@shown|target|" is a link, whose shown
// part may hold blanks; a link without its closing "|" ends its target at the next blank.
std::vector<TextToken> splitTextTokens(std::string_view text);

// A token placed in its box, relative to the box's top-left corner.
struct PlacedToken {
    size_t token = 0;  // index into the token list
    int x = 0;
    int y = 0;
    int width = 0;
};

// Lines are size + size / 2 apart, for a text size in points. A token that would pass the
// right edge starts the next line (a word wider than the box moves down once and then runs
// past the edge); layout stops at the first line whose full step does not fit the height.
int lineStep(int size);
std::vector<PlacedToken> layoutTextTokens(const std::vector<TextToken>& tokens, int boxWidth,
                                          int boxHeight, int size,
                                          const std::function<int(const std::string&)>& textWidth);

}  // namespace ludomat
