#pragma once
// The run-time record every command shares: where the run is, the line being interpreted, the
// registers and the state of the run controls.

#include "engine/registers.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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
    // The last key and button pressed since a command read them, kept after their release: a
    // tap shorter than one message round must still reach "inkey" and end a "stop".
    int32_t pressedKey = 0;
    std::string pressedButton;
    RegisterTable registers;
    RegisterAliases aliases;
    RandomGenerator random;
    double scaleFactor = 1.0;
    uint8_t screenMode = 1;
    StopCaption stopCaption = StopCaption::Stop;

    // CommandWord and Param1..Param9 (n is 1-based). They usually view the line's cached parse,
    // so reading a line copies nothing; a handler that rewrites one stores its own copy.
    std::string_view commandWord() const { return m_commandWord; }
    void setCommandWord(std::string_view word)
    {
        m_commandWordStore.assign(word);
        m_commandWord = m_commandWordStore;
    }
    std::string_view param(int n) const { return m_params[size_t(n - 1)]; }
    void setParam(int n, std::string_view text)
    {
        std::string& store = m_paramStore[size_t(n - 1)];
        // Loops set the same text again and again (a jump's label): skip the copy then.
        if (std::string_view(store) != text) store.assign(text);
        m_params[size_t(n - 1)] = store;
        m_paramNumbers[size_t(n - 1)] = kUnknownNumber;
        if (n > m_paramsInUse) m_paramsInUse = n;
    }
    // The parameter's number when the line reader already knows it, else kUnknownNumber.
    int64_t paramNumber(int n) const { return m_paramNumbers[size_t(n - 1)]; }
    // For the line reader: view texts that outlive the line.
    void viewCommandWord(std::string_view word) { m_commandWord = word; }
    void viewParam(int n, std::string_view text, int64_t number = kUnknownNumber)
    {
        m_params[size_t(n - 1)] = text;
        m_paramNumbers[size_t(n - 1)] = number;
        if (n > m_paramsInUse) m_paramsInUse = n;
    }
    // Empties Param(count + 1) and on: only those the previous line or a handler filled.
    void clearParamsFrom(int count)
    {
        for (int i = count; i < m_paramsInUse; ++i) {
            m_params[size_t(i)] = {};
            m_paramNumbers[size_t(i)] = kUnknownNumber;
        }
        m_paramsInUse = count;
    }
    static constexpr int64_t kUnknownNumber = INT64_MIN;
    std::string& paramStore(int n) { return m_paramStore[size_t(n - 1)]; }

private:
    std::string_view m_commandWord;
    std::string m_commandWordStore;
    std::array<std::string_view, 9> m_params{};
    std::array<int64_t, 9> m_paramNumbers{};
    // Parameters past this many are known to be empty.
    int m_paramsInUse = 9;
    std::array<std::string, 9> m_paramStore;
};

}  // namespace ludomat
