#include "studio/skin.h"

#include <QLinearGradient>
#include <QPainter>

namespace ludomat::skin {

namespace {

constexpr int kBezelWidth = 3;

void paintBezel(QPainter& painter, const QRect& inner)
{
    QRect outer = inner.adjusted(-kBezelWidth, -kBezelWidth, kBezelWidth, kBezelWidth);
    painter.setPen(QPen(kBezelEdge, 1));
    painter.setBrush(kBezel);
    painter.drawRoundedRect(QRectF(outer).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

}  // namespace

void paintBackground(QPainter& painter, const QRect& window, const QRect& screen, const QRect& notebook)
{
    QLinearGradient body(window.topLeft(), window.bottomLeft());
    body.setColorAt(0, kBackgroundTop);
    body.setColorAt(1, kBackgroundBottom);
    painter.fillRect(window, body);

    // The name in the top left corner; the rest of the top edge is free for dragging.
    QFont brand("Liberation Sans", 15, QFont::Bold);
    painter.setFont(brand);
    painter.setPen(kText);
    QRect brandBox(screen.left(), 8, 200, 26);
    painter.drawText(brandBox, Qt::AlignLeft | Qt::AlignVCenter, "Ludomat");

    painter.setRenderHint(QPainter::Antialiasing);
    paintBezel(painter, screen);
    paintBezel(painter, notebook);
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(QPen(kBezelEdge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(window.adjusted(0, 0, -1, -1));
}

QString styleSheet()
{
    return QStringLiteral(R"(
QLabel { color: #d8dde4; background: transparent; }
QLabel#Stn { color: #ffffff; font: italic bold 12pt "Liberation Sans"; }
QLabel#Stx { color: #e8c46a; }
QLabel#lbLin, QLabel#lbLinha { color: #d8dde4; font: 10pt "Liberation Sans"; }
QLabel#lbLin { font-weight: bold; }
QLabel#lbVersao { color: #8a939f; font: 9pt "Liberation Sans"; }
QPushButton {
  color: #e6eaef; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #47505c, stop:1 #333a43);
  border: 1px solid #5b6573; border-radius: 4px; font: bold 10pt "Liberation Sans"; padding: 0 8px;
}
QPushButton:hover { border-color: #3fa7d6; }
QPushButton:pressed { background: #2a7fa6; border-color: #3fa7d6; }
QPushButton#btExe { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a8f55, stop:1 #2b6d40); border-color: #4fae6c; }
QPushButton#btExe:pressed { background: #24593a; }
QLabel#Lb9 { color: #e6eaef; font: bold 10pt "Liberation Sans"; }
QStackedWidget#Abook { background: #d5d9dc; }
QWidget#Regs, QWidget#WatchPanel { background: #d5d9dc; }
QLabel#Led2 { background: #4cd964; border: 1px solid #2e8b3e; border-radius: 6px; }
QWidget#WatchPanel QLabel { color: #1b1e22; background: #ffffff; border: 1px solid #a9b0b8; padding-left: 4px; }
QWidget#WatchPanel QLineEdit { color: #1b1e22; background: #ffffff; border: 1px solid #a9b0b8; }
QPlainTextEdit#Fonte { color: #111111; background: #ffffff; border: none; selection-background-color: #2a7fa6; selection-color: #ffffff; }
QPlainTextEdit#Fonte:disabled { color: #6b7178; background: #eceef0; }
)");
}

}  // namespace ludomat::skin
