// Keys, mouse, hotspots and the input box: the key names, the input commands, and clicks and
// answers arriving while a run waits or when no run is active; scripted clicks, typed answers and
// links to labels and scripts are in the script corpus.

#include "engine/engine.h"
#include "engine/key_names.h"
#include "tools/headless_host.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

using namespace ludomat;

namespace {

class TestHost : public Host {
public:
    std::function<void()> onEvents;  // runs inside processEvents, as a window's handlers would
    int events = 0;
    bool abort = false;
    std::vector<int> cursors;
    std::vector<InputBox> boxes;

    void processEvents() override
    {
        ++events;
        if (onEvents) onEvents();
    }
    bool abortRequested() override { return abort; }
    void cursorChanged(int code) override { cursors.push_back(code); }
    void inputBoxChanged(const InputBox& box) override { boxes.push_back(box); }
};

struct InputFixture : ::testing::Test {
    TestHost host;
    Engine engine{&host};
    const std::string& reg(int n) { return engine.state().registers[n]; }
    void run(std::vector<std::string> lines)
    {
        engine.script().setLines(std::move(lines));
        engine.execute("prog.scp");
    }
    void addSpot(int x, int y, int w, int h, std::string target, uint8_t cursor = kLinkCursor)
    {
        Hotspot spot;
        spot.x = x, spot.y = y, spot.width = w, spot.height = h;
        spot.target = std::move(target);
        spot.cursor = cursor;
        engine.hotspots().add(std::move(spot));
    }
    void click(int x, int y)
    {
        engine.mouseMoved(x, y);
        engine.mousePressed(MouseButton::Left, x, y);
        engine.mouseReleased(x, y);
    }
};

}  // namespace

TEST(KeyNames, TableNamesLowByteCharactersAndNothingForZero)
{
    EXPECT_EQ(keyName(0), "");
    EXPECT_EQ(keyName(37), "Left");
    EXPECT_EQ(keyName(13), "Enter");
    EXPECT_EQ(keyName(34), "PgDw");
    EXPECT_EQ(keyName(123), "F12");
    EXPECT_EQ(keyName(65), "A");
    EXPECT_EQ(keyName(55), "7");
    EXPECT_EQ(keyName(0x141), "A");  // only the low byte counts
}

TEST(KeyNames, NamesLeadBackToTheirCodes)
{
    // Every table name, letter key and digit key; a lower-case letter names the letter key,
    // not the key (a numeric-pad one) whose code gives that character.
    for (int32_t code = 1; code < 256; ++code) {
        std::string name = keyName(code);
        bool named = name.size() > 1 || std::isupper(code) || std::isdigit(code);
        if (named) {
            EXPECT_EQ(keyCodeFromName(name), code) << name;
        }
    }
    EXPECT_EQ(keyCodeFromName("left"), 37);
    EXPECT_EQ(keyCodeFromName("SPACE"), 32);
    EXPECT_EQ(keyCodeFromName("a"), 65);
    EXPECT_EQ(keyCodeFromName("F5"), 116);
    EXPECT_FALSE(keyCodeFromName(""));
    EXPECT_FALSE(keyCodeFromName("F13"));
    EXPECT_FALSE(keyCodeFromName("-"));
}

TEST_F(InputFixture, InkeyStoresTheHeldKeyByName)
{
    run({"inkey 1"});
    EXPECT_EQ(reg(1), "");
    engine.keyDown(37);
    run({"inkey 1", "inkey 251"});
    EXPECT_EQ(reg(1), "Left");
    EXPECT_FALSE(engine.lastError());
    engine.keyDown(65);
    run({"inkey 1"});
    EXPECT_EQ(reg(1), "A");
    EXPECT_GE(host.events, 1);  // inkey lets messages run once
    run({"inkey -1"});
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::Index);
}

TEST_F(InputFixture, StopReturnsAtOnceWhenAKeyOrButtonIsHeld)
{
    engine.keyDown(37);
    run({"stop 3"});
    EXPECT_EQ(reg(3), "Left");
    EXPECT_EQ(host.events, 0);
    engine.mousePressed(MouseButton::Right, 5, 5);
    run({"stop 300"});  // above the last register: register 0; the button wins over the key
    EXPECT_EQ(reg(0), "btrg");
}

TEST_F(InputFixture, StopGivesUpWhenTheRunIsStoppedOrTheHostAborts)
{
    host.onEvents = [&] {
        if (host.events == 3) engine.stopOrContinue();
    };
    run({"stop 2", "reg= 3,depois"});
    EXPECT_EQ(reg(2), "");
    EXPECT_EQ(reg(3), "");
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Cont);

    host.onEvents = [&] { host.abort = host.events > 10; };
    run({"stop 2", "reg= 3,depois"});
    EXPECT_EQ(reg(2), "");
    EXPECT_EQ(reg(3), "");
}

TEST_F(InputFixture, GetmouseXAndYGiveTheLastPressOnAHotspot)
{
    addSpot(100, 40, 30, 10, ":nada");
    engine.mousePressed(MouseButton::Left, 50, 50);  // no hotspot there: not a click position
    engine.mouseMoved(110, 45);
    engine.mousePressed(MouseButton::Left, 110, 45);
    engine.mouseReleased(110, 45);
    run({"getmouse.x 1", "getmouse.y 2", "getmouse.x 251"});
    EXPECT_EQ(reg(1), "110");
    EXPECT_EQ(reg(2), "45");
    EXPECT_FALSE(engine.lastError());
}

