#include "graphics/cp1252.h"

#include <gtest/gtest.h>

using namespace ludomat;

TEST(Cp1252, DecodesTheWindowsRangeAndLatin1)
{
    EXPECT_EQ(fromCp1252("\xA7"), QString(QChar(0x00A7)));
    EXPECT_EQ(fromCp1252("a\x80z"), QString::fromUtf8("a\u20ACz"));
    EXPECT_EQ(fromCp1252("\x8A\x9F\x99\x85"), QString::fromUtf8("\u0160\u0178\u2122\u2026"));
    EXPECT_EQ(fromCp1252("S\xE3o Jo\xE3o"), QString::fromUtf8("S\u00E3o Jo\u00E3o"));
    EXPECT_EQ(fromCp1252(std::string("a\0b", 3)).size(), 3);
}

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(char(i));
    const QString text = fromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1252(text), all);
    // The five unassigned bytes keep their own numbers.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252ToUnicode(b), char32_t(b));
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1252(QString::fromUtf8("\u20AC5 \u00A7 \u4E2D")), "\x80" "5 \xA7 ?");
    // One character outside the basic plane is one '?', not two.
    EXPECT_EQ(toCp1252(QString::fromUtf8("a\U0001F600b")), "a?b");
    // C1 controls that the code page uses for letters have no byte of their own.
    EXPECT_EQ(unicodeToCp1252(0x0080), '?');
    EXPECT_EQ(unicodeToCp1252(0x0160), 0x8A);
}
