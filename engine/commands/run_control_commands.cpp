// Commands that control the run as a whole: end, chain to another script, wait, break.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/params.h"
#include "engine/text_values.h"

#include <thread>

namespace ludomat {

namespace {

void endCommand(Engine& engine) { engine.endRun(); }

void chainScript(Engine& engine)
{
    EngineState& state = engine.state();
    std::string target(valueParam(state, 1));
    if (target.empty()) return;
    std::string name = target.find('&') == std::string::npos ? target : splitScriptArgs(target, state.args);
    if (!engine.loadScriptFile(name)) return;
    // The run loop advances the counter, so the new script goes on from its second line.
    state.lineCounter = 0;
    // Track the script now running, so a later "gosub"/"return" comes back to it.
    state.currentScript = name;
}

void waitSteps(Engine& engine, std::chrono::milliseconds step)
{
    const EngineState& state = engine.state();
    int32_t count = numberParam(state, 1, "1", 1);
    bool letMessagesRun = valueParam(state, 2) != "off";
    for (int32_t i = 0; i < count; ++i) {
        if (letMessagesRun) engine.processEvents();
        // A closing window or a time-out ends the wait; the Stop button lets it count down.
        if (engine.host().abortRequested()) return;
        engine.host().sleepFor(step);
    }
}

void pauseCommand(Engine& engine) { waitSteps(engine, std::chrono::milliseconds(10)); }
void delayCommand(Engine& engine) { waitSteps(engine, std::chrono::milliseconds(1)); }

void breakCommand(Engine& engine)
{
    engine.state().lineCounter += 1;
    engine.pauseRun();
}

const CommandInfo kCommands[] = {
    {"fim end", "", "Termina a execução do script.", endCommand,
     "inc 1\nfim\ninc 2"},
    {"script", "nome[&Prm=..&Prx=..&Pry=..&Ptx=..&Pty=..]",
     "Continua em outro script da pasta do jogo (a primeira linha dele é pulada).", chainScript,
     "script outro\ninc 1"},
    {"pausa= pause= pausa pause", "vezes=1, off",
     "Espera vezes x 10 ms deixando a janela responder (\"off\": sem responder).", pauseCommand,
     "inc 1\npausa 50\ninc 1"},
    {"delay", "vezes=1, off", "Espera vezes x 1 ms.", delayCommand,
     "delay 100"},
    {"break breakpoint", "", "Pausa a execução na linha seguinte (continue com Cont).", breakCommand,
     "inc 1\nbreak\ninc 1"},
};

}  // namespace

std::span<const CommandInfo> runControlCommands() { return kCommands; }

}  // namespace ludomat
