#pragma once
// The "Cores:" row of the "Regs" page: colours between the six-digit text form and the decimal
// numbers "getrgb" and "putrgb" keep in registers, each with a swatch and a result that a click
// copies to the clipboard; and the mouse position over the run-time screen.

#include "graphics/colour.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace ludomat {

class ColourConverters : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{265, 128};

    explicit ColourConverters(QWidget* parent = nullptr);

    // Enter in "HexToInt:" and "IntToHex:". A field that is not a number of its kind leaves the
    // result and the swatch as they were and says so.
    void convertHexToInt();
    void convertIntToHex();
    void showMousePosition(QPoint point);

    Rgb hexSwatch() const { return m_hexColour; }
    Rgb intSwatch() const { return m_intColour; }

signals:
    void notice(const QString& text);

private:
    QLineEdit* m_hexField = nullptr;
    QLineEdit* m_intField = nullptr;
    QLabel* m_hexResult = nullptr;
    QLabel* m_intResult = nullptr;
    QWidget* m_hexSwatchView = nullptr;
    QWidget* m_intSwatchView = nullptr;
    QLabel* m_x = nullptr;
    QLabel* m_y = nullptr;
    Rgb m_hexColour = 0;
    Rgb m_intColour = 0;
};

}  // namespace ludomat
