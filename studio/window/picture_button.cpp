#include "studio/window/picture_button.h"

#include <QPainter>

namespace ludomat {

namespace {

constexpr int kGlyphSize = 12;
constexpr int kGlyphGap = 7;

}  // namespace

PictureButton::PictureButton(const QString& caption, skin::ButtonLook look, skin::Glyph glyph, QWidget* parent)
    : QAbstractButton(parent), m_look(look), m_glyph(glyph)
{
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(QFont("Liberation Sans", 10, QFont::Bold));
}

QSize PictureButton::sizeHint() const
{
    int glyph = m_glyph == skin::Glyph::None ? 0 : kGlyphSize + kGlyphGap;
    return {fontMetrics().horizontalAdvance(text()) + glyph + 24, 30};
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A button whose action is not there yet fades into the page behind it.
    if (!isEnabled()) painter.setOpacity(0.45);
    bool pressed = isDown();
    painter.drawPixmap(0, 0, skin::buttonPicture(size(), m_look, pressed, m_hovered && isEnabled()));

    QColor ink = m_look == skin::ButtonLook::Page ? QColor(0x1b, 0x2a, 0x38) : QColor(0xf2, 0xf4, 0xf7);
    // The caption sinks with the button while it is held.
    QRect area = rect().translated(0, pressed ? 1 : 0);
    int textWidth = fontMetrics().horizontalAdvance(text());
    int glyphWidth = m_glyph == skin::Glyph::None ? 0 : kGlyphSize + (text().isEmpty() ? 0 : kGlyphGap);
    int left = area.left() + (area.width() - textWidth - glyphWidth) / 2;
    if (glyphWidth) {
        QRectF glyphBox(left, area.center().y() - kGlyphSize / 2.0 + 0.5, kGlyphSize, kGlyphSize);
        skin::paintGlyph(painter, glyphBox, m_glyph, ink);
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(left + glyphWidth, area.top(), textWidth + 2, area.height()), Qt::AlignVCenter | Qt::AlignLeft,
                     text());
}

}  // namespace ludomat
