#include "engine/params.h"

#include "engine/script.h"
#include "engine/text_values.h"

namespace ludomat {

namespace {

// "#" references reach registers 0..249: register 250 cannot be read this way.
constexpr int kReferenceLimit = 250;

std::string_view orDefault(std::string_view text, std::string_view defaultText)
{
    return text.empty() ? defaultText : text;
}

}  // namespace

int referencedRegister(std::string_view raw)
{
    int32_t n = toIntOr(raw.substr(1), 0);
    return n >= 0 && n < kReferenceLimit ? n : -1;
}

void readParam(const RegisterTable& registers, std::string_view raw, std::string& out)
{
    if (raw.empty() || raw[0] != '#') {
        out.assign(raw);
        return;
    }
    int n = referencedRegister(raw);
    if (n >= 0) out.assign(registers[n]);
    else out.assign(raw.substr(1));
}

std::string_view resolveIndex(const EngineState& state, std::string_view text)
{
    if (text.empty() || text[0] != '$') return text;
    std::string_view name = text.substr(1);
    const RegisterAlias* alias = state.aliases.find(name);
    return alias ? std::string_view(alias->number) : name;
}

std::string_view resolveValue(const EngineState& state, std::string_view text)
{
    if (text.empty() || text[0] != '$') return text;
    std::string_view name = text.substr(1);
    const RegisterAlias* alias = state.aliases.find(name);
    if (!alias) return name;
    return state.registers.at(toIntOr(alias->number, 0));
}

std::string splitScriptArgs(std::string_view text, ScriptArgs& args)
{
    size_t amp = text.find('&');
    std::string name(text.substr(0, amp));
    if (amp == std::string_view::npos) return name;
    std::string_view tail = text.substr(amp);

    auto take = [&](std::string_view key, std::string& target) {
        size_t at = tail.find(key);
        if (at == std::string_view::npos) return;
        std::string_view value = tail.substr(at + key.size());
        target.assign(value.substr(0, value.find('&')));
    };
    take("&Prm=", args.prm);
    take("&Prx=", args.prx);
    take("&Pry=", args.pry);
    take("&Ptx=", args.ptx);
    take("&Pty=", args.pty);
    return name;
}

// A parameter read as a number when its line was parsed needs no conversion: it names no register
// or alias, so both roles give the same text.
static bool knownNumber(const EngineState& state, int n, int32_t fallback, int32_t* out)
{
    int64_t known = state.paramNumber(n);
    if (known == EngineState::kUnknownNumber || state.param(n).empty()) return false;
    *out = known == kNotANumber ? fallback : int32_t(known);
    return true;
}

int32_t indexParamSlow(const EngineState& state, int n, std::string_view defaultText, int32_t fallback)
{
    int32_t value;
    if (knownNumber(state, n, fallback, &value)) return value;
    return toIntOr(orDefault(resolveIndex(state, state.param(n)), defaultText), fallback);
}

int32_t numberParamSlow(const EngineState& state, int n, std::string_view defaultText, int32_t fallback)
{
    int32_t value;
    if (knownNumber(state, n, fallback, &value)) return value;
    return toIntOr(orDefault(resolveValue(state, state.param(n)), defaultText), fallback);
}

int32_t numberParamStrict(const EngineState& state, int n, std::string_view defaultText)
{
    return toIntStrict(orDefault(resolveValue(state, state.param(n)), defaultText));
}

std::string_view valueParamSlow(const EngineState& state, int n, std::string_view defaultText)
{
    return orDefault(resolveValue(state, state.param(n)), defaultText);
}

std::string_view indexText(const EngineState& state, int n, std::string_view defaultText)
{
    return orDefault(resolveIndex(state, state.param(n)), defaultText);
}

}  // namespace ludomat
