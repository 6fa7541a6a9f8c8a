#pragma once
// Gestures on the figure editor "Dodiroz" as a user makes them: real presses, moves and
// releases on the run-time screen, tools, colours and sizes, written as short step lists.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "screen/screen_view.h"
#include "studio/editors/drawing/drawing_page.h"

#include <QLineEdit>

namespace ludomat::test {

inline const QString kPixelHeader = "//=== Dodiroz III ===========================================";
inline const QString kPlotHeader = "//=== Bitmap ================================================";

inline ScreenView* tela(MainWindow& window)
{
    return window.findChild<ScreenView*>();
}
inline QWidget* widget(MainWindow& w, const char* name)
{
    return w.findChild<QWidget*>(name);
}
inline QString fieldText(MainWindow& w, const char* name)
{
    return w.findChild<QLineEdit*>(name)->text();
}

// A press, a move half way, a move to the end and the release there; a click is a drag of none.
inline void drag(MainWindow& w, QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mousePress(tela(w), b, Qt::NoModifier, from);
    if (from != to) {
        QTest::mouseMove(tela(w), (from + to) / 2);
        QTest::mouseMove(tela(w), to);
    }
    QTest::mouseRelease(tela(w), b, Qt::NoModifier, to);
}

inline void clickAt(MainWindow& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    drag(w, p, p, b);
}

inline void chooseTool(MainWindow& w, int tool)
{
    QWidget* button = widget(w, qPrintable(QString("btTool%1").arg(tool)));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void drawingColour(MainWindow& w, const QString& hex)
{
    QTest::mouseClick(widget(w, "swCor"), Qt::LeftButton);
    enterText(w, "HexCor", hex);
}

inline QStringList lines(MainWindow& w)
{
    return w.drawingPage().figureLines();
}
inline QStringList tail(MainWindow& w, int n)
{
    return lines(w).mid(lines(w).size() - n);
}
inline Rgb screenPixel(MainWindow& w, int x, int y)
{
    return w.engine().screen().tela.pixel(x, y);
}
inline QByteArray fileBytes(const QStringList& figure)
{
    return (figure.join("\r\n") + "\r\n").toLatin1();
}
inline void switchKind(MainWindow& w)
{
    QTest::mouseClick(widget(w, "imTroca"), Qt::LeftButton);
}
inline void undoKey(MainWindow& w)
{
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
}
inline void redoKey(MainWindow& w)
{
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
}

inline QPoint point(const QString& text)
{
    const QStringList xy = text.split(',');
    return {xy.value(0).toInt(), xy.value(1).toInt()};
}

// Runs gesture steps separated by ";": "tool N", "colour HEX", "ink HEX" (the marker on the
// ink swatch), "size1 V", "size2 V", "[r|m]click X,Y" and "[r]drag X,Y X,Y".
inline void perform(MainWindow& w, const QString& steps)
{
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
        const QStringList word = step.simplified().split(' ');
        const QString verb = word[0];
        const Qt::MouseButton b = verb.startsWith('r')   ? Qt::RightButton
                                  : verb.startsWith('m') ? Qt::MiddleButton
                                                         : Qt::LeftButton;
        if (verb == "tool")
            chooseTool(w, word[1].toInt());
        else if (verb == "colour")
            drawingColour(w, word[1]);
        else if (verb == "size1")
            enterText(w, "edDef1", word.value(1));
        else if (verb == "size2")
            enterText(w, "edDef2", word.value(1));
        else if (verb == "ink") {
            QTest::mouseClick(widget(w, "swInk"), Qt::LeftButton);
            enterText(w, "HexCor", word[1]);
            QTest::mouseClick(widget(w, "marcador"), Qt::LeftButton);
        } else if (verb.endsWith("click"))
            clickAt(w, point(word[1]), b);
        else if (verb.endsWith("drag"))
            drag(w, point(word[1]), point(word[2]), b);
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

// Checks "X,Y=RRGGBB" pixels, blank separated, on the shown screen.
inline void checkPixels(const Bitmap& screen, const QString& pixels)
{
    for (const QString& check : pixels.split(' ', Qt::SkipEmptyParts)) {
        const QPoint p = point(check.section('=', 0, 0));
        QVERIFY2(screen.pixel(p.x(), p.y()) == check.section('=', 1).toUInt(nullptr, 16), qPrintable(check));
    }
}

}  // namespace ludomat::test
