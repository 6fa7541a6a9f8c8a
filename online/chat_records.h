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

// A listing shows at most this many of its lines in the chat, so one message of thousands of
// lines costs the same as a short one; the whole listing still goes to "Listags".
constexpr size_t kListingShownLines = 12;
// A text message shows at most this many bytes; a real one is a sentence or two.
constexpr size_t kTextShownBytes = 1500;
// Messages the chat box keeps; older ones leave from the top, so a long session stays small.
constexpr size_t kMaxChatMessages = 300;

// What the chat shows of a message body: Windows-1252 text and its height in chat lines.
struct ChatBodyView {
    std::string text;
    int lines = 1;
};

// A listing's first lines, then "\x85 mais N linhas" ("… mais N linhas") when lines are left out.
ChatBodyView listingView(const std::vector<std::string>& listing);
// A text message cut after kTextShownBytes with "\x85 mais N caracteres" when it is longer.
std::string textView(const std::string& text);

// Height of the label of a text `textWidth` pixels wide: one line per started 685 pixels.
constexpr int chatTextHeight(int textWidth)
{
    return (textWidth / kChatLabelWidth + 1) * kChatLineHeight;
}

}  // namespace ludomat
