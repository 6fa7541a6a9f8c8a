#pragma once
// The script editor `Fonte`: plain lines of Windows-1252 text. It tells the run loop where its
// caret is and remembers whether the user changed the text since the engine last saw it.

#include <QPlainTextEdit>

#include <string>
#include <vector>

namespace ludomat {

class ScriptEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

    // The lines as the engine and the script file hold them. A final empty line after the last
    // line end is not a line, as in the file.
    std::vector<std::string> lines() const;
    // Replaces the text; not a user edit.
    void setLines(const std::vector<std::string>& lines);

    // True when the user changed the text since the last setLines or markSynced.
    bool isEdited() const { return m_edited; }
    void markSynced() { m_edited = false; }

    // Selects the whole line `index` (without its line end); past the end, puts the caret at the end.
    void selectLine(int index);
    int caretLine() const;

signals:
    // A mouse press or key release left the caret on `line`.
    void caretLineReported(int line);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool m_edited = false;
    bool m_loading = false;
};

}  // namespace ludomat
