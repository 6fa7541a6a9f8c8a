#pragma once
// Expectations a corpus script carries in its comments:
//   // expect: reg 5 = abc          register 5 holds "abc" after the run (nothing after "=": empty)
//   // expect: reg 5 empty          register 5 is empty
//   // expect error line 7: Division by zero
//   // expect paused line 5         the run paused (break/Stop) with line 5 next
//   // expect pixel 10,20 = FF0000  the run-time screen's pixel at (10, 20) is red (RRGGBB)
//   // display: 1600x840            the run happens on a display of that size (full-screen mode)
//   // input: --click 100,50@0 --key-down Space@50
//                                   scripted input, as ludomat-run takes it (--key-down, --key-up,
//                                   --click, --type; values without blanks); events left when the
//                                   run ends are delivered afterwards, as the runner does
// A script without an error expectation must end without error.

#include "tools/scripted_input.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ludomat::corpus {

struct RegisterExpectation {
    int index = 0;
    std::string text;
    int sourceLine = 0;
};

struct PixelExpectation {
    int x = 0;
    int y = 0;
    uint32_t rgb = 0;  // 0x00RRGGBB
    int sourceLine = 0;
};

struct ScriptExpectations {
    std::vector<PixelExpectation> pixels;
    std::vector<RegisterExpectation> registers;
    std::optional<int> errorLine;
    std::string errorMessage;
    std::optional<int> pausedLine;
    std::optional<std::pair<int, int>> display;  // width, height
    std::vector<ScriptedEvent> input;
    std::vector<std::string> problems;  // malformed expectation lines
};

ScriptExpectations readExpectations(const std::vector<std::string>& lines);

}  // namespace ludomat::corpus