TEST_F(InputFixture, InputShowsTheBoxWithTheRegistersTextScaled)
{
    engine.state().scaleFactor = 1.5;
    run({"reg= 5,velho", "input= 5,10,20,,,:fim", "input= 251"});
    EXPECT_EQ(engine.lastError()->line, 2);
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::Index);
    const InputBox& box = engine.inputBox();
    ASSERT_TRUE(box.visible);
    EXPECT_EQ(box.registerIndex, 5);
    EXPECT_EQ(box.text, "velho");
    EXPECT_EQ(box.left, 15);
    EXPECT_EQ(box.top, 30);
    EXPECT_EQ(box.width, 150);
    EXPECT_EQ(box.height, 45);
    EXPECT_EQ(box.target, ":fim");
    EXPECT_TRUE(host.boxes.back().visible);

    run({"input= 1", "input off"});
    EXPECT_FALSE(engine.inputBox().visible);
    EXPECT_FALSE(host.boxes.back().visible);
}

TEST_F(InputFixture, InptdefStylesTheBoxFromItsParametersOrTheTextSettings)
{
    const InputBoxStyle& style = engine.inputBox().style;
    EXPECT_EQ(style.fontFace, "Courier New");
    EXPECT_EQ(style.background, 0xFFFFFFu);
    EXPECT_EQ(style.ink, 0x000000u);
    EXPECT_TRUE(style.border);

    run({"inptdef= Arial,FF0000,00FF00,20,1,BiU,up"});
    EXPECT_EQ(style.fontFace, "Arial");
    EXPECT_EQ(style.background, 0xFF0000u);
    EXPECT_EQ(style.ink, 0x00FF00u);
    EXPECT_EQ(style.fontSize, 20);
    EXPECT_TRUE(style.border);
    EXPECT_TRUE(style.bold);
    EXPECT_FALSE(style.italic);
    EXPECT_TRUE(style.underline);
    EXPECT_TRUE(engine.inputBox().upperCase);

    engine.state().scaleFactor = 2.0;
    run({"fntsize= 12", "corfnd= 0000FF", "inptdef= ,,,abc,2,,down"});
    EXPECT_EQ(style.fontFace, "Courier New");
    EXPECT_EQ(style.background, 0x0000FFu);
    EXPECT_EQ(style.ink, 0xFFFFFFu);
    EXPECT_EQ(style.fontSize, 24);
    EXPECT_FALSE(style.border);
    EXPECT_FALSE(style.bold);
    EXPECT_FALSE(engine.inputBox().upperCase);

    run({"inptdef= Arial,XYZ"});
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::Conversion);
    EXPECT_EQ(style.fontFace, "Courier New");
}

TEST_F(InputFixture, TheHigherOfTwoOverlappingHotspotsGetsHoverAndClick)
{
    engine.script().setLines({"fim", ":a", "reg= 1,a", "fim", ":b", "reg= 1,b"});
    addSpot(0, 0, 50, 50, ":a", 2);
    addSpot(40, 40, 50, 50, ":b", 11);
    engine.mouseMoved(45, 45);
    EXPECT_EQ(engine.hotspots().hoverSlot(), 1);
    EXPECT_EQ(host.cursors.back(), 11);
    engine.mouseMoved(10, 10);
    EXPECT_EQ(host.cursors.back(), 2);
    engine.mouseMoved(200, 200);
    EXPECT_EQ(host.cursors.back(), 0);
    click(45, 45);
    EXPECT_EQ(reg(1), "b");
    EXPECT_FALSE(engine.state().isRunning);
}

TEST_F(InputFixture, APressedPictureWithARefusedNameOnlyLosesItsLook)
{
    Hotspot spot;
    spot.x = 10, spot.y = 10, spot.width = 20, spot.height = 20;
    spot.target = ":alvo";
    spot.picture = std::string("botao\0x.png", 11);
    engine.hotspots().add(std::move(spot));
    engine.script().setLines({"fim", ":alvo", "reg= 1,clicado"});
    // Outside a run, the press must not throw out of the window's event handler.
    EXPECT_NO_THROW(click(20, 20));
    EXPECT_EQ(reg(1), "clicado");
    EXPECT_FALSE(engine.lastError());
}

// Scripted input through the headless runner, as ludomat-run delivers it; typed answers and
// clicks in a run are in the script corpus.
struct TypedInputFixture : ::testing::Test {
    HeadlessHost host;
    Engine engine{&host};
    void SetUp() override
    {
        host.attach(&engine);
        host.startClock();
    }
};

TEST_F(TypedInputFixture, EventsDueTogetherComeOneAMessageRound)
{
    // A machine too busy to keep up: a press, its release and the next press all fall due at once.
    QString error;
    for (const char* value : {"Right@0", "Right@0"}) {
        auto down = parseScriptedEvent(ScriptedEvent::Kind::KeyDown, value, &error);
        auto up = parseScriptedEvent(ScriptedEvent::Kind::KeyUp, value, &error);
        ASSERT_TRUE(down && up) << error.toStdString();
        host.scriptedInput().add(*down);
        host.scriptedInput().add(*up);
    }
    std::vector<int32_t> seen;
    for (int round = 0; round < 5; ++round) {
        host.processEvents();
        seen.push_back(engine.state().lastKey);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{39, 0, 39, 0, 0}));
}
