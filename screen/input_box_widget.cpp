#include "screen/input_box_widget.h"

#include "graphics/canvas.h"
#include "graphics/cp1252.h"

#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace ludomat {

namespace {

QString cssColour(Rgb colour) { return QString("#%1").arg(colour & 0xFFFFFF, 6, 16, QChar('0')); }

}  // namespace

InputBoxWidget::InputBoxWidget(QWidget* parent) : QLineEdit(parent)
{
    setObjectName("InputReg");
    setFrame(false);
    hide();
}

void InputBoxWidget::present(const InputBox& box, double fontScale)
{
    const InputBoxStyle& style = box.style;
    // Flat: no bevel and no rounding, only the one-pixel line when the script asks for it.
    QString border = style.border ? QString("1px solid %1").arg(cssColour(style.ink)) : QString("none");
    setStyleSheet(QString("QLineEdit#InputReg { background: %1; color: %2; border: %3; border-radius: 0; "
                          "padding: 0; selection-background-color: %2; selection-color: %1; }")
                      .arg(cssColour(style.background), cssColour(style.ink), border));

    // Sizes are points at 96 dots an inch, as on the screen picture itself.
    QFont font(fromCp1252(style.fontFace));
    font.setPixelSize(std::max(1, int(std::lround(pointsToPixels(style.fontSize) * fontScale))));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    setFont(font);

    m_upperCase = box.upperCase;
    if (!isHidden() && box.text == m_offered) return;
    m_offered = box.text;
    setText(fromCp1252(box.text));
    // The offered text is selected, so typing replaces it and the caret keys edit it.
    selectAll();
}

void InputBoxWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter answers the box and is never part of the text.
        event->accept();
        emit confirmed(text());
        return;
    }
    QString typed = event->text();
    if (m_upperCase && !typed.isEmpty() && typed != typed.toUpper()) {
        // The same key with upper-case text: the character goes in at the caret as typed.
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                        event->nativeVirtualKey(), event->nativeModifiers(), typed.toUpper(),
                        event->isAutoRepeat(), ushort(event->count()));
        QLineEdit::keyPressEvent(&upper);
        event->setAccepted(upper.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace ludomat
