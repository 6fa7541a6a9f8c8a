// Text boxes: how a text is split into words, line breaks and links, how the words are placed
// (wrapping, cutting at the box height), and what the renderer draws and records for links.

#include "engine/hotspot_table.h"
#include "engine/text_renderer.h"
#include "graphics/text_layout.h"

#include <gtest/gtest.h>

using namespace ludomat;

namespace {

using Kind = TextToken::Kind;

TextToken word(std::string text)
{
    return {Kind::Word, std::move(text), {}};
}
TextToken lineBreak()
{
    return {Kind::LineBreak, {}, {}};
}
TextToken link(std::string text, std::string target)
{
    return {Kind::Link, std::move(text), std::move(target)};
}

const std::string kBreak(1, kLineBreakChar);

TEST(TextTokens, SplitIntoWordsBreaksAndLinks)
{
    const struct {
        std::string text;
        std::vector<TextToken> tokens;
    } cases[] = {
        // Words keep their trailing blank, and a lone blank is a word.
        {"Hello big world", {word("Hello "), word("big "), word("world")}},
        {"a  b", {word("a "), word(" "), word("b")}},
        {"", {}},
        // Line breaks lead words, the last one too; a break inside a word is an ordinary character.
        {"one " + kBreak + "two " + kBreak + kBreak + "three",
         {word("one "), lineBreak(), word("two "), lineBreak(), lineBreak(), word("three")}},
        {"a" + kBreak + "b", {word("a" + kBreak + "b")}},
        {"end " + kBreak, {word("end "), lineBreak()}},
        // Links hold the shown part, blanks allowed, and the target; at the very end the closing
        // bar is not part of the target, and without it a target ends at the next blank.
        {"see @here|:lbl| now", {word("see "), link("here", ":lbl"), word(" "), word("now")}},
        {"go @there|:x|", {word("go "), link("there", ":x")}},
        {"@click here|:go| x", {link("click here", ":go"), word(" "), word("x")}},
        {"@open|game&Prm=5 next", {link("open", "game&Prm=5"), word(" "), word("next")}},
        {kBreak + "@a|:b|", {lineBreak(), link("a", ":b")}},
        // An at sign without a bar is an ordinary word.
        {"mail @home now", {word("mail "), word("@home "), word("now")}},
        {"@home", {word("@home")}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitTextTokens(c.text), c.tokens) << c.text;
}

// Ten pixels a character, so positions can be worked out by hand.
int tenPerChar(const std::string& s)
{
    return int(s.size()) * 10;
}

std::vector<std::pair<int, int>> positions(const std::vector<PlacedToken>& placed)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& p : placed) out.emplace_back(p.x, p.y);
    return out;
}

TEST(TextLayout, WrapsWhenAWordWouldPassTheRightEdge)
{
    auto tokens = splitTextTokens("aaaa bbbb cc");
    // "aaaa " and "bbbb " fill 100 pixels exactly, which still fits; "cc" starts line two.
    auto placed = layoutTextTokens(tokens, 100, 100, 16, tenPerChar);
    EXPECT_EQ(positions(placed), (std::vector<std::pair<int, int>>{{0, 0}, {50, 0}, {0, 24}}));
    EXPECT_EQ(placed[1].width, 50);
    EXPECT_EQ(lineStep(16), 24);
    EXPECT_EQ(lineStep(11), 16);
}

TEST(TextLayout, CutsAtTheLastLineWhoseStepFitsTheHeight)
{
    auto tokens = splitTextTokens("aaaa bbbb cccc dddd");
    // Height 48: the second line would end exactly at the bottom, which does not fit.
    EXPECT_EQ(layoutTextTokens(tokens, 50, 48, 16, tenPerChar).size(), 1u);
    EXPECT_EQ(layoutTextTokens(tokens, 50, 49, 16, tenPerChar).size(), 2u);
    // Too small for one line: nothing at all.
    EXPECT_TRUE(layoutTextTokens(tokens, 50, 24, 16, tenPerChar).empty());
}

TEST(TextLayout, LineBreaksAndWideWords)
{
    auto breaks = layoutTextTokens(splitTextTokens("a " + kBreak + kBreak + "b"), 200, 200, 16, tenPerChar);
    EXPECT_EQ(positions(breaks), (std::vector<std::pair<int, int>>{{0, 0}, {0, 48}}));
    // A word wider than the box moves down once, even at the start of a line, then runs past
    // the edge; the next word wraps again.
    auto wide = layoutTextTokens(splitTextTokens("abcdefgh x"), 30, 200, 16, tenPerChar);
    EXPECT_EQ(positions(wide), (std::vector<std::pair<int, int>>{{0, 24}, {0, 48}}));
}

TextBoxStyle inkOnly(Rgb ink)
{
    TextBoxStyle style;
    style.ink = ink;
    return style;
}

Hotspot area(int x, int y, int w, int h)
{
    Hotspot spot;
    spot.x = x;
    spot.y = y;
    spot.width = w;
    spot.height = h;
    return spot;
}

class TextRendererTest : public ::testing::Test {
protected:
    static constexpr Rgb kBackground = 0x000000;
    Bitmap bitmap{400, 200, kBackground};
    Canvas canvas{bitmap};
    TextSettings settings;
    HotspotTable hotspots;

    void SetUp() override
    {
        settings.inkColour = "FFFFFF";
        settings.linkColour = "FFFF00";
        settings.linkLineColour = "FF0000";
    }
    int countColour(const Rect& r, Rgb colour) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += bitmap.pixel(x, y) == colour;
        return n;
    }
};

