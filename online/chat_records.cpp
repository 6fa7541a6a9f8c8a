#include "online/chat_records.h"

#include "online/endpoints.h"

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

}  // namespace ludomat
