#include "studio/screen_view.h"

#include <QPainter>

namespace ludomat {

ScreenView::ScreenView(QWidget* parent) : QWidget(parent)
{
    setObjectName("Tela");
    // Every pixel is painted here, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScreenView::setImage(const QImage& picture)
{
    m_image = picture;
    update();
}

void ScreenView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), m_image);
}

}  // namespace ludomat
