#include "studio/editors/sprite/collision_handle.h"

#include <QMouseEvent>
#include <QPainter>

namespace ludomat {

namespace {

// Where the handles run in the panel: along the bottom and along the right side.
constexpr int kBottomTop = 134;
constexpr int kRightLeft = 214;

}  // namespace

CollisionHandle::CollisionHandle(bool vertical, bool silver, QWidget* panel)
    : QWidget(panel), m_vertical(vertical), m_silver(silver), m_guide(new QWidget(panel))
{
    resize(kSide, kSide);
    setCursor(vertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    m_guide->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_guide->setAutoFillBackground(true);
    m_guide->setPalette(QPalette(silver ? QColor(0xc0, 0xc0, 0xc0) : QColor(0xe8, 0x55, 0x4e)));
    if (vertical) m_guide->resize(kRightLeft, 1);
    else m_guide->resize(1, kBottomTop);
    setPosition(0);
    raise();
}

void CollisionHandle::setPosition(int position)
{
    if (m_vertical) {
        move(kRightLeft, position);
        m_guide->move(0, position + kGuideOffset);
    } else {
        move(position, kBottomTop);
        m_guide->move(position + kGuideOffset, 0);
    }
}

void CollisionHandle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_silver ? QColor(0xc0, 0xc0, 0xc0) : QColor(0xe8, 0x55, 0x4e));
    p.setPen(QColor(0x23, 0x41, 0x5a));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CollisionHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    QPoint at = event->position().toPoint();
    emit pressed(m_vertical ? at.y() : at.x());
}

void CollisionHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) return;
    QPoint at = event->position().toPoint();
    emit moved(m_vertical ? at.y() : at.x());
}

void CollisionHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit released();
}

}  // namespace ludomat
