// How texts become numbers and colours, and numbers become texts.

#include "engine/registers.h"
#include "engine/script_error.h"
#include "engine/text_values.h"

#include <gtest/gtest.h>

using namespace ludomat;

TEST(Integers, AcceptLeadingBlanksSignAndHex)
{
    EXPECT_EQ(parseInt("42"), 42);
    EXPECT_EQ(parseInt("   42"), 42);
    EXPECT_EQ(parseInt("-7"), -7);
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt("$FF"), 255);
    EXPECT_EQ(parseInt("$ff"), 255);
    EXPECT_EQ(parseInt("-$10"), -16);
    EXPECT_EQ(parseInt("$FFFFFFFF"), -1);
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt("007"), 7);
}

TEST(Integers, RejectEverythingElse)
{
    for (const char* text : {"", " ", "-", "$", "42 ", "4 2", "abc", "12abc", "2147483648", "-2147483649",
                             "$100000000", "0x10", "1.5", "\t5"})
        EXPECT_FALSE(parseInt(text)) << '"' << text << '"';
    EXPECT_EQ(toIntOr("abc", 9), 9);
}

TEST(Integers, StrictConversionNamesTheText)
{
    try {
        toIntStrict("abc");
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Conversion);
        EXPECT_EQ(std::string(e.what()).rfind("\"abc\" n\xE3o \xE9 um n\xFAmero inteiro;", 0), 0u) << e.what();
    }
}

TEST(Integers, WrittenBackWithoutLeadingZerosOrPlus)
{
    std::string out = "some long previous text that is reused";
    assignInt(out, -305);
    EXPECT_EQ(out, "-305");
    EXPECT_EQ(intToText(INT32_MIN), "-2147483648");
    EXPECT_EQ(wrapAdd(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(wrapMul(65536, 65536), 0);
}

TEST(RealNumbers, GeneralFormatWithFifteenDigits)
{
    EXPECT_EQ(formatGeneral(10.0 / 4), "2.5");
    EXPECT_EQ(formatGeneral(10.0 / 5), "2");
    EXPECT_EQ(formatGeneral(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(formatGeneral(-2.0 / 3), "-0.666666666666667");
    EXPECT_EQ(formatGeneral(2147483647.0 / 2), "1073741823.5");
    EXPECT_EQ(formatGeneral(1.0 / 100000), "0.00001");
    EXPECT_EQ(formatGeneral(1.0 / 2000000), "5E-7");
    EXPECT_EQ(formatGeneral(1.0 / 2147483647), "4.6566128752458E-10");
    EXPECT_EQ(formatGeneral(0.0), "0");
    EXPECT_EQ(formatGeneral(-120.0), "-120");
}

TEST(Colours, ReorderRedGreenBlueToTheToolkitValue)
{
    EXPECT_EQ(toColour("00FF00"), 0x00FF00);
    EXPECT_EQ(toColour("FF0000"), 0x0000FF);
    EXPECT_EQ(toColour("0000FF"), 0xFF0000);
    EXPECT_EQ(toColour("123456"), 0x563412);
    EXPECT_EQ(toColour("ffffff"), 0xFFFFFF);
    // Shorter texts take the same character positions and simply give fewer digits.
    EXPECT_EQ(toColour("FF"), 0xFF);
    EXPECT_EQ(toColour("12345"), 0x53412);
    EXPECT_THROW(toColour("GG0000"), ScriptError);
    EXPECT_THROW(toColour(""), ScriptError);
}

TEST(Texts, UnescapeAndTrim)
{
    EXPECT_EQ(unescapeText("a~b^c\xA7"), "a b,c\xA7");
    EXPECT_EQ(trimBlanks("  \t x y \r\n"), "x y");
    EXPECT_EQ(trimBlanks("   "), "");
}

TEST(Random, SameSequenceFromEveryStart)
{
    RandomGenerator generator;
    const uint32_t expected[] = {0, 3, 86, 20, 27, 67, 31, 16, 37, 42};
    for (uint32_t value : expected) EXPECT_EQ(generator.draw(100), value);
    RandomGenerator fresh;
    fresh.draw(100);
    EXPECT_EQ(fresh.draw(0), 0u);  // a range of 0 gives 0
}

TEST(Registers, IndexErrorsNameTheIndex)
{
    RegisterTable table;
    table.at(250) = "ok";
    EXPECT_EQ(table[250], "ok");
    try {
        table.at(251);
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Index);
        EXPECT_STREQ(e.what(), "o registrador 251 n\xE3o existe; use um n\xFAmero de 0 a 250.");
    }
    EXPECT_THROW(table.at(-1), ScriptError);
}

TEST(Registers, AliasesRedefineInPlaceAndTheLastOneNamesARow)
{
    RegisterAliases aliases;
    aliases.define("vida", "5");
    aliases.define("pontos", "5");
    aliases.define("vida", "9");
    ASSERT_NE(aliases.find("vida"), nullptr);
    EXPECT_EQ(aliases.find("vida")->number, "9");
    EXPECT_EQ(aliases.find("Vida"), nullptr);
    EXPECT_EQ(aliases.entries().size(), 2u);
    EXPECT_EQ(aliases.lastAliasFor(5)->name, "pontos");
    EXPECT_EQ(aliases.lastAliasFor(9)->name, "vida");
    EXPECT_EQ(aliases.lastAliasFor(1), nullptr);
}
