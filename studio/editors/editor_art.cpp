#include "studio/editors/editor_art.h"

#include "studio/window/skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ludomat::editor_art {

namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 420;

void paintBackdrop(QPainter& p, const QString& title, const QString& subtitle)
{
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, skin::kBackgroundTop);
    sky.setColorAt(1, skin::kBackgroundBottom);
    p.fillRect(0, 0, kWidth, kHeight, sky);
    p.setPen(skin::kAccent);
    p.setFont(QFont("Liberation Sans", 26, QFont::Bold));
    p.drawText(QRect(30, 24, 700, 44), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setPen(skin::kDimText);
    p.setFont(QFont("Liberation Sans", 12));
    p.drawText(QRect(32, 68, 700, 24), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
}

void paintSteps(QPainter& p, const QStringList& steps, int top)
{
    p.setFont(QFont("Liberation Sans", 11));
    for (int i = 0; i < steps.size(); ++i) {
        QRect badge(30, top + i * 30, 22, 22);
        p.setPen(Qt::NoPen);
        p.setBrush(skin::kAccent);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, QString::number(i + 1));
        p.setPen(skin::kText);
        p.drawText(QRect(62, top + i * 30, 350, 22), Qt::AlignLeft | Qt::AlignVCenter, steps[i]);
    }
}

// One 20 x 20 tile of a small level: 1 grass, 2 earth, 3 brick, 4 water.
void paintTile(QPainter& p, int x, int y, int kind)
{
    const QRect cell(x, y, 20, 20);
    switch (kind) {
    case 1:
        p.fillRect(cell, QColor(0x8d, 0x6e, 0x4f));
        p.fillRect(cell.adjusted(0, 0, 0, -13), QColor(0x5c, 0xb8, 0x5c));
        break;
    case 2: p.fillRect(cell, QColor(0x8d, 0x6e, 0x4f)); break;
    case 3:
        p.fillRect(cell, QColor(0xb5, 0x4b, 0x3c));
        p.setPen(QColor(0x6e, 0x2a, 0x22));
        p.drawLine(x, y + 10, x + 19, y + 10);
        p.drawLine(x + 10, y, x + 10, y + 9);
        p.drawLine(x + 4, y + 10, x + 4, y + 19);
        break;
    case 4: p.fillRect(cell, QColor(0x3f, 0x7f, 0xc6)); break;
    default: return;
    }
}

}  // namespace

QImage tileMapIntro()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintBackdrop(p, "Editor de mapas (TileMap)", "Desenhe os tiles, pinte o mapa, grave e gere as linhas do script.");
    paintSteps(p,
               {"Desenhe cada tile na lupa, pixel a pixel", "[ + ] acrescenta um tile à faixa",
                "Escolha um tile na faixa e pinte o mapa", "+ linha / + coluna aumentam o mapa",
                "save map: e save tiles: gravam na pasta do jogo", "Clique em \"tilemap\" para escrever a linha",
                "Ctrl+Z desfaz, botão direito pega o tile"},
               120);
    // A small level on the right, drawn from the same four tiles, with a grid over it.
    const char* level[] = {"000000000000000", "000000333000000", "000000000000000", "000330000003300",
                           "111111000111111", "222222444222222", "222222444222222"};
    const int left = 420, top = 140;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 15; ++c) paintTile(p, left + c * 20, top + r * 20, level[r][c] - '0');
    p.setPen(QColor(255, 255, 255, 40));
    for (int c = 0; c <= 15; ++c) p.drawLine(left + c * 20, top, left + c * 20, top + 140);
    for (int r = 0; r <= 7; ++r) p.drawLine(left, top + r * 20, left + 300, top + r * 20);
    p.setPen(QPen(skin::kAccent, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(left + 120, top + 20, 60, 20);
    p.setPen(skin::kDimText);
    p.setFont(QFont("Liberation Mono", 10));
    p.drawText(QRect(left, top + 150, 300, 60), Qt::AlignLeft,
               "  tilemap fase.tlm,tiles.bmp\n  tilemap 0,0,15,7,0,0");
    return image;
}

QImage spriteIntro()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintBackdrop(p, "Editor de sprites", "Veja os quadros, a escala e a área de colisão dos sprites do último script.");
    paintSteps(p,
               {"Rode o script: seus sprites aparecem aqui", "<< e >> trocam de sprite",
                "Passe o mouse na folha para escolher o quadro", "\"ver na tela\" anima quadro a quadro",
                "Arraste as alças para a área de colisão", "Clique nos títulos para gravar as linhas"},
               120);
    // A sheet of three frames of a little walker, and the collision box over the middle one.
    const int left = 430, top = 150;
    for (int f = 0; f < 3; ++f) {
        QRect frame(left + f * 90, top, 80, 100);
        p.setPen(QPen(skin::kBezelEdge, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        p.drawEllipse(QRectF(frame.left() + 26, frame.top() + 10, 28, 28));
        p.setBrush(skin::kAccent);
        p.drawRoundedRect(QRectF(frame.left() + 22, frame.top() + 40, 36, 32), 6, 6);
        int swing = (f - 1) * 8;
        p.setBrush(QColor(0x23, 0x41, 0x5a));
        p.drawRect(QRectF(frame.left() + 26 + swing, frame.top() + 72, 10, 22));
        p.drawRect(QRectF(frame.left() + 44 - swing, frame.top() + 72, 10, 22));
    }
    p.setPen(QPen(QColor(0xe8, 0x55, 0x4e), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(left + 90 + 18, top + 8, 44, 88);
    p.setPen(skin::kDimText);
    p.setFont(QFont("Liberation Mono", 10));
    p.drawText(QRect(left - 10, top + 120, 330, 60), Qt::AlignLeft,
               "loadsprite heroi,heroi.png,3,18,8,44,88\nsprite heroi,100,200,0,1.5");
    return image;
}

QImage colourPalette(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    const int greys = std::max(side / 6, 1);
    const int colourRows = side - greys;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            QColor colour;
            if (y >= colourRows) {
                colour = QColor::fromHsv(0, 0, 255 * x / std::max(side - 1, 1));
            } else {
                // Light at the top, full in the middle, dark at the bottom of the colour part.
                double t = double(y) / std::max(colourRows - 1, 1);
                int hue = 359 * x / std::max(side - 1, 1);
                if (t < 0.5) colour = QColor::fromHsv(hue, int(255 * t * 2), 255);
                else colour = QColor::fromHsv(hue, 255, int(255 * (1.0 - (t - 0.5) * 1.6)));
            }
            image.setPixel(x, y, colour.rgb());
        }
    }
    return image;
}

}  // namespace ludomat::editor_art
