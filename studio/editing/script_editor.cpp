#include "studio/editing/script_editor.h"

#include "graphics/cp1252.h"
#include "studio/debugging/breakpoints.h"
#include "studio/editing/script_highlighter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

namespace ludomat {

namespace {

constexpr int kGutterPadding = 6;
const QColor kGutterBack(0xe9, 0xec, 0xef);
const QColor kGutterText(0x8a, 0x93, 0x9f);
const QColor kRunLineBack(0xff, 0xf1, 0xb8);
const QColor kRunArrow(0xd9, 0x8a, 0x00);
const QColor kBreakpointDot(0xd0, 0x21, 0x21);

class Gutter : public QWidget {
public:
    explicit Gutter(ScriptEditor* editor) : QWidget(editor), m_editor(editor) { setObjectName("FonteLinhas"); }
    QSize sizeHint() const override { return {m_editor->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->paintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) m_editor->toggleBreakpointAt(event->position().toPoint().y());
    }

private:
    ScriptEditor* m_editor;
};

}  // namespace

ScriptEditor::ScriptEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName("Fonte");
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    m_highlighter = new ScriptHighlighter(document());
    m_gutter = new Gutter(this);

    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading) return;
        m_edited = true;
        emit userEdited();
    });
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ScriptEditor::updateGutter);
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

std::vector<std::string> ScriptEditor::lines() const
{
    std::vector<std::string> out;
    const QTextDocument* doc = document();
    out.reserve(size_t(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) out.push_back(toCp1252(block.text()));
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

void ScriptEditor::setLines(const std::vector<std::string>& lines)
{
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += fromCp1252(lines[i]);
    }
    // An empty last line needs its own line end, or lines() would take it for the final one.
    if (!lines.empty() && lines.back().empty()) text += '\n';
    m_loading = true;
    setPlainText(text);
    m_loading = false;
    m_edited = false;
    m_runLine = -1;
    updateRunMark();
    markSaved();
}

void ScriptEditor::selectLine(int index)
{
    QTextCursor cursor(document());
    QTextBlock block = document()->findBlockByNumber(index);
    if (index < 0 || !block.isValid()) {
        cursor.movePosition(QTextCursor::End);
    } else {
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}

int ScriptEditor::caretLine() const
{
    return textCursor().blockNumber();
}

void ScriptEditor::setRunLine(int line)
{
    if (line == m_runLine) return;
    m_runLine = line;
    updateRunMark();
}

void ScriptEditor::updateRunMark()
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextBlock block = document()->findBlockByNumber(m_runLine);
    if (m_runLine >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(kRunLineBack);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(block);
        marks.append(mark);
    }
    setExtraSelections(marks + m_warningMarks);
    m_gutter->update();
}

void ScriptEditor::setWarningMarks(const QList<QTextEdit::ExtraSelection>& marks)
{
    m_warningMarks = marks;
    updateRunMark();
}

int ScriptEditor::gutterWidth() const
{
    int digits = QString::number(qMax(1, blockCount() - 1)).size();
    // Room for the arrow of the run mark as well as the number.
    return kGutterPadding * 2 + 12 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * qMax(3, digits);
}

void ScriptEditor::updateGutter(const QRect& rect, int dy)
{
    if (dy)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
}

void ScriptEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    QRect area = contentsRect();
    m_gutter->setGeometry(QRect(area.left(), area.top(), gutterWidth(), area.height()));
}

void ScriptEditor::paintGutter(QPaintEvent* event)
{
    QPainter painter(m_gutter);
    painter.fillRect(event->rect(), kGutterBack);
    painter.setFont(font());
    int width = m_gutter->width();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int lineHeight = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        int number = block.blockNumber();
        if (block.isVisible() && top + lineHeight >= event->rect().top()) {
            if (hasBreakpoint(block)) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(kBreakpointDot);
                painter.setRenderHint(QPainter::Antialiasing);
                int size = qMin(lineHeight - 4, 10);
                painter.drawEllipse(QRect(2, top + (lineHeight - size) / 2, size, size));
                painter.setRenderHint(QPainter::Antialiasing, false);
            }
            if (number == m_runLine) {
                painter.setPen(kRunArrow);
                painter.setBrush(kRunArrow);
                int mid = top + lineHeight / 2;
                QPolygon arrow({QPoint(3, mid - 4), QPoint(9, mid), QPoint(3, mid + 4)});
                painter.drawPolygon(arrow);
            }
            painter.setPen(number == m_runLine ? kRunArrow : kGutterText);
            painter.drawText(0, top, width - kGutterPadding, lineHeight, Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(number));
        }
        top += qRound(blockBoundingRect(block).height());
        block = block.next();
    }
}

void ScriptEditor::toggleBreakpointAt(int y)
{
    QTextBlock block = cursorForPosition(QPoint(0, y)).block();
    if (!block.isValid()) return;
    setBreakpoint(block, !hasBreakpoint(block));
    m_gutter->update();
    emit breakpointsChanged();
}

void ScriptEditor::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    emit caretLineReported(caretLine());
}

void ScriptEditor::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit caretLineReported(caretLine());
}

}  // namespace ludomat