TEST_F(TextRendererTest, LinkWordsEnterTheHotspotTableWhereTheyAreDrawn)
{
    TextRenderer renderer(canvas, settings, hotspots, 1.0);
    TextBoxRect box{10, 20, 380, 100, 16};
    renderer.render("  x @go|:lbl| y  ", box, inkOnly(0xFFFFFF));

    const Hotspot& spot = hotspots.slot(0);
    ASSERT_TRUE(spot.active);
    EXPECT_EQ(hotspots.nextSlot(), 1);
    EXPECT_EQ(spot.text, "go");
    EXPECT_EQ(spot.target, ":lbl");
    EXPECT_EQ(spot.cursor, kLinkCursor);
    EXPECT_TRUE(spot.picture.empty());
    EXPECT_EQ(spot.x, 10 + canvas.textWidth("x "));
    EXPECT_EQ(spot.y, 20);
    EXPECT_EQ(spot.width, canvas.textWidth("go"));
    EXPECT_EQ(spot.height, canvas.textHeight("go"));

    Rect word = Rect::fromXywh(spot.x, spot.y, spot.width, spot.height);
    EXPECT_GT(countColour(word, 0xFFFF00), 10) << "the word is in the link colour";
    EXPECT_EQ(countColour(word, 0xFFFFFF), 0) << "and only in it";
    // The line under it: 16 / 2 + 16 - 2 = 22 pixels below the top, the word's width long.
    EXPECT_EQ(countColour(Rect::fromXywh(spot.x, spot.y + 22, spot.width, 1), 0xFF0000), spot.width);
    EXPECT_EQ(bitmap.pixel(spot.x + spot.width, spot.y + 22), kBackground);
    // The words around it keep the ink.
    EXPECT_GT(countColour(Rect::fromXywh(10, 20, spot.x - 10, 24), 0xFFFFFF), 5);
}

TEST_F(TextRendererTest, UnderlineFollowsTheScaleAndItsOffset)
{
    settings.underlineOffset = 2;
    TextRenderer renderer(canvas, settings, hotspots, 2.0);
    TextBoxRect box{0, 0, 400, 200, 32};
    renderer.render("@go|:x|", box, inkOnly(0xFFFFFF));
    const Hotspot& spot = hotspots.slot(0);
    // 32 / 2 + 32 - 2 + 2 x 2 = 50, and a pen two pixels wide: a two-pixel disc centred on the
    // corner above-left of each pixel covers rows 49 and 50.
    std::vector<int> redRows;
    for (int y = 40; y < 60; ++y)
        if (bitmap.pixel(spot.x + spot.width / 2, y) == 0xFF0000) redRows.push_back(y);
    EXPECT_EQ(redRows, (std::vector{49, 50}));
}

TEST_F(TextRendererTest, TheTwentyFirstLinkReusesTheFirstSlot)
{
    std::string text;
    for (int i = 0; i < 21; ++i) text += "@w" + std::to_string(i) + "|:t" + std::to_string(i) + "| ";
    Bitmap big(2000, 2000, 0);
    Canvas bigCanvas(big);
    TextRenderer(bigCanvas, settings, hotspots, 1.0).render(text, {0, 0, 2000, 2000, 16}, inkOnly(0xFFFFFF));
    EXPECT_EQ(hotspots.slot(0).target, ":t20");
    EXPECT_EQ(hotspots.slot(1).target, ":t1");
    EXPECT_EQ(hotspots.slot(19).target, ":t19");
    EXPECT_EQ(hotspots.nextSlot(), 1);
}

TEST_F(TextRendererTest, CutTextAndCutLinksAreNotDrawnNorClickable)
{
    TextRenderer renderer(canvas, settings, hotspots, 1.0);
    // Room for one line only: the link on line two is left out altogether.
    renderer.render("first line " + kBreak + "@gone|:x|", {0, 0, 400, 30, 16}, inkOnly(0xFFFFFF));
    EXPECT_FALSE(hotspots.slot(0).active);
    EXPECT_EQ(countColour({0, 24, 400, 200}, 0xFFFFFF), 0);
    EXPECT_GT(countColour({0, 0, 400, 24}, 0xFFFFFF), 10);
}

TEST(HotspotTable, TheHighestMatchingSlotWinsAndBoundsCount)
{
    HotspotTable table;
    EXPECT_EQ(table.slotAt(0, 0), -1);
    table.add(area(10, 10, 20, 5));
    table.add(area(100, 100, 1, 1));
    table.add(area(0, 0, 50, 50));
    EXPECT_EQ(table.slotAt(30, 15), 2);
    EXPECT_EQ(table.slotAt(101, 101), 1);
    EXPECT_EQ(table.slotAt(102, 101), -1);
    EXPECT_EQ(table.slotAt(50, 50), 2);
    EXPECT_EQ(table.slotAt(51, 50), -1);

    // A new run starts filling at slot 0 again but keeps what is on the screen clickable.
    table.setHoverSlot(2);
    table.startRun();
    EXPECT_EQ(table.nextSlot(), 0);
    EXPECT_EQ(table.hoverSlot(), -1);
    EXPECT_TRUE(table.slot(2).active);
    table.clear();
    EXPECT_FALSE(table.slot(2).active);
    EXPECT_EQ(table.slotAt(30, 15), -1);
}

}  // namespace
