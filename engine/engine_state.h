#pragma once
// The run-time record every command shares: where the run is, the line being interpreted, the
// registers and the state of the run controls.

#include "engine/registers.h"

#include <array>
#include <cstdint>
#include <string>

namespace ludomat {

constexpr int kWatchSlotCount = 11;

// Arguments a script receives through "&Prm=", "&Prx=", "&Pry=", "&Ptx=", "&Pty=".
struct ScriptArgs {
    std::string prm, prx, pry, ptx, pty;
};

// The caption of the Stop button says what pressing it does.
enum class StopCaption { Stop, Cont };

struct EngineState {
    int lineCounter = 0;
    std::string currentLine;
    std::string commandWord;
    std::array<std::string, 9> params;  // Param1..Param9; use param(n)
    int pausedLine = -1;
    bool isRunning = false;
    int returnLine = -1;
    std::string returnScript;
    std::string currentScript;
    ScriptArgs args;
    int clickX = 0;
    int clickY = 0;
    std::array<int, kWatchSlotCount> watchSlots{0, 1, 2, 3, 4, 5, -1, -1, -1, -1, -1};
    int32_t lastKey = 0;
    std::string lastButton;
    RegisterTable registers;
    RegisterAliases aliases;
    RandomGenerator random;
    double scaleFactor = 1.0;
    uint8_t screenMode = 1;
    StopCaption stopCaption = StopCaption::Stop;

    std::string& param(int n) { return params[size_t(n - 1)]; }
    const std::string& param(int n) const { return params[size_t(n - 1)]; }
};

}  // namespace ludomat
