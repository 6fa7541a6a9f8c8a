#include "studio/views/colour_converters.h"

#include "studio/editors/drawing/drawing_widgets.h"
#include "studio/editors/drawing/figure_lines.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

namespace ludomat {

namespace {

// A result: a press turns its text white and copies it; the release makes it black again.
class CopyLabel : public QLabel {
public:
    explicit CopyLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
    {
        setCursor(Qt::PointingHandCursor);
        setToolTip("Clique para copiar");
        setStyleSheet("color: black;");
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) return;
        setStyleSheet("color: white;");
        QApplication::clipboard()->setText(text());
    }
    void mouseReleaseEvent(QMouseEvent*) override { setStyleSheet("color: black;"); }
};

QLabel* label(QWidget* parent, const QString& text, const char* name, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    return l;
}

}  // namespace

ColourConverters::ColourConverters(QWidget* parent) : QWidget(parent)
{
    setObjectName("Cores");
    resize(kSize);
    label(this, "Cores:", "lbCores", QRect(0, 0, 80, 20));
    label(this, "HexToInt:", "lbHexToIntCaption", QRect(0, 24, 62, 22));
    m_hexField = new QLineEdit("000000", this);
    m_hexField->setObjectName("edHexToInt");
    m_hexField->setGeometry(62, 24, 62, 22);
    auto* hexSwatch = new Swatch(this);
    hexSwatch->setGeometry(128, 26, 18, 18);
    m_hexSwatchView = hexSwatch;
    m_hexResult = new CopyLabel("0", this);
    m_hexResult->setObjectName("lbHexToInt");
    m_hexResult->setGeometry(152, 24, 110, 22);

    label(this, "IntToHex:", "lbIntToHexCaption", QRect(0, 52, 62, 22));
    m_intField = new QLineEdit("0", this);
    m_intField->setObjectName("edIntToHex");
    m_intField->setGeometry(62, 52, 62, 22);
    auto* intSwatch = new Swatch(this);
    intSwatch->setGeometry(128, 54, 18, 18);
    m_intSwatchView = intSwatch;
    m_intResult = new CopyLabel("000000", this);
    m_intResult->setObjectName("lbIntToHex");
    m_intResult->setGeometry(152, 52, 110, 22);

    label(this, "Mouse:", "lbMouse", QRect(0, 84, 60, 20));
    label(this, "Posição X:", "lbPosXCaption", QRect(62, 84, 70, 20));
    m_x = label(this, "...", "lbPosX", QRect(134, 84, 60, 20));
    label(this, "Posição Y:", "lbPosYCaption", QRect(62, 104, 70, 20));
    m_y = label(this, "...", "lbPosY", QRect(134, 104, 60, 20));

    connect(m_hexField, &QLineEdit::returnPressed, this, &ColourConverters::convertHexToInt);
    connect(m_intField, &QLineEdit::returnPressed, this, &ColourConverters::convertIntToHex);
}

void ColourConverters::convertHexToInt()
{
    Rgb colour = 0;
    if (!parseColourText(m_hexField->text(), &colour)) {
        emit notice(QString("\"%1\" não é uma cor de seis dígitos hexadecimais.").arg(m_hexField->text()));
        return;
    }
    m_hexColour = colour;
    static_cast<Swatch*>(m_hexSwatchView)->setColour(colour);
    m_hexResult->setText(QString::number(colour));
}

void ColourConverters::convertIntToHex()
{
    bool ok = false;
    const int value = m_intField->text().trimmed().toInt(&ok);
    // Negative numbers have no colour and no six-digit form.
    if (!ok || value < 0) {
        emit notice(QString("\"%1\" não é um número inteiro de 0 em diante.").arg(m_intField->text()));
        return;
    }
    const QString hex = QString("%1").arg(uint(value), 6, 16, QChar('0')).toUpper();
    m_intResult->setText(hex);
    // Above FFFFFF the digits are no colour: the swatch keeps the last one.
    if (value <= 0xFFFFFF) {
        m_intColour = Rgb(value);
        static_cast<Swatch*>(m_intSwatchView)->setColour(m_intColour);
    }
}

void ColourConverters::showMousePosition(QPoint point)
{
    m_x->setText(QString::number(point.x()));
    m_y->setText(QString::number(point.y()));
}

}  // namespace ludomat
