#include "studio/window/skin.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ludomat::skin {

namespace {

constexpr int kBezelWidth = 4;
constexpr double kButtonRadius = 5.0;

void paintBezel(QPainter& painter, const QRect& inner)
{
    QRect outer = inner.adjusted(-kBezelWidth, -kBezelWidth, kBezelWidth, kBezelWidth);
    // A soft shadow below the frame lifts it off the body.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawRoundedRect(QRectF(outer).translated(0, 2), 5, 5);
    QLinearGradient edge(outer.topLeft(), outer.bottomLeft());
    edge.setColorAt(0, QColor(0x5a, 0x63, 0x70));
    edge.setColorAt(1, QColor(0x2c, 0x31, 0x38));
    painter.setPen(QPen(QBrush(edge), 1));
    painter.setBrush(kBezel);
    painter.drawRoundedRect(QRectF(outer).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

void paintBrand(QPainter& painter, const QRect& screen)
{
    QPixmap icon = appIcon(24);
    painter.drawPixmap(screen.left() - 2, 9, icon);
    QFont brand("Liberation Sans", 15, QFont::Bold);
    painter.setFont(brand);
    painter.setPen(kText);
    QRect brandBox(screen.left() + 30, 8, 200, 26);
    painter.drawText(brandBox, Qt::AlignLeft | Qt::AlignVCenter, "Ludomat");
    QFont tagline("Liberation Sans", 9);
    painter.setFont(tagline);
    painter.setPen(kDimText);
    painter.drawText(QRect(screen.left() + 128, 12, 300, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     "estúdio de jogos 2D");
}

void paintBody(QPainter& painter, const QRect& window)
{
    QLinearGradient body(window.topLeft(), window.bottomLeft());
    body.setColorAt(0, kBackgroundTop);
    body.setColorAt(1, kBackgroundBottom);
    painter.fillRect(window, body);
    // Fine diagonal lines give the metal a brushed grain.
    painter.setPen(QColor(255, 255, 255, 6));
    for (int x = -window.height(); x < window.width(); x += 6)
        painter.drawLine(x, window.height(), x + window.height(), 0);
    // The top strip, the part of the skin one drags the window by.
    QLinearGradient strip(0, 0, 0, 36);
    strip.setColorAt(0, QColor(0x38, 0x3f, 0x4a));
    strip.setColorAt(1, QColor(0x2b, 0x30, 0x38));
    painter.fillRect(QRect(0, 0, window.width(), 36), strip);
    painter.setPen(QColor(0x11, 0x13, 0x17));
    painter.drawLine(0, 36, window.width(), 36);
    painter.setPen(QColor(0x45, 0x4d, 0x59));
    painter.drawLine(0, 37, window.width(), 37);
}

}  // namespace

void paintBackground(QPainter& painter, const QRect& window, const QRect& screen, const QRect& notebook)
{
    paintBody(painter, window);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBrand(painter, screen);
    paintBezel(painter, screen);
    paintBezel(painter, notebook);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kBezelEdge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(window.adjusted(0, 0, -1, -1));
}

QPixmap buttonPicture(QSize size, ButtonLook look, bool pressed, bool hovered)
{
    static QHash<QString, QPixmap> cache;
    QString key = QString("%1x%2/%3/%4/%5").arg(size.width()).arg(size.height()).arg(int(look)).arg(pressed).arg(hovered);
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) return *found;

    QColor top(0x55, 0x5f, 0x6d), bottom(0x34, 0x3b, 0x45);
    if (look == ButtonLook::Go) top = QColor(0x4c, 0xb0, 0x6c), bottom = QColor(0x2a, 0x73, 0x43);
    if (look == ButtonLook::Page) top = QColor(0xf4, 0xf6, 0xf8), bottom = QColor(0xc9, 0xcf, 0xd6);
    if (hovered && !pressed) top = top.lighter(112), bottom = bottom.lighter(112);
    if (pressed) std::swap(top, bottom), top = top.darker(125), bottom = bottom.darker(110);

    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF box = QRectF(picture.rect()).adjusted(0.5, 0.5, -0.5, -1.5);
    if (!pressed) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 90));
        painter.drawRoundedRect(box.translated(0, 1.0), kButtonRadius, kButtonRadius);
    }
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.setBrush(fill);
    painter.setPen(QPen(pressed ? kAccent : bottom.darker(150), 1));
    painter.drawRoundedRect(box, kButtonRadius, kButtonRadius);
    if (!pressed) {
        // The light catches the upper edge of a raised button.
        painter.setPen(QPen(QColor(255, 255, 255, look == ButtonLook::Page ? 200 : 60), 1));
        painter.drawLine(QPointF(box.left() + kButtonRadius, box.top() + 1.5),
                         QPointF(box.right() - kButtonRadius, box.top() + 1.5));
    }
    painter.end();
    cache.insert(key, picture);
    return picture;
}

