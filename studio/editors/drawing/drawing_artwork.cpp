#include "studio/editors/drawing/drawing_artwork.h"

#include "studio/window/skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ludomat::drawing_art {

namespace {

constexpr int kBlock = 10;
// Hues of the palette's columns in degrees: the primaries and the colours between them.
constexpr int kHues[] = {0, 30, 60, 90, 120, 180, 210, 240, 270, 300};
const QColor kInk(0x1b, 0x2a, 0x38);

void paintToolGlyph(QPainter& p, int tool, const QRectF& r)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF a = r.topLeft(), b = r.bottomRight();
    switch (tool) {
        case kToolPixel:
            p.setPen(Qt::NoPen);
            p.setBrush(skin::kAccent.darker(130));
            p.drawRect(QRectF(r.center() - QPointF(3, 3), QSizeF(6, 6)));
            p.setBrush(kInk);
            p.drawRect(QRectF(r.left() + 1, r.top() + 1, 3, 3));
            p.drawRect(QRectF(r.right() - 4, r.bottom() - 4, 3, 3));
            break;
        case kToolLine:
            p.drawLine(QPointF(a.x(), b.y()), QPointF(b.x(), a.y()));
            break;
        case kToolPolyline:
            p.drawPolyline(QPolygonF({QPointF(a.x(), b.y()), QPointF(a.x() + r.width() * 0.35, a.y()),
                                      QPointF(a.x() + r.width() * 0.65, b.y() - 2), QPointF(b.x(), a.y() + 2)}));
            break;
        case kToolRectangle:
            p.drawRect(r.adjusted(1, 1, -1, -1));
            break;
        case kToolEllipse:
            p.drawEllipse(r.adjusted(0, 1, 0, -1));
            break;
        case kToolFan:
            for (int i = 0; i < 4; ++i) p.drawLine(QPointF(a.x(), b.y()), QPointF(b.x(), a.y() + i * r.height() / 3.0));
            break;
        case kToolFilled:
            p.setBrush(QColor(0xe8, 0x55, 0x4e));
            p.drawRect(r.adjusted(1, 1, -1, -1));
            break;
        default:
            break;
    }
}

QColor hslBlock(int hue, int row)
{
    // Nine rows from light (90 %) down to dark (10 %); the middle row holds the pure hues.
    const double lightness = 0.9 - 0.1 * row;
    return QColor::fromHslF(hue / 360.0, 1.0, lightness);
}

void paintTitleText(QPainter& p, const QRect& box, const QString& text, int pixelSize)
{
    p.setPen(Qt::white);
    QFont font("Liberation Sans");
    font.setBold(true);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void paintPlotCells(QPainter& p, const QRectF& area, int columns, int rows, double cell)
{
    const QColor colours[] = {QColor(0x3f, 0xa7, 0xd6), QColor(0xf2, 0xc1, 0x4e), QColor(0x4c, 0xd9, 0x64),
                              QColor(0xe8, 0x55, 0x4e)};
    p.setPen(Qt::NoPen);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            if ((x * 7 + y * 3) % 5 == 0) continue;
            p.setBrush(colours[(x + 2 * y) % 4]);
            p.drawRect(QRectF(area.left() + x * cell, area.top() + y * cell, cell - 1, cell - 1));
        }
}

void paintPencil(QPainter& p, const QRectF& r)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    QPolygonF body({r.bottomLeft() + QPointF(2, -2), r.bottomLeft() + QPointF(2, -8), r.topRight() + QPointF(-7, 3),
                    r.topRight() + QPointF(-2, 8), r.bottomLeft() + QPointF(8, -2)});
    p.drawPolygon(body);
    p.setBrush(QColor(0xe8, 0x55, 0x4e));
    p.drawEllipse(QRectF(r.right() - 9, r.top(), 8, 8));
}

}  // namespace

QPixmap toolButton(int tool, bool down)
{
    QPixmap picture = skin::buttonPicture(kToolButtonSize, skin::ButtonLook::Page, down, false);
    QPainter p(&picture);
    const double sink = down ? 1 : 0;
    if (down) {
        // The chosen tool also carries a bar in the accent colour, seen at a glance.
        p.fillRect(QRectF(5, kToolButtonSize.height() - 5, kToolButtonSize.width() - 10, 2), skin::kAccent);
    }
    paintToolGlyph(p, tool, QRectF(9 + sink, 5 + sink, 17, 13));
    return picture;
}

