#pragma once
// The close button of the borderless window: a cross that turns red under the mouse.

#include <QAbstractButton>

namespace ludomat {

class CloseButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CloseButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hovered = false;
};

}  // namespace ludomat
