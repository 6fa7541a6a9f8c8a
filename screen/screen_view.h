#pragma once
// The run-time screen `Tela`: shows the engine's screen picture, stretched to the widget when
// their sizes differ (after leaving the full-screen mode the picture keeps its large size).
// Mouse positions and the input box are given in the picture's pixels, so scripts see the same
// coordinates however the picture is shown.

#include "engine/input_box.h"

#include <QPoint>
#include <QElapsedTimer>
#include <QRect>
#include <QTimer>
#include <QWidget>

namespace ludomat {

class Bitmap;
class InputBoxWidget;

class ScreenView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 760;
    static constexpr int kHeight = 420;

    explicit ScreenView(QWidget* parent = nullptr);

    // The picture to show; the view reads it at every repaint and never owns it.
    void setPicture(const Bitmap* picture);
    // The picture changed during a run. A game may refresh thousands of times a second; the view
    // repaints at most once a display frame and shows the latest picture, so painting never
    // holds the game back. update() repaints at once.
    void pictureChanged();
    static constexpr int kRepaintIntervalMs = 16;
    const Bitmap* picture() const { return m_picture; }

    // Widget pixels to picture pixels and back.
    QPoint toPicture(QPointF widgetPoint) const;
    QRect toWidget(const QRect& pictureRect) const;

    // Shows the box as the engine describes it, with the keyboard focus, or hides it.
    void showInputBox(const InputBox& box);
    InputBoxWidget* inputBox() const { return m_inputBox; }

    // The pointer shape for a hotspot cursor code (0..11; anything else is the arrow).
    static Qt::CursorShape cursorShape(int code);

signals:
    // The pointer over the screen, in picture pixels.
    void mouseMovedTo(QPoint point);
    void mousePressedAt(Qt::MouseButton button, QPoint point);
    void mouseReleasedAt(Qt::MouseButton button, QPoint point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize pictureSize() const;
    void placeInputBox();

    const Bitmap* m_picture = nullptr;
    InputBoxWidget* m_inputBox = nullptr;
    // Where the box stands on the picture, to follow the view when it is resized.
    QRect m_inputBoxRect;
    QElapsedTimer m_sincePaint;
    QTimer m_pendingRepaint;
};

}  // namespace ludomat
