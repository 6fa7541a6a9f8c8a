#pragma once
// Scripts made at random from the command table itself: every command word, with parameters of
// every kind (numbers negative and huge, register references and aliases, empty and blank texts,
// long texts, 8-bit bytes, labels, script targets, pictures, maps), labels on the first and last
// line, jumps, calls and chains into the other scripts of a small game folder, and any of the
// three line ends. Used by the generated-script test and by the script fuzzer's mutator, so
// both follow the table as it grows. Header-only: the fuzzer is built apart from the tests.

#include "engine/command_table.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace ludomat::gen {

// What a parameter stands for, guessed from its role in the table's help text.
enum class ParamKind { Number, Register, Text, Label, Target, Picture, Map, Colour, Name, Word, Command };
constexpr size_t kParamKinds = 11;

struct CommandShape {
    std::string word;
    std::vector<ParamKind> params;
};

// The names a generated game folder holds; GameFolderNames::scripts are generated per case.
struct GameFolderNames {
    std::vector<std::string> scripts{"g1", "g2"};
    std::vector<std::string> fixedScripts{"sub", "loop", "vazio", "pasta"};
    std::vector<std::string> pictures{"sheet.png", "quadro.bmp", "tiles.png",    "real1.png", "real2.jpg",
                                      "real3.gif", "real4.bmp",  "quebrada.png", "nada.png",  "pasta.scp"};
    std::vector<std::string> maps{"mapa.tlm", "ruim.tlm", "nada.tlm"};
};

inline ParamKind kindOfRole(std::string_view role)
{
    auto has = [&](std::string_view part) { return role.find(part) != std::string_view::npos; };
    if (has("destino") || has("alvo") || has("script") || has("nome[")) return ParamKind::Target;
    if (has("rótulo")) return ParamKind::Label;
    if (has("comando")) return ParamKind::Command;
    if (has(".tlm")) return ParamKind::Map;
    if (has("figura") || has("arquivo") || has(".png") || has(".gif")) return ParamKind::Picture;
    if (has("cor") || has("tinta") || has("papel") || has("fundo")) return ParamKind::Colour;
    if (has("nome") || has("fonte")) return ParamKind::Name;
    if (has("texto") || has("padrão")) return ParamKind::Text;
    if (role.starts_with("r ") || role.starts_with("r=") || role == "r" || has("índice") || has("para=") ||
        has("de=") || has("rx") || has("ry") || has("a=0") || has("b=0"))
        return ParamKind::Register;
    if (has("|")) return ParamKind::Word;
    return ParamKind::Number;
}

// Every word of the table with the kinds of its parameters, read from the roles text.
inline std::vector<CommandShape> commandShapes()
{
    std::vector<CommandShape> out;
    for (const CommandInfo* info : CommandTable::instance().entries()) {
        std::vector<ParamKind> kinds;
        std::string_view roles = info->params;
        while (!roles.empty()) {
            size_t comma = roles.find(',');
            std::string_view role = roles.substr(0, comma);
            while (!role.empty() && (role.front() == ' ' || role.front() == '[')) role.remove_prefix(1);
            if (!role.empty()) kinds.push_back(kindOfRole(role));
            roles = comma == std::string_view::npos ? std::string_view() : roles.substr(comma + 1);
        }
        std::string_view words = info->words;
        while (!words.empty()) {
            size_t blank = words.find(' ');
            if (blank != 0) out.push_back({std::string(words.substr(0, blank)), kinds});
            words = blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
        }
    }
    return out;
}

// The example scripts of the table, line by line: lines that do something sensible.
inline std::vector<std::string> exampleLines()
{
    std::vector<std::string> out;
    for (const CommandInfo* info : CommandTable::instance().entries()) {
        std::string_view text = info->example;
        while (!text.empty()) {
            size_t end = text.find('\n');
            out.emplace_back(text.substr(0, end));
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        }
    }
    return out;
}

class ScriptGenerator {
public:
    explicit ScriptGenerator(uint64_t seed, GameFolderNames names = {})
        : m_random(seed), m_shapes(commandShapes()), m_examples(exampleLines()), m_names(std::move(names))
    {
    }

