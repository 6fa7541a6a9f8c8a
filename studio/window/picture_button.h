#pragma once
// A picture button: it shows the shared released picture, the shared pressed picture while the
// mouse button is held on it, and its caption; the action runs on click.

#include "studio/window/skin.h"

#include <QAbstractButton>

namespace ludomat {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString& caption, skin::ButtonLook look, skin::Glyph glyph, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    skin::ButtonLook m_look;
    skin::Glyph m_glyph;
    bool m_hovered = false;
};

}  // namespace ludomat
