#pragma once
// Help while writing a script in `Fonte`: completion of command words (as the user types, and on
// Ctrl+Space) with the parameters and one-line help of the command table shown while they are
// filled in, the help of a command word under the mouse, and the keys Ctrl+F find, Ctrl+H
// replace, Ctrl+G go to line, Ctrl+/ comment or uncomment, Ctrl+S save.

#include <QObject>
#include <QString>

#include <functional>

class QCompleter;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ludomat {

class ScriptEditor;

class EditorAssist : public QObject {
    Q_OBJECT
public:
    // Completion is offered from this many typed letters of a command word.
    static constexpr int kCompletionMinLetters = 2;

    // `save` writes the script (Ctrl+S). The search bar goes into the editor's page, below it.
    EditorAssist(ScriptEditor& editor, std::function<void()> save);

    QCompleter* completer() const { return m_completer; }
    // Offers the command words starting with the word being typed at the start of a line.
    void complete(bool evenIfShort);
    // The parameter hint under the caret's line; hidden when the line holds no known command.
    QLabel* hint() const { return m_hint; }
    // The help text shown for the word at `position` (a document offset), or empty.
    QString helpAt(int position) const;

    // Selects the next match of `text` after the selection (from the top when none is left);
    // false when the text occurs nowhere.
    bool findNext(const QString& text);
    // Replaces the selected match of `text`, if one is selected, then finds the next.
    bool replaceNext(const QString& text, const QString& with);
    // Replaces every match as one undo step; the number replaced.
    int replaceAll(const QString& text, const QString& with);
    void goToLine(int line);
    // Comments out the selected lines with "//", or uncomments them when all already are.
    void toggleComment();

    // Opens the search bar: 0 find, 1 replace, 2 go to line.
    void openBar(int mode);
    QWidget* bar() const { return m_bar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void insertCompletion(const QString& word);
    QString wordBeforeCaret() const;
    void updateHint();
    void buildBar();

    ScriptEditor& m_editor;
    // Kept apart: while the editor is being destroyed its viewport may still send events here,
    // when the editor can no longer be asked for it.
    QWidget* m_viewport = nullptr;
    std::function<void()> m_save;
    QCompleter* m_completer = nullptr;
    QLabel* m_hint = nullptr;
    QWidget* m_bar = nullptr;
    QLineEdit* m_findField = nullptr;
    QLineEdit* m_replaceField = nullptr;
    QLineEdit* m_lineField = nullptr;
    QWidget* m_replaceRow = nullptr;
    QLabel* m_barMessage = nullptr;
};

}  // namespace ludomat
