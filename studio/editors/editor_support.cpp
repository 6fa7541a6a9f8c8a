#include "studio/editors/editor_support.h"

#include "engine/script_files.h"
#include "graphics/bitmap.h"
#include "graphics/cp1252.h"
#include "studio/editing/script_editor.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

#include <cstdlib>

namespace ludomat {

QString saveQuestionText(const QString& documentName)
{
    return QString("Salvar as alterações em %1?").arg(documentName);
}

SaveAnswer askInBox(QWidget* parent, const QString& documentName)
{
    QMessageBox box(QMessageBox::Question, "Ludomat", saveQuestionText(documentName), QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton("Salvar", QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton("Descartar", QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton("Cancelar", QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return SaveAnswer::Save;
    if (box.clickedButton() == discard) return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

bool checkGameFileName(const QString& name, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error) *error = QString("Nome de arquivo recusado (%1): %2").arg(why, name);
        return false;
    };
    if (name.trimmed().isEmpty()) return refuse("vazio");
    if (name.contains('/') || name.contains('\\')) return refuse("não pode ter / nem \\");
    if (name.contains("..")) return refuse("não pode ter ..");
    for (QChar c : name)
        if (c.category() == QChar::Other_Control) return refuse("caractere de controle");
    return true;
}

int writeScriptLine(ScriptEditor& editor, const std::function<bool(const QString&)>& matches, const QString& text,
                    bool insertAtCaret)
{
    QTextDocument* doc = editor.document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (!matches(block.text())) continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(text);
        editor.setTextCursor(cursor);
        return block.blockNumber();
    }
    if (!insertAtCaret) return -1;
    return insertScriptLine(editor, std::min(editor.caretLine(), doc->blockCount() - 1), text);
}

int insertScriptLine(ScriptEditor& editor, int line, const QString& text)
{
    QTextDocument* doc = editor.document();
    QTextBlock block = doc->findBlockByNumber(line);
    if (!block.isValid()) {
        QTextCursor cursor(doc->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText("\n" + text);
        cursor.movePosition(QTextCursor::StartOfBlock);
        editor.setTextCursor(cursor);
        return cursor.blockNumber();
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertText(text + "\n");
    cursor.movePosition(QTextCursor::PreviousBlock);
    editor.setTextCursor(cursor);
    return cursor.blockNumber();
}

int rewriteScriptLine(ScriptEditor& editor, const std::function<std::optional<QString>(const QString&)>& rewrite)
{
    QTextDocument* doc = editor.document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        std::optional<QString> text = rewrite(block.text());
        if (!text) continue;
        QTextCursor cursor(block);
        if (*text != block.text()) {
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.insertText(*text);
        }
        editor.setTextCursor(cursor);
        return block.blockNumber();
    }
    return -1;
}

QByteArray bmpFileBytes(const Bitmap& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Written at 24 bits a pixel, as the tile strips have always been.
    QImage image = picture.view().convertToFormat(QImage::Format_RGB888);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image)) return {};
    return bytes;
}

bool writeGameFile(const QString& folder, const QString& name, const QByteArray& bytes, QString* error)
{
    std::string reason;
    std::filesystem::path path((folder + name).toStdString());
    if (bytes.isEmpty()) reason = "nada a gravar";
    else if (writeFileAtomically(path, std::string_view(bytes.constData(), size_t(bytes.size())), &reason)) return true;
    if (error) *error = QString("Não foi possível gravar %1: %2").arg(folder + name, fromCp1252(reason));
    return false;
}

void forEachCellOnLine(QPoint from, QPoint to, const std::function<void(QPoint)>& visit)
{
    // Bresenham's line: one cell a step along the longer axis.
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint cell = from;
    for (;;) {
        visit(cell);
        if (cell == to) return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            cell.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            cell.ry() += sy;
        }
    }
}

void ClickCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace ludomat
