// Reading poll replies into chat records, including replies that end inside a record.

#include "online/chat_records.h"
#include "online/endpoints.h"

#include <gtest/gtest.h>

using namespace ludomat;

TEST(ChatRecords, ReadsTextAndListingRecordsAndStopsAtTheEndOfTheReply)
{
    EXPECT_TRUE(readChatRecords({"Ok"}).empty());
    EXPECT_TRUE(readChatRecords({"OK", "ana", "oi"}).empty());

    auto records = readChatRecords({"Ok", "ana (10:00)", "oi", "", "", "bia (10:01)", "lst", "a", "", "b", kChatSeparator,
                                    "caio (10:02)", "tchau"});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].text, "oi");
    EXPECT_TRUE(records[1].isListing);
    EXPECT_EQ(records[1].listing, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(records[2].header, "caio (10:02)");
    EXPECT_FALSE(records[2].cutOff);

    // A header alone, and a listing without its separator: kept as far as they go.
    records = readChatRecords({"Ok", "ana (10:00)"});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].cutOff);
    records = readChatRecords({"Ok", "bia (10:01)", "lst", "reg= 1,2"});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].cutOff);
    EXPECT_EQ(records[0].listing, std::vector<std::string>{"reg= 1,2"});
    // The separator is the three bytes 2D A7 2D only; its UTF-8 spelling is a listing line.
    records = readChatRecords({"Ok", "bia", "lst", "-\xC2\xA7-", kChatSeparator});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].listing, std::vector<std::string>{"-\xC2\xA7-"});
}

TEST(ChatRecords, TextHeightGrowsByOneLinePerStarted685Pixels)
{
    EXPECT_EQ(chatTextHeight(0), 25);
    EXPECT_EQ(chatTextHeight(684), 25);
    EXPECT_EQ(chatTextHeight(685), 50);
    EXPECT_EQ(chatTextHeight(1400), 75);
}
