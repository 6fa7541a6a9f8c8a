// Register commands: store, copy, exchange, join, trim, multi-line texts, arithmetic, random
// numbers, script arguments and alias names.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/params.h"
#include "engine/script_error.h"
#include "engine/text_values.h"

namespace ludomat {

namespace {

// Every register command does nothing for register numbers above the last register.
bool beyondLast(int32_t r) { return r > kMaxRegister; }

void setRegister(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    assignText(state.registers.at(r), valueParam(state, 2));
}

void copyRegisters(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t to = numberParam(state, 1, "0", 0);
    int32_t from = numberParam(state, 2, "0", 0);
    int32_t count = numberParam(state, 3, "1", 1);
    if (beyondLast(to) || beyondLast(from) || count < 1) return;
    // Bounds are tested only at the start: running past the last register ends the run.
    for (int32_t i = 0; i < count; ++i) {
        std::string value = state.registers.at(int64_t(from) + i);
        state.registers.at(int64_t(to) + i) = std::move(value);
    }
}

void swapRegisters(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t a = numberParam(state, 1, "0", 0);
    int32_t b = numberParam(state, 2, "0", 0);
    int32_t count = numberParam(state, 3, "1", 1);
    if (beyondLast(a) || beyondLast(b) || count < 1) return;
    for (int32_t i = 0; i < count; ++i)
        std::swap(state.registers.at(int64_t(a) + i), state.registers.at(int64_t(b) + i));
}

void concatRegister(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    // The register number is read a second time without a fallback (a number known from the
    // line needs no second reading).
    if (state.paramNumber(1) == EngineState::kUnknownNumber || state.paramNumber(1) == kNotANumber ||
        state.param(1).empty())
        r = toIntStrict(indexText(state, 1, "0"));
    std::string_view text = valueParam(state, 2);
    std::string& value = state.registers.at(r);
    checkTextLength(value.size() + text.size());
    const size_t start = value.size();
    value.append(text);
    for (size_t i = start; i < value.size(); ++i) {
        if (value[i] == '~') value[i] = ' ';
        else if (value[i] == '^') value[i] = ',';
    }
    if (value.size() >= kLargeText) engine.noteSlowWork();
}

void trimRegister(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    std::string& value = state.registers.at(r);
    value = std::string(trimBlanks(value));
}

// "regtxt=": a text between single quotes that may run over several script lines.
void multiLineText(Engine& engine, bool append)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    std::string& target = state.registers.at(r);
    std::string text(valueParam(state, 2));
    if (!text.empty() && text[0] == '\'') text.erase(0, 1);
    text = std::string(trimBlanks(text));
    std::string collected = append ? target : std::string();
    // An empty text opens nothing: it stores the empty text instead of swallowing the script.
    if (text.empty()) {
        target = collected;
        return;
    }
    Script& script = engine.script();
    while (text.find('\'') == std::string::npos) {
        if (!text.empty() && text[0] == '#') {
            auto n = parseInt(std::string_view(text).substr(1));
            text = (n && *n >= 0 && *n <= kMaxRegister) ? state.registers[*n] : std::string();
        }
        checkTextLength(collected.size() + text.size() + 1);
        collected += unescapeText(text);
        collected += ' ';
        state.lineCounter += 1;
        if (state.lineCounter >= script.lineCount()) text.assign(1, '\'');
        else text = std::string(trimBlanks(script.line(state.lineCounter)));
    }
    collected.append(text, 0, text.find('\''));
    checkTextLength(collected.size());
    if (collected.size() >= kLargeText) engine.noteSlowWork();
    state.registers.at(r) = std::move(collected);
}

void setMultiLineText(Engine& engine) { multiLineText(engine, false); }
void appendMultiLineText(Engine& engine) { multiLineText(engine, true); }

// The arithmetic commands share one shape: register r := f(number(register r), n).
template <int32_t (*Operation)(int32_t, int32_t)>
void arithmetic(Engine& engine, std::string_view defaultN, int32_t fallbackN)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    int32_t n = numberParam(state, 2, defaultN, fallbackN);
    std::string& value = state.registers.at(r);
    assignInt(value, Operation(toIntOr(value, 0), n));
}

int32_t divideTruncating(int32_t a, int32_t n)
{
    if (n == 0) throwDivisionByZero();
    if (n == -1) return wrapSub(0, a);  // the one quotient that overflows wraps like the rest
    return a / n;
}

void addCommand(Engine& engine) { arithmetic<wrapAdd>(engine, "", 0); }
void subCommand(Engine& engine) { arithmetic<wrapSub>(engine, "", 0); }
void mulCommand(Engine& engine) { arithmetic<wrapMul>(engine, "1", 1); }
void intDivCommand(Engine& engine) { arithmetic<divideTruncating>(engine, "1", 1); }

// A counter written plainly (no sign, no leading zero, at most nine digits) whose last digit is
// not 9 counts up by changing that digit alone, the same text the general way gives.
bool incrementInPlace(std::string& text)
{
    const size_t n = text.size();
    if (n == 0 || n > 9 || text[n - 1] < '0' || text[n - 1] > '8' || (n > 1 && text[0] == '0')) return false;
    for (size_t i = 0; i + 1 < n; ++i)
        if (unsigned(text[i] - '0') > 9) return false;
    ++text[n - 1];
    return true;
}

