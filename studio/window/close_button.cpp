#include "studio/window/close_button.h"

#include <QPainter>

namespace ludomat {

CloseButton::CloseButton(QWidget* parent) : QAbstractButton(parent)
{
    setObjectName("btClose");
    setFixedSize(46, 28);
    setToolTip("Fechar");
    setCursor(Qt::ArrowCursor);
}

void CloseButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CloseButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CloseButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (isDown()) painter.fillRect(rect(), QColor(0x94, 0x1f, 0x14));
    else if (m_hovered) painter.fillRect(rect(), QColor(0xc4, 0x2b, 0x1c));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xe6, 0xea, 0xef), 1.4));
    QPointF centre = QRectF(rect()).center();
    constexpr double kArm = 5.0;
    painter.drawLine(centre + QPointF(-kArm, -kArm), centre + QPointF(kArm, kArm));
    painter.drawLine(centre + QPointF(-kArm, kArm), centre + QPointF(kArm, -kArm));
}

}  // namespace ludomat
