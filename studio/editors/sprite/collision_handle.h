#pragma once
// One of the four 11 x 11 squares of the sprite page that drag an edge of the collision box,
// with the one-pixel guide line that follows it at its centre across the frame preview.

#include <QWidget>

namespace ludomat {

class CollisionHandle : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 11;
    static constexpr int kGuideOffset = 5;
    // `vertical`: the handle moves up and down along the panel's right side.
    CollisionHandle(bool vertical, bool silver, QWidget* panel);

    bool isVertical() const { return m_vertical; }
    // The handle's left (or top) coordinate in the panel; its guide line follows.
    int position() const { return m_vertical ? y() : x(); }
    void setPosition(int position);
    QWidget* guide() const { return m_guide; }

signals:
    // In the handle's own coordinates, along its axis.
    void pressed(int at);
    void moved(int at);
    void released();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_vertical;
    bool m_silver;
    QWidget* m_guide;
};

}  // namespace ludomat
