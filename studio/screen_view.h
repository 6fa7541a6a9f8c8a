#pragma once
// The run-time screen `Tela`: shows the engine's screen picture, stretched to the widget when
// their sizes differ (after leaving the full-screen mode the picture keeps its large size).

#include <QWidget>

namespace ludomat {

class Bitmap;

class ScreenView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 760;
    static constexpr int kHeight = 420;

    explicit ScreenView(QWidget* parent = nullptr);

    // The picture to show; the view reads it at every repaint and never owns it.
    void setPicture(const Bitmap* picture);
    const Bitmap* picture() const { return m_picture; }

signals:
    // A press on the screen, in the widget's own pixels.
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const Bitmap* m_picture = nullptr;
};

}  // namespace ludomat
