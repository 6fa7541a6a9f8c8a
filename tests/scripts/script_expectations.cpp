#include "script_expectations.h"

#include "engine/text_values.h"
#include "graphics/cp1252.h"

#include <regex>
#include <sstream>

namespace ludomat::corpus {

namespace {

const std::regex kRegister(R"(^//\s*expect:\s*reg\s+(\d+)\s*=\s?(.*)$)");
const std::regex kRegisterEmpty(R"(^//\s*expect:\s*reg\s+(\d+)\s+empty\s*$)");
const std::regex kError(R"(^//\s*expect error line\s+(\d+):\s*(.*)$)");
const std::regex kPixel(R"(^//\s*expect pixel\s+(-?\d+)\s*,\s*(-?\d+)\s*=\s*([0-9A-Fa-f]{6})\s*$)");
const std::regex kPaused(R"(^//\s*expect paused line\s+(\d+)\s*$)");
const std::regex kDisplay(R"(^//\s*display:\s*(\d{1,5})x(\d{1,5})\s*$)");
const std::regex kInput(R"(^//\s*input:(.*)$)");

// "--click 100,50@0 --type abc@10": option and value pairs; false with `problem` set when one is
// malformed.
bool readInput(const std::string& options, std::vector<ScriptedEvent>& out, std::string& problem)
{
    using Kind = ScriptedEvent::Kind;
    const std::pair<const char*, Kind> kOptions[] = {
        {"--key-down", Kind::KeyDown}, {"--key-up", Kind::KeyUp}, {"--click", Kind::Click}, {"--type", Kind::Type}};
    std::istringstream words(options);
    std::string option, value;
    while (words >> option) {
        const Kind* kind = nullptr;
        for (const auto& [name, k] : kOptions)
            if (option == name) kind = &k;
        if (!kind || !(words >> value)) {
            problem = "unknown input option or missing value: " + option;
            return false;
        }
        QString error;
        // Script files are CP1252, as a typed text in them is.
        auto event = parseScriptedEvent(*kind, fromCp1252(value), &error);
        if (!event) {
            problem = error.toStdString();
            return false;
        }
        out.push_back(std::move(*event));
    }
    return true;
}

}  // namespace

ScriptExpectations readExpectations(const std::vector<std::string>& lines)
{
    ScriptExpectations out;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line(trimBlanks(lines[i]));
        std::smatch display;
        if (std::regex_match(line, display, kDisplay)) {
            out.display = std::make_pair(std::stoi(display[1]), std::stoi(display[2]));
            continue;
        }
        std::smatch input;
        if (std::regex_match(line, input, kInput)) {
            std::string problem;
            if (!readInput(input[1], out.input, problem))
                out.problems.push_back("line " + std::to_string(i) + ": " + problem);
            continue;
        }
        if (line.find("expect") == std::string::npos || line.rfind("//", 0) != 0) continue;
        std::smatch m;
        if (std::regex_match(line, m, kRegisterEmpty))
            out.registers.push_back({std::stoi(m[1]), "", int(i)});
        else if (std::regex_match(line, m, kRegister))
            out.registers.push_back({std::stoi(m[1]), m[2], int(i)});
        else if (std::regex_match(line, m, kError)) {
            out.errorLine = std::stoi(m[1]);
            out.errorMessage = m[2];
        } else if (std::regex_match(line, m, kPixel))
            out.pixels.push_back({std::stoi(m[1]), std::stoi(m[2]), uint32_t(std::stoul(m[3], nullptr, 16)), int(i)});
        else if (std::regex_match(line, m, kPaused))
            out.pausedLine = std::stoi(m[1]);
        else
            out.problems.push_back("line " + std::to_string(i) + ": " + line);
    }
    return out;
}

}  // namespace ludomat::corpus
