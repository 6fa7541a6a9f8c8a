// Control flow: jumps to labels, the one-level "gosub"/"return", tests that jump and tests that
// run an embedded command.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/params.h"
#include "engine/text_values.h"

#include <cerrno>

namespace ludomat {

namespace {

void gotoCommand(Engine& engine)
{
    // The label is used as written, without alias resolution.
    engine.requestJump(engine.state().param(1));
}

void gosubCommand(Engine& engine)
{
    EngineState& state = engine.state();
    std::string target(valueParam(state, 1));
    // One level only: a call made while another is open is ignored.
    if (target.empty() || state.returnLine != -1) return;
    if (target[0] == ':') {
        state.returnScript = state.currentScript;
        state.returnLine = state.lineCounter;
        engine.requestJump(std::string_view(target).substr(1));
        return;
    }
    int callerLine = state.lineCounter;
    std::string caller = state.currentScript;
    if (!engine.loadScriptFile(target)) return;
    state.returnScript = caller;
    state.returnLine = callerLine;
    state.currentScript = target;
    // The run loop advances the counter to the called script's first line.
    state.lineCounter = -1;
}

void returnCommand(Engine& engine)
{
    EngineState& state = engine.state();
    if (state.returnLine == -1) return;
    if (state.currentScript != state.returnScript && !engine.loadScriptFile(state.returnScript))
        throwFileOpenError(state.returnScript + ".scp", ENOENT);
    state.currentScript = state.returnScript;
    state.lineCounter = state.returnLine;
    state.returnLine = -1;
}

enum class Test { Equal, Different, Greater, Less };

bool holds(Test test, std::string_view a, std::string_view b, bool strictNumbers)
{
    switch (test) {
    case Test::Equal: return a == b;
    case Test::Different: return a != b;
    default: break;
    }
    int32_t x = strictNumbers ? toIntStrict(a) : toIntOr(a, 0);
    int32_t y = strictNumbers ? toIntStrict(b) : toIntOr(b, 0);
    return test == Test::Greater ? x > y : x < y;
}

template <Test test>
void jumpIfRegister(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    // Views stay valid: nothing below changes a register or a parameter before the jump.
    std::string_view label = valueParam(state, 3);
    if (r > kMaxRegister) return;
    const std::string& reg = state.registers.at(r);
    bool jump;
    if constexpr (test == Test::Equal || test == Test::Different)
        jump = holds(test, reg, valueParam(state, 2), false);
    else if constexpr (test == Test::Greater)
        jump = toIntOr(reg, 0) > numberParam(state, 2, "", 0);
    else
        jump = toIntOr(reg, 0) < numberParam(state, 2, "", 0);
    if (jump) engine.requestJump(label);
}

// Resolves every parameter of an embedded-command test: the first as an index, the rest as values.
void resolveAllParams(EngineState& state)
{
    std::string resolved[kMaxParams];
    resolved[0] = resolveIndex(state, state.param(1));
    for (int i = 1; i < kMaxParams; ++i) resolved[i] = resolveValue(state, state.param(i + 1));
    for (int i = 0; i < kMaxParams; ++i) state.setParam(i + 1, resolved[i]);
}

// Moves Param(first)..Param9 down to CommandWord, Param1.. and dispatches them again.
void runEmbedded(Engine& engine, int first)
{
    EngineState& state = engine.state();
    state.setCommandWord(state.param(first));
    // Moving down never overwrites a slot that is still to be read.
    int n = 1;
    for (int i = first + 1; i <= kMaxParams; ++i) state.setParam(n++, state.param(i));
    for (; n <= kMaxParams; ++n) state.setParam(n, {});
    engine.requestRedispatch();
}

template <Test test>
void runIfRegister(Engine& engine)
{
    EngineState& state = engine.state();
    resolveAllParams(state);
    int32_t r = toIntOr(state.param(1).empty() ? std::string_view("0") : state.param(1), 0);
    if (r > kMaxRegister) return;
    if (holds(test, state.registers.at(r), state.param(2), true)) runEmbedded(engine, 3);
}

// "if~": numbers are compared as numbers; any other texts in byte order.
void runIfInRange(Engine& engine)
{
    EngineState& state = engine.state();
    resolveAllParams(state);
    auto orZero = [](std::string_view s) { return s.empty() ? std::string_view("0") : s; };
    int32_t r = toIntOr(orZero(state.param(1)), 0);
    if (r > kMaxRegister) return;
    const std::string& value = state.registers.at(r);
    std::string_view low = orZero(state.param(2));
    std::string_view high = orZero(state.param(3));
    auto v = parseInt(value), lo = parseInt(low), hi = parseInt(high);
    bool inside = (v && lo && hi) ? (*lo <= *v && *v <= *hi) : (low <= value && std::string_view(value) <= high);
    if (inside) runEmbedded(engine, 4);
}

void jumpIfMode(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t mode = numberParamStrict(state, 1, "1");
    std::string label(valueParam(state, 2));
    if (mode == state.screenMode) engine.requestJump(label);
}

void recallCommand(Engine&) {}

const CommandInfo kCommands[] = {
    {"goto", ":rótulo sem os dois-pontos", "Pula para a linha seguinte ao rótulo.", gotoCommand,
     "goto fim\ninc 1\n:fim\ninc 2", kNeverWaits},
    {"gosub", ":rótulo ou script", "Chama um rótulo ou outro script; volta com return.", gosubCommand,
     "gosub conta\ninc 2\nfim\n:conta\ninc 1\nreturn"},
    {"return ret", "", "Volta para a linha depois do gosub.", returnCommand,
     "gosub sub\nfim\n:sub\nreg= 1,voltou\nreturn"},
    {"recall", "n, texto", "Sem efeito na execução.", recallCommand,
     "recall 1,lembrete"},
    {"ifreg=", "r índice=0, valor, rótulo", "Pula se o registrador for igual ao valor (texto).", jumpIfRegister<Test::Equal>,
     "reg= 1,sim\nifreg= 1,sim,certo\nreg= 2,errado\nfim\n:certo\nreg= 2,certo", kNeverWaits},
    {"ifreg#", "r índice=0, valor, rótulo", "Pula se o registrador for diferente do valor.", jumpIfRegister<Test::Different>,
     "reg= 1,a\nifreg# 1,b,outro\nfim\n:outro\nreg= 2,diferente", kNeverWaits},
    {"ifreg>", "r índice=0, valor, rótulo", "Pula se o registrador for maior (números).", jumpIfRegister<Test::Greater>,
     "reg= 1,10\nifreg> 1,5,maior\nfim\n:maior\nreg= 2,maior", kNeverWaits},
    {"ifreg<", "r índice=0, valor, rótulo", "Pula se o registrador for menor (números).", jumpIfRegister<Test::Less>,
     "reg= 1,3\nifreg< 1,5,menor\nfim\n:menor\nreg= 2,menor", kNeverWaits},
    {"if=", "r índice=0, valor, comando, p1..p6", "Executa o comando se o registrador for igual ao valor.",
     runIfRegister<Test::Equal>,
     "reg= 1,3\nif= 1,3,inc,2"},
    {"if#", "r índice=0, valor, comando, p1..p6", "Executa o comando se o registrador for diferente.",
     runIfRegister<Test::Different>,
     "reg= 1,3\nif# 1,4,inc,2"},
    {"if>", "r índice=0, valor, comando, p1..p6", "Executa o comando se o registrador for maior.",
     runIfRegister<Test::Greater>,
     "reg= 1,9\nif> 1,5,reg=,2,grande"},
    {"if<", "r índice=0, valor, comando, p1..p6", "Executa o comando se o registrador for menor.",
     runIfRegister<Test::Less>,
     "reg= 1,1\nif< 1,5,reg=,2,pequeno"},
    {"if~", "r índice=0, mín=0, máx=0, comando, p1..p5", "Executa o comando se o registrador estiver entre mín e máx.",
     runIfInRange,
     "reg= 1,7\nif~ 1,5,10,reg=,2,entre"},
    {"ifmodo= ifmodelo=", "modo=1, rótulo", "Pula se a tela estiver no modo dado.", jumpIfMode,
     "ifmodo= 1,janela\nfim\n:janela\nreg= 1,modo~1"},
};

}  // namespace

std::span<const CommandInfo> flowCommands() { return kCommands; }

}  // namespace ludomat