    const std::vector<CommandShape>& shapes() const { return m_shapes; }
    std::mt19937_64& random() { return m_random; }
    size_t below(size_t n) { return n == 0 ? 0 : size_t(m_random() % n); }
    bool chance(int percent) { return int(below(100)) < percent; }
    template <typename T>
    const T& pick(const std::vector<T>& from)
    {
        return from[below(from.size())];
    }

    // The labels of the script being made; jumps mostly name one of them.
    void setLabels(std::vector<std::string> labels) { m_labels = std::move(labels); }
    const std::vector<std::string>& labels() const { return m_labels; }

    std::string number()
    {
        static const std::vector<std::string> kNumbers{
            "0",     "1",      "2",   "-1",          "7",          "10",         "100",
            "249",   "250",    "251", "-2147483648", "2147483647", "4294967296", "99999999999999999999",
            "$FF",   "$",      "3.5", "1e9",         " 12",        "-0",         "+5",
            "16384", "-16384", "760", "420"};
        if (chance(30)) return std::to_string(int64_t(m_random() % 2001) - 1000);
        return pick(kNumbers);
    }

    std::string registerRef()
    {
        static const std::vector<std::string> kRegisters{"0",    "1",    "2",   "3", "250", "251", "-1", "#1",   "#2",
                                                         "#250", "#251", "#-1", "#", "#x",  "$a",  "$b", "$nada"};
        return chance(40) ? std::to_string(below(6)) : pick(kRegisters);
    }

    std::string label()
    {
        if (!m_labels.empty() && chance(85)) return pick(m_labels);
        static const std::vector<std::string> kOthers{"nenhum", "", " ", "$a", "#1", "fim"};
        return pick(kOthers);
    }

    std::string target()
    {
        std::string out;
        switch (below(5)) {
            case 0:
                out = ":" + label();
                break;
            case 1:
                out = pick(m_names.fixedScripts);
                break;
            case 2:
                out = "nada";
                break;
            default:
                out = pick(m_names.scripts);
                break;
        }
        if (chance(20)) out += "&Prm=" + text(8) + "&Ptx=" + std::to_string(below(4)) + "&Pty=-1";
        return out;
    }

    std::string colour()
    {
        static const std::vector<std::string> kColours{"FFFFFF", "000000", "FF00FF", "12345", "GGGGGG", "", "#3"};
        if (chance(50)) {
            static const char kHex[] = "0123456789ABCDEF";
            std::string out;
            for (int i = 0; i < 6; ++i) out += kHex[below(16)];
            return out;
        }
        return pick(kColours);
    }

    // A text of any bytes but the line ends (which would start another line) and the folder
    // separators (so no name leaves the game folder).
    std::string text(size_t maxLength)
    {
        static const std::vector<std::string> kTexts{
            "",  " ",  "  ",          "abc", "~^§", "sim", "a,b", "\xE9\xE7\xE3",
            "'", "''", "Courier New", "biu", "off", "on",  "UP"};
        if (chance(50)) return pick(kTexts);
        std::string out(below(maxLength) + 1, ' ');
        for (char& c : out) {
            unsigned char byte = chance(70) ? (unsigned char)(' ' + below(95)) : (unsigned char)(0x80 + below(128));
            if (byte == '/' || byte == '\\' || byte == ',' || byte == 0x7F) byte = 'x';
            c = char(byte);
        }
        return out;
    }

    std::string param(ParamKind kind)
    {
        // One parameter in eight is of another kind altogether, as a user's mistake would be.
        if (chance(12)) kind = ParamKind(below(kParamKinds));
        switch (kind) {
            case ParamKind::Number:
                return number();
            case ParamKind::Register:
                return registerRef();
            case ParamKind::Text:
                return chance(5) ? std::string(1000 + below(3000), 'x') : text(40);
            case ParamKind::Label:
                return label();
            case ParamKind::Target:
                return target();
            case ParamKind::Picture:
                return pick(m_names.pictures);
            case ParamKind::Map:
                return pick(m_names.maps);
            case ParamKind::Colour:
                return colour();
            case ParamKind::Name:
                return chance(50) ? std::string(1, char('a' + below(3))) : text(10);
            case ParamKind::Word:
                return pick(m_words());
            case ParamKind::Command:
                return pick(m_shapes).word;
        }
        return {};
    }

