#pragma once
// The window's look, drawn in code until the artwork arrives: colours, the background and the
// style of the picture buttons.

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace ludomat::skin {

inline const QColor kBackgroundTop{0x2b, 0x30, 0x38};
inline const QColor kBackgroundBottom{0x1a, 0x1d, 0x22};
inline const QColor kBezel{0x11, 0x13, 0x17};
inline const QColor kBezelEdge{0x4a, 0x52, 0x5e};
inline const QColor kAccent{0x3f, 0xa7, 0xd6};
inline const QColor kText{0xd8, 0xdd, 0xe4};
inline const QColor kDimText{0x8a, 0x93, 0x9f};
// The tool notebook's colour while a page button shows a page.
inline const QColor kNotebook{0xd5, 0xd9, 0xdc};

// The whole window background with frames around the screen and the notebook.
void paintBackground(QPainter& painter, const QRect& window, const QRect& screen, const QRect& notebook);

// Style sheet of the window's own widgets: buttons, labels, the notebook pages.
QString styleSheet();

}  // namespace ludomat::skin
