#pragma once
// The typed-input field a script places over the run-time screen ("input="). It only shows and
// edits the text; the engine decides what Enter does with it.

#include "engine/input_box.h"

#include <QLineEdit>

#include <string>

namespace ludomat {

class InputBoxWidget : public QLineEdit {
    Q_OBJECT
public:
    explicit InputBoxWidget(QWidget* parent = nullptr);

    // Styles the field after `box` and remembers whether typing is upper-cased. The box's text
    // is filled in when the field was hidden or the box offers another text: a new style for
    // a shown box keeps what the user has typed. `fontScale` is widget pixels per picture pixel.
    void present(const InputBox& box, double fontScale = 1.0);
    bool upperCase() const { return m_upperCase; }

signals:
    // Enter was pressed; `text` is what the field holds.
    void confirmed(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_upperCase = false;
    // The text the box last offered (CP1252), to tell a restyle from a new question.
    std::string m_offered;
};

}  // namespace ludomat
