// Splitting lines into command words and parameters, register references and alias roles.

#include "engine/engine_state.h"
#include "engine/params.h"
#include "engine/script.h"
#include "engine/script_error.h"

#include <gtest/gtest.h>

using namespace ludomat;

namespace {

ParsedLine parse(std::string_view trimmed)
{
    ParsedLine line;
    parseCommandLine(trimmed, line);
    return line;
}

}  // namespace

TEST(LineParser, SplitsTheWordAndKeepsEachParameterAsWritten)
{
    // Blanks stay in parameters; a word without a blank has none; the tenth and later are
    // ignored; message words take the whole rest.
    const struct {
        const char* line;
        const char* word;
        std::vector<std::string> params;
    } cases[] = {
        {"reg= 5, a b ,,c", "reg=", {"5", " a b ", "", "c"}},
        {"w 1,2,3,4,5,6,7,8,9,10,11", "w", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"fim", "fim", {}},
        {"reg=5,x", "reg=5,x", {}},
        {"inc 5,", "inc", {"5"}},
        {"inc  5", "inc", {" 5"}},
        {"msg+ a,b,c", "msg+", {"a,b,c"}},
    };
    for (const auto& c : cases) {
        ParsedLine line = parse(c.line);
        EXPECT_EQ(line.word, c.word) << c.line;
        std::vector<std::string> params;
        for (int i = 0; i < line.paramCount; ++i) params.emplace_back(line.params[i]);
        EXPECT_EQ(params, c.params) << c.line;
    }
    EXPECT_FALSE(parse("reg= 5,a").hasReference);
}

TEST(LineParser, ScriptClassifiesAndCachesLines)
{
    Script script;
    script.setLines({"", "   ", "  // comment", "/x", " :label ", "  inc 1  ", std::string(5000, 'a')});
    EXPECT_EQ(script.parsed(0).kind, LineKind::Blank);
    EXPECT_EQ(script.parsed(1).kind, LineKind::Blank);
    EXPECT_EQ(script.parsed(2).kind, LineKind::Comment);
    EXPECT_EQ(script.parsed(3).kind, LineKind::Comment);
    EXPECT_EQ(script.parsed(4).kind, LineKind::Label);
    EXPECT_EQ(script.parsed(5).word, "inc");
    EXPECT_EQ(script.parsed(5).params[0], "1");
    EXPECT_EQ(script.line(6).size(), kMaxLineLength);
    EXPECT_EQ(script.parsed(99).kind, LineKind::Blank);
    EXPECT_EQ(script.line(-1), "");
    EXPECT_EQ(script.findLabel("label"), 4);
    EXPECT_EQ(script.findLabel("lab"), -1);

    uint64_t version = script.version();
    script.setLines({":other", ":label", ":label"});
    EXPECT_GT(script.version(), version);
    EXPECT_EQ(script.parsed(0).kind, LineKind::Label);
    EXPECT_EQ(script.findLabel("label"), 1);  // the first of duplicates
    EXPECT_EQ(script.findLabel("other"), 0);
}

TEST(Parameters, RegisterReferencesReachRegistersZeroTo249)
{
    RegisterTable registers;
    registers[0] = "zero";
    registers[3] = "three";
    registers[249] = "last readable";
    registers[250] = "unreadable";
    // Past 249, not a number or no leading "#": read as written, or register 0.
    const std::pair<const char*, const char*> cases[] = {{"#3", "three"}, {"#249", "last readable"}, {"#250", "250"},
                                                         {"#-1", "-1"},   {"#abc", "zero"},          {"#", "zero"},
                                                         {"x#3", "x#3"}};
    for (const auto& [param, value] : cases) {
        std::string out;
        readParam(registers, param, out);
        EXPECT_EQ(out, value) << param;
    }
}

TEST(Parameters, AliasesResolveByRole)
{
    EngineState state;
    state.aliases.define("sete", "7");
    state.aliases.define("texto", "abc");
    state.aliases.define("longe", "251");
    state.registers[7] = "valor";
    state.registers[0] = "r0";
    EXPECT_EQ(resolveIndex(state, "$sete"), "7");
    EXPECT_EQ(resolveValue(state, "$sete"), "valor");
    EXPECT_EQ(resolveIndex(state, "$nada"), "nada");
    EXPECT_EQ(resolveValue(state, "$nada"), "nada");
    EXPECT_EQ(resolveValue(state, "$texto"), "r0");  // a number that is not a number reads register 0
    EXPECT_EQ(resolveValue(state, "sete"), "sete");
    EXPECT_THROW(resolveValue(state, "$longe"), ScriptError);
}

TEST(Parameters, DefaultsApplyToEmptyTextsAndFallbacksToTheRest)
{
    EngineState state;
    state.setParam(1, "");
    state.setParam(2, "x");
    state.setParam(3, " 12");
    EXPECT_EQ(numberParam(state, 1, "1", 5), 1);
    EXPECT_EQ(numberParam(state, 2, "1", 5), 5);
    EXPECT_EQ(numberParam(state, 3, "1", 5), 12);
    EXPECT_THROW(numberParamStrict(state, 2, "1"), ScriptError);
}

TEST(Parameters, ScriptNamesCarryArguments)
{
    ScriptArgs args;
    args.prm = "kept";
    EXPECT_EQ(splitScriptArgs("fase2&Prx=10&Pry=20", args), "fase2");
    EXPECT_EQ(args.prx, "10");
    EXPECT_EQ(args.pry, "20");
    EXPECT_EQ(args.prm, "kept");
    EXPECT_EQ(splitScriptArgs("menu&Pty=5&Ptx=4&prm=no", args), "menu");
    EXPECT_EQ(args.ptx, "4");
    EXPECT_EQ(args.pty, "5");
    EXPECT_EQ(args.prm, "kept");
    EXPECT_EQ(splitScriptArgs("plain", args), "plain");
}
