#pragma once
// The plain caption the studio's pages place by hand.

#include <QLabel>
#include <QRect>
#include <QString>

namespace ludomat {

// A label named `name` at `geometry` of `parent`, showing `text` as plain text (a file or register
// name never turns into markup).
inline QLabel* pageLabel(QWidget* parent, const QString& text, const char* name, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace ludomat
