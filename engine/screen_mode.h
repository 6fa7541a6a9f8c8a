#pragma once
// The screen modes: the 760 x 420 window screen (mode 1) and the scaled full-screen mode
// (mode 4), entered by "modo=" and left by the script or by the user.

#include <string_view>

namespace ludomat {

class Engine;

// "modo=" with its parameter as resolved: empties the hotspots, stores the mode number, sets the
// buffer's colours and font face from the text settings, and for "1" or "4" changes the
// geometry. Lets pending messages run so the new layout shows.
void switchScreenMode(Engine& engine, std::string_view mode);

// The user left the full-screen page (Esc or a click): the run stops, the screen picture is
// shrunk to the base size (and kept in ProgramFolder + "teltmp.bmp"), the buffer takes the
// base size, and the scale returns to 1 with mode 1, so what the next run draws fits the screen.
void leaveFullScreenMode(Engine& engine);

}  // namespace ludomat
