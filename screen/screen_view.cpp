#include "screen/screen_view.h"

#include "graphics/bitmap.h"
#include "screen/input_box_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace ludomat {

ScreenView::ScreenView(QWidget* parent) : QWidget(parent)
{
    setObjectName("Tela");
    // Every pixel is painted here, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hotspots follow the pointer without a button held.
    setMouseTracking(true);
    m_inputBox = new InputBoxWidget(this);
    m_pendingRepaint.setSingleShot(true);
    connect(&m_pendingRepaint, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void ScreenView::pictureChanged()
{
    if (m_pendingRepaint.isActive()) return;
    qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kRepaintIntervalMs;
    if (since >= kRepaintIntervalMs) update();
    else m_pendingRepaint.start(int(kRepaintIntervalMs - since));
}

void ScreenView::setPicture(const Bitmap* picture)
{
    m_picture = picture;
    update();
}

QSize ScreenView::pictureSize() const
{
    if (!m_picture || m_picture->isEmpty()) return size();
    return QSize(m_picture->width(), m_picture->height());
}

QPoint ScreenView::toPicture(QPointF widgetPoint) const
{
    QSize picture = pictureSize();
    if (picture == size() || width() <= 0 || height() <= 0) return widgetPoint.toPoint();
    return QPoint(int(std::floor(widgetPoint.x() * picture.width() / width())),
                  int(std::floor(widgetPoint.y() * picture.height() / height())));
}

QRect ScreenView::toWidget(const QRect& pictureRect) const
{
    QSize picture = pictureSize();
    if (picture == size() || picture.isEmpty()) return pictureRect;
    double sx = double(width()) / picture.width();
    double sy = double(height()) / picture.height();
    return QRect(int(std::lround(pictureRect.x() * sx)), int(std::lround(pictureRect.y() * sy)),
                 int(std::lround(pictureRect.width() * sx)), int(std::lround(pictureRect.height() * sy)));
}

Qt::CursorShape ScreenView::cursorShape(int code)
{
    static constexpr Qt::CursorShape kShapes[] = {
        Qt::ArrowCursor,     Qt::DragMoveCursor, Qt::PointingHandCursor, Qt::SplitHCursor,
        Qt::DragCopyCursor,  Qt::ForbiddenCursor, Qt::SplitVCursor,      Qt::BusyCursor,
        Qt::BlankCursor,     Qt::ForbiddenCursor, Qt::WaitCursor,        Qt::CrossCursor,
    };
    if (code < 0 || code >= int(std::size(kShapes))) return Qt::ArrowCursor;
    return kShapes[code];
}

void ScreenView::showInputBox(const InputBox& box)
{
    if (!box.visible) {
        m_inputBox->hide();
        return;
    }
    m_inputBoxRect = QRect(box.left, box.top, box.width, box.height);
    QSize picture = pictureSize();
    double fontScale = picture.height() > 0 ? double(height()) / picture.height() : 1.0;
    m_inputBox->present(box, fontScale);
    placeInputBox();
    m_inputBox->show();
    m_inputBox->raise();
    m_inputBox->setFocus(Qt::OtherFocusReason);
}

void ScreenView::placeInputBox() { m_inputBox->setGeometry(toWidget(m_inputBoxRect)); }

void ScreenView::paintEvent(QPaintEvent*)
{
    m_sincePaint.restart();
    m_pendingRepaint.stop();
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

void ScreenView::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMovedTo(toPicture(event->position()));
    QWidget::mouseMoveEvent(event);
}

void ScreenView::mousePressEvent(QMouseEvent* event)
{
    emit mousePressedAt(event->button(), toPicture(event->position()));
    event->accept();
}

void ScreenView::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleasedAt(event->button(), toPicture(event->position()));
    event->accept();
}

void ScreenView::resizeEvent(QResizeEvent* event)
{
    placeInputBox();
    QWidget::resizeEvent(event);
}

}  // namespace ludomat
