#pragma once
// Reading a command's parameters: register references, alias resolution by role, defaults and
// fallbacks, and the arguments a script name can carry.

#include "engine/engine_state.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ludomat {

// A parameter that begins with "#" is replaced by the text of the register it names (0..249);
// any other number gives the text after "#" itself.
void readParam(const RegisterTable& registers, std::string_view raw, std::string& out);
// The register a "#" parameter reads, or -1 when it gives the text after "#".
int referencedRegister(std::string_view raw);

// Alias resolution of a parameter by its role. Texts not beginning with "$" are returned as they
// are; an undefined alias gives its name without the "$".
std::string_view resolveIndex(const EngineState& state, std::string_view text);
std::string_view resolveValue(const EngineState& state, std::string_view text);

// "name&Prm=..&Prx=..": sets the arguments that occur and returns the name before the first "&".
std::string splitScriptArgs(std::string_view text, ScriptArgs& args);

// Handler helpers over Param1..Param9 (n is 1-based): resolve by role, replace an empty text by
// the default, then convert with the fallback (or without one: the "Strict" forms end the run).
int32_t indexParamSlow(const EngineState& state, int n, std::string_view defaultText, int32_t fallback);
int32_t numberParamSlow(const EngineState& state, int n, std::string_view defaultText, int32_t fallback);
std::string_view valueParamSlow(const EngineState& state, int n, std::string_view defaultText);
int32_t numberParamStrict(const EngineState& state, int n, std::string_view defaultText);

// The common cases are inline: a number read with the line (it names no register or alias, so
// both roles give it), and a text that names no alias.
inline bool lineNumber(const EngineState& state, int n, int32_t* out)
{
    int64_t known = state.paramNumber(n);
    if (known < INT32_MIN || known > INT32_MAX) return false;
    *out = int32_t(known);
    return true;
}
inline int32_t indexParam(const EngineState& state, int n, std::string_view defaultText, int32_t fallback)
{
    int32_t value;
    return lineNumber(state, n, &value) ? value : indexParamSlow(state, n, defaultText, fallback);
}
inline int32_t numberParam(const EngineState& state, int n, std::string_view defaultText, int32_t fallback)
{
    int32_t value;
    return lineNumber(state, n, &value) ? value : numberParamSlow(state, n, defaultText, fallback);
}
inline std::string_view valueParam(const EngineState& state, int n, std::string_view defaultText = {})
{
    std::string_view text = state.param(n);
    return !text.empty() && text[0] != '$' ? text : valueParamSlow(state, n, defaultText);
}
std::string_view indexText(const EngineState& state, int n, std::string_view defaultText);

}  // namespace ludomat
