#pragma once
// Small controls of the figure editor: a picture that answers a press with the point pressed,
// a colour swatch, the marker beside the chosen swatch and a tool button with its up and down
// pictures.

#include "graphics/colour.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <functional>

namespace ludomat {

inline QColor toQColor(Rgb c)
{
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

// A label showing a picture; a left press calls `pressed` with the point in the label.
class PressLabel : public QLabel {
public:
    explicit PressLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }
    std::function<void(QPoint)> pressed;
    std::function<void()> doubleClicked;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && pressed) pressed(event->position().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && doubleClicked) doubleClicked();
    }
};

// A square of one colour with a thin frame.
class Swatch : public QWidget {
public:
    explicit Swatch(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }
    void setColour(Rgb colour)
    {
        m_colour = colour;
        update();
    }
    Rgb colour() const { return m_colour; }
    std::function<void()> pressed;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), toQColor(m_colour));
        p.setPen(QColor(0x1b, 0x2a, 0x38));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && pressed) pressed();
    }

private:
    Rgb m_colour = 0;
};

// The marker: a small ring that shows on any colour.
class MarkerView : public QWidget {
public:
    explicit MarkerView(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }
    std::function<void()> pressed;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
        p.setPen(QPen(Qt::white, 1.5));
        p.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && pressed) pressed();
    }
};

// A tool button: its up picture, or its down picture while its tool is chosen.
class ToolButton : public QWidget {
public:
    ToolButton(QPixmap up, QPixmap down, QWidget* parent)
        : QWidget(parent), m_up(std::move(up)), m_down(std::move(down))
    {
        setCursor(Qt::PointingHandCursor);
    }
    void setDown(bool down)
    {
        m_isDown = down;
        update();
    }
    bool isDown() const { return m_isDown; }
    std::function<void()> pressed;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, m_isDown ? m_down : m_up);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && pressed) pressed();
    }

private:
    QPixmap m_up, m_down;
    bool m_isDown = false;
};

}  // namespace ludomat
