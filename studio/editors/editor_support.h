#pragma once
// What the tile-map and sprite editor pages share: their view of the studio (the page context),
// file-name checks and the script-line writer.

#include "studio/window/page_context.h"

#include <QLabel>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QByteArray;

namespace ludomat {

class Bitmap;
class ScriptEditor;

// The editor pages see the studio as every page does.
using EditorContext = PageContext;

// "Salvar as alterações em NOME?"
QString saveQuestionText(const QString& documentName);
// Asks the question in a box with "Salvar", "Descartar" and "Cancelar"; a box closed otherwise
// counts as "Cancelar".
SaveAnswer askInBox(QWidget* parent, const QString& documentName);

// A name typed for a file of the game folder: not empty, no folder separator, no "..", no
// control characters. False with a message (Portuguese) naming the fault.
bool checkGameFileName(const QString& name, QString* error);

// Replaces the first line of the script editor for which `matches` holds with `text`; with no
// such line, inserts `text` as a new line at the caret's line when `insertAtCaret`, else does
// nothing. An edit the user can undo in the editor. Returns the line index written, or -1.
int writeScriptLine(ScriptEditor& editor, const std::function<bool(const QString&)>& matches, const QString& text,
                    bool insertAtCaret);

// Inserts `text` as a new line before line `line` of the script editor (after the last line when
// `line` is the line count) and puts the caret on it. An edit the user can undo.
int insertScriptLine(ScriptEditor& editor, int line, const QString& text);

// The first line of the script editor for which `rewrite` gives a text becomes that text (an
// edit the user can undo, made only when the text differs). Returns its index, or -1.
int rewriteScriptLine(ScriptEditor& editor, const std::function<std::optional<QString>(const QString&)>& rewrite);

// A 24-bit Windows bitmap file of the picture, ready for an atomic write.
QByteArray bmpFileBytes(const Bitmap& picture);

// Writes GameFolder + name whole or not at all; false with a Portuguese message.
bool writeGameFile(const QString& folder, const QString& name, const QByteArray& bytes, QString* error);

// Calls `visit` for every cell of the straight line from `from` to `to`, both included, so a
// fast mouse that skips cells between two moves still paints a stroke without gaps.
void forEachCellOnLine(QPoint from, QPoint to, const std::function<void(QPoint)>& visit);

// A caption that acts when clicked ("tilemap", "Área de colisão:", "Escala:").
class ClickCaption : public QLabel {
    Q_OBJECT
public:
    ClickCaption(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent)
    {
        setCursor(Qt::PointingHandCursor);
        setTextFormat(Qt::PlainText);
    }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace ludomat