void paintGlyph(QPainter& painter, const QRectF& box, Glyph glyph, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    QRectF r = box.adjusted(1, 1, -1, -1);
    QPointF c = r.center();
    switch (glyph) {
    case Glyph::None: break;
    case Glyph::Run: {
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF({r.topLeft() + QPointF(2, 0), QPointF(r.right(), c.y()), r.bottomLeft() + QPointF(2, 0)}));
        break;
    }
    case Glyph::Stop:
        painter.setBrush(colour);
        painter.drawRoundedRect(r.adjusted(2, 2, -2, -2), 1.5, 1.5);
        break;
    case Glyph::Registers:
        painter.drawLine(QPointF(r.left() + r.width() * 0.35, r.top()), QPointF(r.left() + r.width() * 0.25, r.bottom()));
        painter.drawLine(QPointF(r.left() + r.width() * 0.75, r.top()), QPointF(r.left() + r.width() * 0.65, r.bottom()));
        painter.drawLine(QPointF(r.left(), r.top() + r.height() * 0.35), QPointF(r.right(), r.top() + r.height() * 0.35));
        painter.drawLine(QPointF(r.left(), r.top() + r.height() * 0.68), QPointF(r.right(), r.top() + r.height() * 0.68));
        break;
    case Glyph::Listing:
        for (int i = 0; i < 4; ++i) {
            double y = r.top() + 1 + i * (r.height() - 2) / 3;
            painter.drawLine(QPointF(r.left() + (i % 2 ? 3 : 0), y), QPointF(r.right(), y));
        }
        break;
    case Glyph::Files:
    case Glyph::Folder:
    case Glyph::Open: {
        QPainterPath folder;
        folder.moveTo(r.left(), r.bottom());
        folder.lineTo(r.left(), r.top() + 1);
        folder.lineTo(r.left() + r.width() * 0.4, r.top() + 1);
        folder.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.25);
        folder.lineTo(r.right(), r.top() + r.height() * 0.25);
        folder.lineTo(r.right(), r.bottom());
        folder.closeSubpath();
        painter.drawPath(folder);
        if (glyph == Glyph::Open) painter.drawLine(QPointF(c.x(), r.bottom() - 2), QPointF(c.x(), c.y() - 1));
        break;
    }
    case Glyph::Save:
        painter.drawRoundedRect(r, 1.5, 1.5);
        painter.drawRect(QRectF(r.left() + 3, r.top(), r.width() - 6, r.height() * 0.35));
        painter.drawRect(QRectF(r.left() + 3, c.y() + 1, r.width() - 6, r.bottom() - c.y() - 1));
        break;
    case Glyph::Clear:
        painter.drawRect(QRectF(r.left() + 2, r.top(), r.width() - 4, r.height()));
        painter.drawLine(QPointF(c.x(), r.top() + 4), QPointF(c.x(), r.bottom() - 4));
        painter.drawLine(QPointF(c.x() - 3, c.y()), QPointF(c.x() + 3, c.y()));
        break;
    case Glyph::Update:
        painter.drawArc(r, 30 * 16, 280 * 16);
        painter.drawLine(QPointF(r.right(), r.top()), QPointF(r.right() - 0.5, c.y() - 1));
        break;
    case Glyph::Download:
        painter.drawLine(QPointF(c.x(), r.top()), QPointF(c.x(), r.bottom() - 3));
        painter.drawLine(QPointF(c.x() - 4, r.bottom() - 7), QPointF(c.x(), r.bottom() - 3));
        painter.drawLine(QPointF(c.x() + 4, r.bottom() - 7), QPointF(c.x(), r.bottom() - 3));
        painter.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
        break;
    case Glyph::Book:
        painter.drawRoundedRect(QRectF(r.left(), r.top(), r.width() / 2, r.height()), 1, 1);
        painter.drawRoundedRect(QRectF(c.x(), r.top(), r.width() / 2, r.height()), 1, 1);
        break;
    }
    painter.restore();
}

