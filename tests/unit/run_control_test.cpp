// The run loop as the window drives it: stop and continue, breaks, single steps, errors, nested
// runs and the promise that a script that never waits still lets the window respond.

#include "engine/engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using namespace ludomat;
using Clock = std::chrono::steady_clock;

namespace {

class RecordingHost : public Host {
public:
    std::function<void()> onEvents;  // runs inside processEvents, as a click would
    int events = 0;
    int started = 0;
    int ended = 0;
    std::vector<int> pauses;
    std::vector<int> steps;
    std::vector<std::string> loaded;
    std::vector<RunError> errors;
    std::optional<Clock::time_point> abortAt;

    void processEvents() override
    {
        ++events;
        if (onEvents) onEvents();
    }
    bool abortRequested() override { return abortAt && Clock::now() >= *abortAt; }
    void runStarted() override { ++started; }
    void runEnded() override { ++ended; }
    void pausedAt(int line) override { pauses.push_back(line); }
    void stepped(int line) override { steps.push_back(line); }
    void scriptLoaded(const std::string& name) override { loaded.push_back(name); }
    void showError(const RunError& error) override { errors.push_back(error); }
};

struct EngineFixture : ::testing::Test {
    RecordingHost host;
    Engine engine{&host};
    const std::string& reg(int n) { return engine.state().registers[n]; }
    void load(std::vector<std::string> lines) { engine.script().setLines(std::move(lines)); }
};

}  // namespace

TEST_F(EngineFixture, StopDuringAPauseEndsAfterItAndContRunsThePauseAgain)
{
    load({"inc 1", "pausa 20", "inc 2"});
    bool stopped = false;
    host.onEvents = [&] {
        if (!stopped) {
            stopped = true;
            engine.stopOrContinue();
        }
    };
    engine.execute("prog01.scp");
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Cont);
    EXPECT_EQ(engine.state().pausedLine, 1);
    ASSERT_EQ(host.pauses, std::vector<int>{1});
    EXPECT_EQ(reg(1), "1");
    EXPECT_EQ(reg(2), "");
    EXPECT_FALSE(engine.state().isRunning);

    int eventsBefore = host.events;
    engine.stopOrContinue();  // Cont
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Stop);
    EXPECT_EQ(reg(1), "1");
    EXPECT_EQ(reg(2), "1");
    EXPECT_GE(host.events - eventsBefore, 20);  // the pause ran in full once more
    EXPECT_EQ(engine.state().pausedLine, -1);
}

TEST_F(EngineFixture, BreakPausesAtTheNextLineAndContGoesOnFromThere)
{
    load({"inc 1", "inc 1", "inc 1", "inc 1", "break", "inc 2", "inc 2"});
    engine.execute("prog01.scp");
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Cont);
    EXPECT_EQ(engine.state().pausedLine, 5);
    EXPECT_EQ(host.pauses, std::vector<int>{5});
    EXPECT_EQ(reg(1), "4");
    engine.stopOrContinue();
    EXPECT_EQ(reg(2), "2");
    EXPECT_EQ(reg(1), "4");
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Stop);
}

TEST_F(EngineFixture, StepsRunOneLineFromTheCaret)
{
    load({"inc 1", "inc 2", "break", "inc 3", "goto alvo", "inc 4", ":alvo", "inc 5", "inc 6"});
    engine.setCaretLine(1);
    engine.stepLine();
    EXPECT_EQ(reg(1), "");
    EXPECT_EQ(reg(2), "1");
    EXPECT_EQ(engine.state().pausedLine, 2);
    EXPECT_EQ(engine.shownLine(), 2);
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Stop);  // stepping keeps the caption

    engine.stepLine();  // "break" is stepped over, not executed
    EXPECT_EQ(engine.state().pausedLine, 3);
    EXPECT_TRUE(host.pauses.empty());

    engine.stepLine();
    engine.stepLine();  // the jump runs the line after the label in the same step
    EXPECT_EQ(reg(3), "1");
    EXPECT_EQ(reg(4), "");
    EXPECT_EQ(reg(5), "1");
    EXPECT_EQ(engine.state().pausedLine, 8);
    EXPECT_EQ(host.steps, (std::vector<int>{2, 3, 4, 8}));

    engine.setCaretLine(9);
    engine.stepLine();  // past the end: nothing
    EXPECT_EQ(host.steps.size(), 4u);
}

TEST_F(EngineFixture, AScriptThatNeverWaitsStillLetsTheWindowRespond)
{
    // The window closes once it has been let through three times; the far deadline only ends a
    // run that never lets it through (a loaded machine may take its time for the three).
    load({":a", "inc 1", "goto a"});
    host.abortAt = Clock::now() + std::chrono::seconds(20);
    host.onEvents = [&] {
        if (host.events == 3) host.abortAt = Clock::now();
    };
    engine.execute("prog01.scp");
    EXPECT_GE(host.events, 3);
    EXPECT_FALSE(engine.state().isRunning);
    EXPECT_GT(std::stoi(reg(1)), 1000);
}

TEST_F(EngineFixture, ALoopOfJumpsAloneCanBeStopped)
{
    load({":a", "goto b", ":b", "goto a"});
    bool stopped = false;
    host.onEvents = [&] {
        if (!stopped) {
            stopped = true;
            engine.stopOrContinue();
        }
    };
    engine.execute("prog01.scp");
    EXPECT_EQ(engine.state().stopCaption, StopCaption::Cont);
    EXPECT_FALSE(engine.state().isRunning);
}

TEST_F(EngineFixture, AnErrorEndsTheRunWithItsLine)
{
    load({"reg= 1,a", "  reg/ 1,0  ", "reg= 2,never"});
    engine.execute("prog01.scp");
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.lastError()->line, 1);
    EXPECT_EQ(engine.lastError()->lineText, "  reg/ 1,0  ");
    EXPECT_EQ(engine.lastError()->message.rfind("divis\xE3o por zero;", 0), 0u);
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::DivisionByZero);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.ended, 1);
    EXPECT_FALSE(engine.state().isRunning);
    EXPECT_EQ(reg(2), "");

    load({"inc 1"});
    engine.execute("prog01.scp");
    EXPECT_FALSE(engine.lastError());
}

TEST_F(EngineFixture, AnErrorInANestedRunEndsTheOuterRunToo)
{
    load({"pausa 3", "reg= 1,outer went on", "fim", ":nested", "reg/ 2,0"});
    bool nested = false;
    host.onEvents = [&] {
        if (nested) return;
        nested = true;
        engine.state().lineCounter = 4;
        engine.runScript(kFreshStart);
    };
    engine.execute("prog01.scp");
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(reg(1), "");
    EXPECT_EQ(engine.runDepth(), 0);
}

TEST_F(EngineFixture, ExecuteResetsRegistersAndArgumentsButKeepsAliases)
{
    load({"defreg 9,nove", "reg= $nove,x", "inc 1"});
    engine.execute("prog01.scp");
    engine.state().args = {"m", "x", "y", "10", "11"};
    engine.state().clickX = 123;
    engine.state().clickY = 45;
    load({"reg= 1,#9", "param= 2,prm"});
    engine.execute("prog01.scp");
    EXPECT_EQ(reg(9), "");
    EXPECT_EQ(reg(1), "");
    EXPECT_EQ(reg(2), "");
    EXPECT_EQ(reg(10), "123");
    EXPECT_EQ(reg(11), "45");
    EXPECT_NE(engine.state().aliases.find("nove"), nullptr);
    EXPECT_EQ(engine.state().currentScript, "prog01");
}
