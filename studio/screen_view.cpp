#include "studio/screen_view.h"

#include "graphics/bitmap.h"

#include <QMouseEvent>
#include <QPainter>

namespace ludomat {

ScreenView::ScreenView(QWidget* parent) : QWidget(parent)
{
    setObjectName("Tela");
    // Every pixel is painted here, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScreenView::setPicture(const Bitmap* picture)
{
    m_picture = picture;
    update();
}

void ScreenView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_picture || m_picture->isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    QImage view = m_picture->view();
    if (view.size() == size()) {
        painter.drawImage(0, 0, view);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), view);
}

void ScreenView::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    emit pressed();
}

}  // namespace ludomat
