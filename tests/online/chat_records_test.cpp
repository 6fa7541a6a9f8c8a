// Reading poll replies into chat records, including replies that end inside a record.

#include "online/chat_records.h"
#include "online/endpoints.h"

#include <gtest/gtest.h>

using namespace ludomat;

TEST(ChatRecords, ReadsTextAndListingRecordsAndStopsAtTheEndOfTheReply)
{
    EXPECT_TRUE(readChatRecords({"Ok"}).empty());
    EXPECT_TRUE(readChatRecords({"OK", "ana", "oi"}).empty());

    auto records = readChatRecords({"Ok", "ana (10:00)", "oi", "", "", "bia (10:01)", "lst", "a", "", "b",
                                    kChatSeparator, "caio (10:02)", "tchau"});
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

// What the chat shows of a body is bounded whatever the message: a listing's first lines and the
// count of the others, a text's first bytes and the count of the others.
TEST(ChatRecords, ShowsABoundedPartOfLongMessages)
{
    const struct {
        size_t lines;
        int shownLines;
        const char* tail;  // how the shown text ends
    } listings[] = {
        {0, 1, ""},
        {1, 1, "linha 0"},
        {kListingShownLines, int(kListingShownLines), "linha 11"},
        {kListingShownLines + 1, int(kListingShownLines) + 1, "\x85 mais 1 linhas"},
        {21'000, int(kListingShownLines) + 1, "\x85 mais 20988 linhas"},
    };
    for (const auto& c : listings) {
        std::vector<std::string> listing;
        for (size_t i = 0; i < c.lines; ++i) listing.push_back("linha " + std::to_string(i));
        ChatBodyView view = listingView(listing);
        EXPECT_EQ(view.lines, c.shownLines) << c.lines;
        EXPECT_TRUE(view.text.ends_with(c.tail)) << c.lines << ": " << view.text;
        EXPECT_LT(view.text.size(), (kListingShownLines + 1) * 40) << c.lines;
    }
    // One enormous line is cut as a text is.
    EXPECT_LE(listingView({std::string(60'000, 'x')}).text.size(), kTextShownBytes);

    EXPECT_EQ(textView("oi"), "oi");
    EXPECT_EQ(textView(std::string(kTextShownBytes, 'a')), std::string(kTextShownBytes, 'a'));
    EXPECT_EQ(textView(std::string(kTextShownBytes + 10, 'a')),
              std::string(kTextShownBytes, 'a') + " \x85 mais 10 caracteres");
}

TEST(ChatRecords, TellsRefusalsFromAcceptedSends)
{
    const struct {
        const char* reply;
        bool refusal;
        bool accepted;
    } replies[] = {
        {"Ok", false, true},
        {"Ok\r\n", false, true},
        {"", false, true},
        {"Erro de acesso", true, false},
        {"Erro de acesso\r\n", true, false},
        {"Mensagem vazia.", false, false},
        {"OK", false, false},
        {"Erro de acesso!", false, false},
    };
    for (const auto& r : replies) {
        EXPECT_EQ(isAccessRefusal(r.reply), r.refusal) << r.reply;
        EXPECT_EQ(isSendAccepted(r.reply), r.accepted) << r.reply;
    }
}
