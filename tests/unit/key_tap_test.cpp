// Presses shorter than one message round: the window delivers a key's press and release (or a
// click's) together, and "inkey" and "stop" must still see them, once.

#include "engine/engine.h"
#include "engine/key_names.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>

using namespace ludomat;

namespace {

// What the window delivers in one message round: a tap of A, a click, B pressed, or B's auto-repeat and release.
enum class Round { Tap, Click, Press, RepeatAndRelease };

// Delivers the scheduled rounds, counted from the run's first message round.
class TappingHost : public Host {
public:
    Engine* engine = nullptr;
    std::map<int, Round> schedule;
    int round = 0;

    void processEvents() override
    {
        auto it = schedule.find(++round);
        if (it == schedule.end()) return;
        const int32_t a = *keyCodeFromName("A");
        const int32_t b = *keyCodeFromName("B");
        switch (it->second) {
            case Round::Tap:
                engine->keyDown(a), engine->keyUp();
                break;
            case Round::Click:
                engine->mousePressed(MouseButton::Left, 5, 5, false);
                engine->mouseReleased(5, 5, false);
                break;
            case Round::Press:
                engine->keyDown(b);
                break;
            case Round::RepeatAndRelease:
                engine->keyDown(b), engine->keyUp();
                break;
        }
    }
    void sleepFor(std::chrono::nanoseconds) override {}
    // Nothing scheduled is left to answer a "stop": end the run instead of waiting forever.
    bool abortRequested() override { return round > 200; }
};

struct TapCase {
    const char* what;
    std::vector<std::string> script;
    std::map<int, Round> schedule;
    std::map<int, std::string> expected;  // register -> text
};

// "inkey" lets one message round through after reading.
const TapCase kCases[] = {
    {"stop ends on a tap, which is then spent", {"stop 1", "inkey 2"}, {{1, Round::Tap}}, {{1, "A"}, {2, ""}}},
    {"stop ends on a click", {"stop 1"}, {{1, Round::Click}}, {{1, "btlf"}}},
    {"a tap between two reads is read once",
     {"inkey 1", "inkey 2", "inkey 3"},
     {{1, Round::Tap}},
     {{1, ""}, {2, "A"}, {3, ""}}},
    {"a held key repeating is not read again after its release",
     {"inkey 1", "inkey 2", "inkey 3"},
     {{1, Round::Press}, {2, Round::RepeatAndRelease}},
     {{1, ""}, {2, "B"}, {3, ""}}},
    {"a tap before stop does not answer it",
     {"inkey 9", "stop 1"},
     {{1, Round::Tap}, {4, Round::Press}},
     {{9, ""}, {1, "B"}}},
};

void PrintTo(const TapCase& c, std::ostream* out) { *out << c.what; }

class KeyTap : public ::testing::TestWithParam<TapCase> {};

TEST_P(KeyTap, ReachesTheScript)
{
    const TapCase& c = GetParam();
    TappingHost host;
    Engine engine(&host);
    host.engine = &engine;
    host.schedule = c.schedule;
    engine.script().setLines(c.script);
    engine.execute("prog.scp");
    EXPECT_FALSE(engine.lastError()) << engine.lastError()->message;
    EXPECT_LE(host.round, 200) << "the run waited for an answer that had come";
    for (const auto& [reg, text] : c.expected) EXPECT_EQ(engine.state().registers[reg], text) << "reg " << reg;
}

INSTANTIATE_TEST_SUITE_P(Rounds, KeyTap, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (char ch : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

}  // namespace
