#include "online/chat_records.h"

#include "online/endpoints.h"

#include <algorithm>

namespace ludomat {

std::vector<ChatRecord> readChatRecords(const std::vector<std::string>& lines)
{
    std::vector<ChatRecord> records;
    if (lines.size() < 2 || lines[0] != "Ok") return records;
    size_t i = 1;
    while (i < lines.size()) {
        ChatRecord record;
        record.header = lines[i++];
        if (i >= lines.size()) {
            record.cutOff = true;
        } else if (lines[i] == "lst") {
            record.isListing = true;
            for (++i; i < lines.size() && lines[i] != kChatSeparator; ++i) record.listing.push_back(lines[i]);
            record.cutOff = i >= lines.size();
            if (!record.cutOff) ++i;
        } else {
            record.text = lines[i++];
        }
        records.push_back(std::move(record));
        while (i < lines.size() && lines[i].empty()) ++i;
    }
    return records;
}

ChatBodyView listingView(const std::vector<std::string>& listing)
{
    ChatBodyView view;
    const size_t shown = std::min(listing.size(), kListingShownLines);
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) view.text += '\n';
        // A shown line is cut too: one line of 60 KiB would be as costly as many.
        view.text += listing[i].substr(0, kTextShownBytes);
    }
    view.lines = int(std::max<size_t>(shown, 1));
    if (listing.size() > shown) {
        view.text += "\n\x85 mais " + std::to_string(listing.size() - shown) + " linhas";
        ++view.lines;
    }
    return view;
}

std::string textView(const std::string& text)
{
    if (text.size() <= kTextShownBytes) return text;
    return text.substr(0, kTextShownBytes) + " \x85 mais " + std::to_string(text.size() - kTextShownBytes) +
           " caracteres";
}

}  // namespace ludomat