QPixmap appIcon(int size)
{
    QPixmap icon(size, size);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    double s = size / 64.0;
    painter.scale(s, s);
    QLinearGradient body(0, 0, 0, 64);
    body.setColorAt(0, QColor(0x3f, 0xa7, 0xd6));
    body.setColorAt(1, QColor(0x1f, 0x5f, 0x8a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setBrush(QColor(0x10, 0x14, 0x1a));
    painter.drawRoundedRect(QRectF(9, 12, 46, 32), 4, 4);
    // The plots of a little game: a player, a wall and a coin.
    painter.setBrush(QColor(0x4c, 0xd9, 0x64));
    painter.drawRect(QRectF(15, 30, 8, 8));
    painter.setBrush(QColor(0xf2, 0xc1, 0x4e));
    painter.drawEllipse(QRectF(38, 19, 8, 8));
    painter.setBrush(QColor(0xe8, 0x55, 0x4e));
    painter.drawRect(QRectF(31, 34, 18, 4));
    painter.setBrush(QColor(0xe6, 0xea, 0xef));
    painter.drawRoundedRect(QRectF(20, 48, 24, 6), 3, 3);
    return icon;
}

QString styleSheet()
{
    return QStringLiteral(R"(
QLabel { color: #d8dde4; background: transparent; }
QLabel#Stn { color: #ffffff; font: italic bold 12pt "Liberation Sans"; border-bottom: 2px solid #3fa7d6; }
QLabel#Stx { color: #e8c46a; font: 10pt "Liberation Sans"; }
QLabel#lbLin, QLabel#lbLinha { color: #d8dde4; font: 10pt "Liberation Sans"; }
QLabel#lbLin { font-weight: bold; color: #ffffff; }
QLabel#lbVersao { color: #8a939f; font: 9pt "Liberation Sans"; }
QLabel#Lb9 { color: #e6eaef; font: bold 10pt "Liberation Sans"; }
QLabel#Led2 { background: #4cd964; border: 1px solid #2e8b3e; border-radius: 6px; }
QStackedWidget#Abook { background: #d5d9dc; }
QStackedWidget#Abok0, QWidget#Modo4 { background: transparent; }
QWidget#Regs, QWidget#NomReg, QWidget#Load, QWidget#WatchPanel, QWidget#Default, QWidget#Lixo,
QWidget#Dodiroz, QWidget#TileMap, QWidget#Matriz, QWidget#Sprites, QWidget#Buffers { background: #d5d9dc; }
QWidget#Abook QLabel { color: #1b1e22; font: 10pt "Liberation Sans"; }
QWidget#Abook QLabel#WatchTitle, QWidget#Abook QLabel#RegsTitle, QWidget#Abook QLabel#NomRegTitle,
QWidget#Abook QLabel#LoadTitle, QWidget#Abook QLabel#PageTitle { font: bold 11pt "Liberation Sans"; color: #23415a; }
QWidget#Abook QLabel#PageNote { color: #5b6470; font: italic 10pt "Liberation Sans"; }
QWidget#Abook QLabel#verRegs { color: #1f6f9c; text-decoration: underline; font-weight: bold; }
QWidget#Abook QLabel#Mesg { color: #8a3b12; font-weight: bold; }
QWidget#WatchPanel QLabel[objectName^="Rg"] { color: #1b1e22; background: #ffffff; border: 1px solid #a9b0b8; border-radius: 3px; padding-left: 4px; font: 10pt "Courier New"; }
QWidget#Abook QLineEdit { color: #1b1e22; background: #ffffff; border: 1px solid #a9b0b8; border-radius: 3px; padding: 1px 3px; selection-background-color: #2a7fa6; }
QWidget#Abook QLineEdit:focus { border: 1px solid #3fa7d6; }
QWidget#WatchPanel QLineEdit#PegaRg { background: #fff8d6; border: 2px solid #d98a00; font: 10pt "Courier New"; }
QWidget#Abook QListWidget, QWidget#Abook QListView, QWidget#Abook QTreeView { color: #1b1e22; background: #ffffff; border: 1px solid #a9b0b8; border-radius: 3px; selection-background-color: #2a7fa6; selection-color: #ffffff; outline: none; }
QWidget#Abook QListWidget::item:hover, QWidget#Abook QTreeView::item:hover { background: #e4eef5; color: #1b1e22; }
QWidget#Abook QListWidget::item:selected, QWidget#Abook QTreeView::item:selected { background: #2a7fa6; color: #ffffff; }
QPlainTextEdit#Fonte { color: #111111; background: #ffffff; border: none; selection-background-color: #2a7fa6; selection-color: #ffffff; }
QPlainTextEdit#Fonte:disabled { color: #6b7178; background: #eceef0; }
QToolTip { color: #1b1e22; background: #fffbe6; border: 1px solid #c9b458; }
QMessageBox, QDialog { background: #eef1f4; }
QMessageBox QLabel, QDialog QLabel { color: #1b1e22; background: transparent; font: 10pt "Liberation Sans"; }
QMessageBox QPushButton, QDialog QPushButton { color: #1b1e22; background: #ffffff; border: 1px solid #8f98a3; border-radius: 3px; padding: 4px 14px; min-width: 64px; }
QMessageBox QPushButton:default, QDialog QPushButton:default { border: 2px solid #2a7fa6; }
QMessageBox QPushButton:pressed, QDialog QPushButton:pressed { background: #d5e6f0; }
)");
}

}  // namespace ludomat::skin
