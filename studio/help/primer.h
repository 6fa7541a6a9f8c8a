#pragma once
// "Comece aqui": the language in short lessons, the first thing the help page shows on a first
// start. A lesson's own words explain an idea; what it says of each command (its parameters and
// help) is read from the command table when shown, so the lessons cannot drift from the commands.

#include <span>
#include <string_view>

namespace ludomat {

struct Lesson {
    std::string_view title;
    std::string_view text;      // paragraphs in Portuguese (UTF-8), separated by a blank line
    std::string_view commands;  // the command words the lesson uses, separated by blanks
    std::string_view example;   // a short script, lines separated by "\n"
};

std::span<const Lesson> primerLessons();

}  // namespace ludomat