void stepRegister(Engine& engine, int32_t delta)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    std::string& value = state.registers.at(r);
    if (delta == 1 && incrementInPlace(value)) return;
    assignInt(value, wrapAdd(toIntOr(value, 0), delta));
}

void incCommand(Engine& engine) { stepRegister(engine, 1); }
void decCommand(Engine& engine) { stepRegister(engine, -1); }

void realDivCommand(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    int32_t n = numberParam(state, 2, "1", 1);
    std::string& value = state.registers.at(r);
    int32_t a = toIntOr(value, 0);
    if (n == 0) {
        if (a == 0) throwInvalidFloatOperation();
        throwFloatDivisionByZero();
    }
    value = formatGeneral(double(a) / double(n));
}

void randomCommand(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    int32_t max = numberParam(state, 2, "0", 0);
    // The range is max + 1 taken as unsigned: -1 gives a range of 0, which adds 0.
    uint32_t drawn = state.random.draw(uint32_t(max) + 1u);
    std::string& value = state.registers.at(r);
    assignInt(value, wrapAdd(toIntOr(value, 0), int32_t(drawn)));
}

void paramCommand(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) return;
    std::string_view kind = valueParam(state, 2);
    const std::string* source = kind == "prm" ? &state.args.prm
                              : kind == "prx" ? &state.args.prx
                              : kind == "pry" ? &state.args.pry
                                              : nullptr;
    if (source) state.registers.at(r) = *source;
}

void defineAlias(Engine& engine)
{
    EngineState& state = engine.state();
    std::string number = state.param(1).empty() ? std::string("0") : std::string(state.param(1));
    std::string name = state.param(2).empty() ? "reg" + number : std::string(state.param(2));
    state.aliases.define(name, number);
}

const CommandInfo kCommands[] = {
    {"reg=", "r índice=0, texto", "Guarda o texto no registrador r.", setRegister,
     "reg= 1,Oi~mundo", kNeverWaits},
    {"dup copy", "para=0, de=0, quantos=1", "Copia registradores de \"de\" para \"para\".", copyRegisters,
     "reg= 1,a\ndup 5,1"},
    {"swap trocar", "a=0, b=0, quantos=1", "Troca o conteúdo de registradores.", swapRegisters,
     "reg= 1,a\nreg= 2,b\nswap 1,2"},
    {"reg$ concat", "r índice=0, texto", "Junta o texto ao fim do registrador (~ espaço, ^ vírgula).",
     concatRegister,
     "reg= 1,Oi\nreg$ 1,~mundo"},
    {"trim", "r índice=0", "Tira espaços das pontas do registrador.", trimRegister,
     "reg= 1,~~oi~~\ntrim 1"},
    {"regtxt=", "r índice=0, 'texto de várias linhas'", "Guarda um texto entre aspas simples, mesmo em várias linhas.",
     setMultiLineText,
     "regtxt= 1,'primeira linha\nsegunda linha'"},
    {"regtxt+", "r índice=0, 'texto de várias linhas'", "Junta um texto entre aspas simples ao registrador.",
     appendMultiLineText,
     "reg= 1,Oi\nregtxt+ 1,' mundo'"},
    {"reg- sub", "r índice=0, n", "Subtrai n do registrador.", subCommand,
     "reg= 1,10\nreg- 1,3", kNeverWaits},
    {"dec", "r índice=0", "Diminui 1 do registrador.", decCommand,
     "reg= 1,10\ndec 1", kNeverWaits},
    {"reg+ add", "r índice=0, n", "Soma n ao registrador.", addCommand,
     "reg= 1,10\nreg+ 1,5", kNeverWaits},
    {"inc", "r índice=0", "Soma 1 ao registrador.", incCommand,
     "reg= 1,10\ninc 1", kNeverWaits},
    {"reg* mul", "r índice=0, n=1", "Multiplica o registrador por n.", mulCommand,
     "reg= 1,6\nreg* 1,7", kNeverWaits},
    {"reg: div", "r índice=0, n=1", "Divide o registrador por n (com casas decimais).", realDivCommand,
     "reg= 1,7\nreg: 1,2"},
    {"reg/ int", "r índice=0, n=1", "Divide o registrador por n (parte inteira).", intDivCommand,
     "reg= 1,7\nreg/ 1,2", kNeverWaits},
    {"reg? rand", "r índice=0, máx=0", "Soma ao registrador um número sorteado de 0 a máx.", randomCommand,
     "reg= 1,0\nreg? 1,6"},
    {"param=", "r índice=0, prm|prx|pry", "Copia um argumento do script para o registrador.", paramCommand,
     "param= 1,prm"},
    {"defreg defreg=", "número=0, nome=regN", "Dá um nome ao registrador ($nome nos scripts).", defineAlias,
     "defreg 1,vidas\nreg= $vidas,3"},
};

}  // namespace

std::span<const CommandInfo> registerCommands() { return kCommands; }

}  // namespace ludomat
