#include "script_expectations.h"

#include "engine/text_values.h"

#include <regex>

namespace ludomat::corpus {

namespace {

const std::regex kRegister(R"(^//\s*expect:\s*reg\s+(\d+)\s*=\s?(.*)$)");
const std::regex kRegisterEmpty(R"(^//\s*expect:\s*reg\s+(\d+)\s+empty\s*$)");
const std::regex kError(R"(^//\s*expect error line\s+(\d+):\s*(.*)$)");
const std::regex kPixel(R"(^//\s*expect pixel\s+(-?\d+)\s*,\s*(-?\d+)\s*=\s*([0-9A-Fa-f]{6})\s*$)");
const std::regex kPaused(R"(^//\s*expect paused line\s+(\d+)\s*$)");
const std::regex kDisplay(R"(^//\s*display:\s*(\d{1,5})x(\d{1,5})\s*$)");

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