QPixmap kindTitle(FigureKind kind, QSize size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, size.height());
    const QColor top = kind == FigureKind::Pixel ? QColor(0x2e, 0x5e, 0x8c) : QColor(0x6b, 0x3e, 0x8c);
    back.setColorAt(0, top.lighter(125));
    back.setColorAt(1, top.darker(140));
    p.setPen(QPen(top.darker(180), 1));
    p.setBrush(back);
    p.drawRoundedRect(QRectF(picture.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    // Small pictures keep a narrower margin, so the name still fits beside the pictogram.
    const double margin = size.height() < 36 ? 5 : size.height() / 6.0;
    const double side = size.height() - 2 * margin;
    const QRectF art(margin, margin, side, side);
    if (kind == FigureKind::Pixel)
        paintPencil(p, art);
    else
        paintPlotCells(p, art, 4, 4, side / 4);
    const int textLeft = int(art.right() + margin);
    paintTitleText(p, QRect(textLeft, 0, size.width() - textLeft - 2, size.height()),
                   kind == FigureKind::Pixel ? "Dodiroz" : "Bitmap", int(size.height() * 0.36));
    return picture;
}

QPixmap tileMapPicture(QSize size)
{
    QPixmap picture = skin::buttonPicture(size, skin::ButtonLook::Page, false, false);
    QPainter p(&picture);
    const double side = size.height() - 12;
    // A little map: sky, grass and earth tiles.
    const QColor tiles[] = {QColor(0x7d, 0xb7, 0xe0), QColor(0x9b, 0xc5, 0x7a), QColor(0x8d, 0x6e, 0x4f)};
    const double cell = side / 3;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) p.fillRect(QRectF(6 + x * cell, 6 + y * cell, cell - 1, cell - 1), tiles[y]);
    p.setPen(kInk);
    QFont font("Liberation Sans");
    font.setBold(true);
    font.setPixelSize(int(size.height() * 0.34));
    p.setFont(font);
    const int textLeft = int(6 + side + 5);
    p.drawText(QRect(textLeft, 0, size.width() - textLeft - 2, size.height()), Qt::AlignLeft | Qt::AlignVCenter,
               "TileMap");
    return picture;
}

QImage introPicture(FigureKind kind)
{
    QImage picture(760, 420, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, 420);
    back.setColorAt(0, kind == FigureKind::Pixel ? QColor(0x12, 0x24, 0x3a) : QColor(0x24, 0x12, 0x3a));
    back.setColorAt(1, QColor(0x05, 0x07, 0x0b));
    p.fillRect(picture.rect(), back);
    if (kind == FigureKind::Plot) {
        p.setOpacity(0.35);
        paintPlotCells(p, QRectF(440, 60, 300, 300), 15, 15, 20);
        p.setOpacity(1);
    } else {
        // A few shapes as the tools draw them.
        p.setPen(QPen(QColor(0x3f, 0xa7, 0xd6), 4));
        p.drawEllipse(QRectF(470, 80, 200, 130));
        p.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 4));
        p.drawRect(QRectF(520, 180, 180, 120));
        p.setPen(QPen(QColor(0x4c, 0xd9, 0x64), 4));
        for (int i = 0; i < 5; ++i) p.drawLine(QPointF(460, 360), QPointF(720, 230 + i * 30));
    }
    p.drawPixmap(40, 50, kindTitle(kind, QSize(300, 90)));
    p.setPen(QColor(0xd8, 0xdd, 0xe4));
    p.setFont(QFont("Liberation Sans", 13));
    const QString text =
        kind == FigureKind::Pixel
            ? "Desenhe com o mouse nesta tela.\nCada traço vira uma linha de script\nem \"Grp\", à direita.\n\n"
              "Escolha a ferramenta, a cor na paleta,\ne depois \"Transferir p/programa\"."
            : "Cada clique pinta um plot da grade\ne escreve uma linha \"plot\".\n\n"
              "Botão esquerdo: pinta e escreve.\nBotão do meio: só pinta.\nBotão direito: apaga na tela.";
    p.drawText(QRect(44, 170, 400, 220), Qt::AlignLeft | Qt::AlignTop, text);
    p.setPen(QColor(0x8a, 0x93, 0x9f));
    p.setFont(QFont("Liberation Sans", 10));
    p.drawText(QRect(44, 385, 680, 24), Qt::AlignLeft,
               "\"Clear tela\" limpa a tela  ·  Ctrl+Z desfaz, Ctrl+Shift+Z refaz");
    return picture;
}

QImage palette()
{
    QImage picture(kPaletteSide, kPaletteSide, QImage::Format_RGB32);
    constexpr int kColourRows = 9;
    for (int y = 0; y < kPaletteSide; ++y) {
        const int row = y / kBlock;
        for (int x = 0; x < kPaletteSide; ++x) {
            const int column = x / kBlock;
            QColor colour;
            if (row < kColourRows)
                colour = hslBlock(kHues[column], row);
            else {
                const int grey = 255 - column * 255 / 9;
                colour = QColor(grey, grey, grey);
            }
            picture.setPixel(x, y, colour.rgb());
        }
    }
    return picture;
}

}  // namespace ludomat::drawing_art
