#pragma once
// The window's look, drawn in code so it scales with no artwork files to lose: colours, the
// background with its frames, the pictures of the picture buttons and the style sheet.

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace ludomat::skin {

inline const QColor kBackgroundTop{0x2b, 0x30, 0x38};
inline const QColor kBackgroundBottom{0x17, 0x1a, 0x1f};
inline const QColor kBezel{0x0d, 0x0f, 0x12};
inline const QColor kBezelEdge{0x4a, 0x52, 0x5e};
inline const QColor kAccent{0x3f, 0xa7, 0xd6};
inline const QColor kGo{0x3a, 0x9a, 0x5a};
inline const QColor kText{0xd8, 0xdd, 0xe4};
inline const QColor kDimText{0x8a, 0x93, 0x9f};
// The tool notebook's colour while a page button shows a page.
inline const QColor kNotebook{0xd5, 0xd9, 0xdc};

// The whole window background with frames around the screen and the notebook.
void paintBackground(QPainter& painter, const QRect& window, const QRect& screen, const QRect& notebook);

// What a picture button shows: the released or the pressed picture, in the button's accent.
enum class ButtonLook { Plain, Go, Page };
QPixmap buttonPicture(QSize size, ButtonLook look, bool pressed, bool hovered);

// Small glyphs drawn on picture buttons.
enum class Glyph { None, Run, Stop, Registers, Listing, Files, Folder, Save, Open, Clear, Update, Download, Book };
void paintGlyph(QPainter& painter, const QRectF& box, Glyph glyph, const QColor& colour);

// The icon of the program: a screen with a game's plots on it.
QPixmap appIcon(int size);

// Style sheet of the window's own widgets: labels, fields, lists and the notebook pages, and of
// the message boxes it opens, which keep dark text on a light face whatever the skin's labels use.
QString styleSheet();

}  // namespace ludomat::skin
