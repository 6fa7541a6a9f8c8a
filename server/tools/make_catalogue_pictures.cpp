// Draws the catalogue's pictures, one 100 x 100 PNG per game, so every file the server ships
// is our own work and can be made again:
//   make-catalogue-pictures FOLDER

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 100;

void drawMaze(QPainter& p)
{
    // The same maze the game draws, cut to its top-left corner.
    static const char* const kRows[] = {"XXXXXXXXXX", "X.....X...", "X.XXX.X.XX", "X.X...X.X.", "X.X.XXX.X.",
                                        "X.X.....X.", "X.XXXXXXX.", "X.......X.", "XXXXXX.XXX", "X....X...."};
    p.fillRect(0, 0, kSize, kSize, QColor(0x10, 0x18, 0x30));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (kRows[y][x] == 'X') p.fillRect(x * 10, y * 10, 10, 10, QColor(0x38, 0x58, 0xB0));
    p.fillRect(10, 10, 10, 10, QColor(0xFF, 0xD0, 0x40));
    p.fillRect(70, 90, 10, 10, QColor(0x40, 0xE0, 0x60));
}

void drawQuiz(QPainter& p)
{
    p.fillRect(0, 0, kSize, kSize, QColor(0x20, 0x10, 0x4A));
    p.setPen(QColor(0xFF, 0xD0, 0x40));
    p.setFont(QFont("Liberation Sans", 44, QFont::Bold));
    p.drawText(QRect(0, 0, kSize, 70), Qt::AlignCenter, "?");
    p.setPen(Qt::NoPen);
    const QColor answers[] = {QColor(0x38, 0x20, 0x6A), QColor(0x30, 0xB0, 0x40), QColor(0x38, 0x20, 0x6A)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(answers[i]);
        p.drawRoundedRect(QRectF(6 + i * 31, 74, 26, 16), 4, 4);
    }
}

void drawPainting(QPainter& p)
{
    p.fillRect(0, 0, kSize, kSize, Qt::white);
    p.fillRect(0, 0, kSize, 16, QColor(0x30, 0x38, 0x40));
    const QColor colours[] = {QColor(0xE8, 0x30, 0x30), QColor(0xF0, 0xA0, 0x20), QColor(0xF0, 0xE0, 0x40),
                              QColor(0x30, 0xB0, 0x40), QColor(0x30, 0x70, 0xE0), QColor(0x20, 0x20, 0x20)};
    for (int i = 0; i < 6; ++i) p.fillRect(4 + i * 16, 3, 12, 10, colours[i]);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(colours[i]);
        p.drawEllipse(QPointF(18 + i * 16, 40 + (i % 2) * 14), 8, 8);
    }
    p.setPen(QPen(colours[4], 3));
    p.drawPolyline(QPolygonF({QPointF(10, 90), QPointF(40, 72), QPointF(62, 88), QPointF(92, 66)}));
}

void drawReflex(QPainter& p)
{
    p.fillRect(0, 0, kSize / 2, kSize, QColor(0x80, 0x20, 0x20));
    p.fillRect(kSize / 2, 0, kSize / 2, kSize, QColor(0x20, 0xA0, 0x40));
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(QColor(0x20, 0x30, 0x50));
    p.drawEllipse(QPointF(50, 54), 30, 30);
    p.drawLine(QPointF(50, 54), QPointF(50, 32));
    p.drawLine(QPointF(50, 54), QPointF(64, 60));
    p.fillRect(44, 14, 12, 8, Qt::white);
}

void drawMemory(QPainter& p)
{
    p.fillRect(0, 0, kSize, kSize, QColor(0x1E, 0x5A, 0x32));
    p.setFont(QFont("Liberation Sans", 14, QFont::Bold));
    for (int i = 0; i < 4; ++i) {
        QRect card(8 + (i % 2) * 46, 8 + (i / 2) * 46, 38, 38);
        bool open = i == 0 || i == 3;
        p.fillRect(card, open ? QColor(Qt::white) : QColor(0x38, 0x58, 0xB0));
        p.setPen(open ? QColor(0xE0, 0xA0, 0x00) : QColor(Qt::white));
        p.drawText(card, Qt::AlignCenter, open ? QString::fromUtf8("\u2600") : QString("?"));
    }
}

void drawSnake(QPainter& p)
{
    p.fillRect(0, 0, kSize, kSize, QColor(0x0A, 0x2A, 0x12));
    // The body on the game's grid of 10-pixel cells, turning twice towards the fruit.
    const QPoint body[] = {{1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {5, 6}, {5, 5}, {5, 4}, {6, 4}, {7, 4}};
    for (const QPoint& cell : body) p.fillRect(cell.x() * 10, cell.y() * 10, 10, 10, QColor(0x60, 0xE0, 0x60));
    p.fillRect(80, 40, 10, 10, QColor(0x30, 0xA0, 0x30));
    p.fillRect(80, 20, 10, 10, QColor(0xE0, 0x30, 0x30));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Uso: make-catalogue-pictures PASTA\n");
        return 2;
    }
    // Text needs fonts, and fonts need a GUI application; no window is opened.
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    struct Picture {
        const char* file;
        std::function<void(QPainter&)> draw;
    };
    const std::vector<Picture> pictures = {
        {"labirinto.png", drawMaze}, {"quiz.png", drawQuiz}, {"pintura.png", drawPainting}, {"reflexo.png", drawReflex},
        {"memoria.png", drawMemory}, {"cobrinha.png", drawSnake}};
    for (const Picture& picture : pictures) {
        QImage image(kSize, kSize, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        picture.draw(painter);
        painter.end();
        QString path = QString::fromLocal8Bit(argv[1]) + "/" + picture.file;
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "make-catalogue-pictures: não foi possível gravar %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
