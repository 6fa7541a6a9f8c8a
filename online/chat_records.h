#pragma once
// Reading a chat poll reply into message records, and the height rule of a text label. Kept
// apart from the window so the record format can be checked without one.

#include <string>
#include <vector>

namespace ludomat {

// One message of a poll reply: the server's header line, then either one text line or a listing.
struct ChatRecord {
    std::string header;
    bool isListing = false;
    std::string text;                  // a text message
    std::vector<std::string> listing;  // a listing's lines, without "lst" and "-§-"
    bool cutOff = false;               // the reply ended inside the record
};

// Records of a reply read as lines; empty unless line 1 is exactly "Ok" and a second line
// follows. A record cut off by the end of the reply is kept as far as it goes.
std::vector<ChatRecord> readChatRecords(const std::vector<std::string>& lines);

// Chat lines are multiples of this height in pixels.
constexpr int kChatLineHeight = 25;
// Width of the chat labels in pixels.
constexpr int kChatLabelWidth = 685;

// Height of the label of a text `textWidth` pixels wide: one line per started 685 pixels.
constexpr int chatTextHeight(int textWidth)
{
    return (textWidth / kChatLabelWidth + 1) * kChatLineHeight;
}

}  // namespace ludomat
