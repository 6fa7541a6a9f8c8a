#pragma once
// The run-time screen `Tela`: shows the picture the graphics runtime hands it, black until then.

#include <QImage>
#include <QWidget>

namespace ludomat {

class ScreenView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 760;
    static constexpr int kHeight = 420;

    explicit ScreenView(QWidget* parent = nullptr);

    // Shows `picture`, stretched to the widget when its size differs.
    void setImage(const QImage& picture);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

}  // namespace ludomat
