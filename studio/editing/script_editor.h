#pragma once
// The script editor `Fonte`: plain lines of Windows-1252 text with line numbers and colours. It
// tells the run loop where its caret is, marks the line a paused run stands on, and remembers
// whether the user changed the text since the engine last saw it.

#include <QPlainTextEdit>

#include <string>
#include <vector>

namespace ludomat {

class ScriptHighlighter;

class ScriptEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

    // The lines as the engine and the script file hold them. A final empty line after the last
    // line end is not a line, as in the file.
    std::vector<std::string> lines() const;
    // Replaces the text; not a user edit, and nothing left to save.
    void setLines(const std::vector<std::string>& lines);

    // True when the user changed the text since the last setLines or markSynced.
    bool isEdited() const { return m_edited; }
    void markSynced() { m_edited = false; }
    // True when the user changed the text since it was last loaded or saved.
    bool isUnsaved() const { return document()->isModified(); }
    void markSaved() { document()->setModified(false); }

    // Selects the whole line `index` (without its line end); past the end, puts the caret at the end.
    void selectLine(int index);
    int caretLine() const;

    // Marks the line a paused or stepped run continues from; -1 removes the mark.
    void setRunLine(int line);
    int runLine() const { return m_runLine; }

    ScriptHighlighter& highlighter() { return *m_highlighter; }

    // Marks drawn over the text besides the run line (the warnings' wavy underlines).
    void setWarningMarks(const QList<QTextEdit::ExtraSelection>& marks);

    // The gutter with the line numbers (0-based, as the line label counts).
    int gutterWidth() const;
    void paintGutter(QPaintEvent* event);
    // A click in the gutter at height `y` sets or clears the breakpoint of that line.
    void toggleBreakpointAt(int y);
    QWidget* gutter() const { return m_gutter; }

signals:
    // A mouse press or key release left the caret on `line`.
    void caretLineReported(int line);
    // The user typed, pasted or deleted (never a load).
    void userEdited();
    // The user set or cleared a breakpoint in the gutter.
    void breakpointsChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateGutter(const QRect& rect, int dy);
    void updateRunMark();

    QWidget* m_gutter = nullptr;
    ScriptHighlighter* m_highlighter = nullptr;
    int m_runLine = -1;
    QList<QTextEdit::ExtraSelection> m_warningMarks;
    bool m_edited = false;
    bool m_loading = false;
};

}  // namespace ludomat