    std::string commandLine(const CommandShape& shape)
    {
        std::string line = shape.word;
        size_t count = shape.params.size();
        // Fewer parameters than the roles (defaults), or more (ignored), now and then.
        if (chance(25))
            count = below(count + 1);
        else if (chance(5))
            count += 1 + below(3);
        for (size_t i = 0; i < count; ++i) {
            line += i == 0 ? " " : ",";
            line += param(i < shape.params.size() ? shape.params[i] : ParamKind(below(kParamKinds)));
        }
        if (chance(3)) line = "  " + line + " ";
        return line;
    }

    // Any line: mostly a command, else a label, a comment, a blank line or a table example.
    std::string anyLine()
    {
        size_t roll = below(100);
        if (roll < 70) return commandLine(pick(m_shapes));
        if (roll < 78) return pick(m_examples);
        if (roll < 86) return jumpLine();
        if (roll < 92) return ":" + label();
        if (roll < 96) return "// " + text(10);
        return chance(50) ? "" : "   ";
    }

    // A line that jumps, calls or chains, the shapes that move the line counter.
    std::string jumpLine()
    {
        switch (below(8)) {
            case 0:
                return "goto " + label();
            case 1:
                return "gosub " + (chance(50) ? ":" + label() : target());
            case 2:
                return "script " + target();
            case 3:
                return "return";
            case 4:
                return "ifreg" + pick(std::vector<std::string>{"=", "#", ">", "<"}) + " " + registerRef() + "," +
                       number() + "," + label();
            case 5:
                return "if= " + registerRef() + ",," + "goto," + label();
            case 6:
                return "if~ " + registerRef() + "," + number() + "," + number() + ",gosub," + target();
            default:
                return "input= " + registerRef() + ",10,10,100,30," + target();
        }
    }

    // A whole script of `lines` lines with labels on the first and last line now and then.
    std::vector<std::string> script(size_t lines)
    {
        std::vector<std::string> labels;
        for (size_t i = 0, n = 1 + below(3); i < n; ++i)
            labels.push_back(chance(10) ? " " + std::string(1, char('a' + i)) : std::string(1, char('a' + i)));
        setLabels(labels);
        std::vector<std::string> out;
        if (chance(30)) out.push_back("defreg " + std::to_string(below(4)) + ",a");
        if (chance(30)) out.push_back(":" + pick(labels));
        while (out.size() < lines) out.push_back(chance(15) ? jumpLine() : anyLine());
        if (chance(40)) out.push_back(":" + pick(labels));
        return out;
    }

    // The bytes of a script file with CR LF, LF or CR line ends (or a mix), the last line with
    // or without one.
    std::string fileText(const std::vector<std::string>& lines)
    {
        static const char* const kEnds[] = {"\r\n", "\n", "\r"};
        size_t style = below(4);
        std::string out;
        for (size_t i = 0; i < lines.size(); ++i) {
            out += lines[i];
            if (i + 1 < lines.size() || chance(70)) out += kEnds[style == 3 ? below(3) : style];
        }
        return out;
    }

private:
    const std::vector<std::string>& m_words()
    {
        static const std::vector<std::string> kWords{"txt", "ink", "fnd",  "paper", "lnk",   "vzk", "prm", "prx",
                                                     "pry", "up",  "down", "left",  "right", "H",   "V",   "off",
                                                     "on",  "ON",  "tel",  "buf",   "box",   "dx",  "dy",  "n"};
        return kWords;
    }

    std::mt19937_64 m_random;
    std::vector<CommandShape> m_shapes;
    std::vector<std::string> m_examples;
    GameFolderNames m_names;
    std::vector<std::string> m_labels;
};

}  // namespace ludomat::gen
