#pragma once
// The studio is its main window: when that window closes for good, the program ends, whatever
// other windows (the web menu, the member area) are still open.

class QWidget;

namespace ludomat {

// Quits the application once `mainWindow` has closed (a close it refused does not count).
void quitWhenClosed(QWidget& mainWindow);

}  // namespace ludomat
