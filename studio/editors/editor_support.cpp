#include "studio/editors/editor_support.h"

#include "engine/script_files.h"
#include "graphics/bitmap.h"
#include "studio/editing/script_editor.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace ludomat {

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
    int line = editor.caretLine();
    QTextBlock block = doc->findBlockByNumber(line);
    QTextCursor cursor(block.isValid() ? block : doc->lastBlock());
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertText(text + "\n");
    cursor.movePosition(QTextCursor::PreviousBlock);
    editor.setTextCursor(cursor);
    return cursor.blockNumber();
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
    if (error)
        *error = QString("Não foi possível gravar %1: %2").arg(folder + name, QString::fromLocal8Bit(reason.c_str()));
    return false;
}

void ClickCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace ludomat
