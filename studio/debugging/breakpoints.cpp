#include "studio/debugging/breakpoints.h"

#include "engine/script_files.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>

namespace ludomat {

namespace {

// Marks a block as holding a breakpoint; the document deletes it with its block.
class BreakpointData : public QTextBlockUserData {};

// A list past this many files keeps the most recent ones: it must not grow without end.
constexpr size_t kMaxRememberedFiles = 500;
// Lines past this index cannot be a script line the editor would show in a sane time.
constexpr int kMaxBreakpointLine = 10'000'000;

}  // namespace

bool hasBreakpoint(const QTextBlock& block)
{
    return block.isValid() && dynamic_cast<BreakpointData*>(block.userData()) != nullptr;
}

void setBreakpoint(QTextBlock block, bool on)
{
    if (!block.isValid() || hasBreakpoint(block) == on) return;
    block.setUserData(on ? new BreakpointData : nullptr);
}

std::vector<int> breakpointLines(const QTextDocument* document)
{
    std::vector<int> lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        if (hasBreakpoint(block)) lines.push_back(block.blockNumber());
    return lines;
}

void setBreakpointLines(QTextDocument* document, const std::vector<int>& lines)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) setBreakpoint(block, false);
    for (int line : lines) setBreakpoint(document->findBlockByNumber(line), true);
}

BreakpointStore::BreakpointStore(QString filePath) : m_filePath(std::move(filePath))
{
    read();
}

void BreakpointStore::read()
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) return;
    while (!file.atEnd()) {
        QString row = QString::fromUtf8(file.readLine()).trimmed();
        qsizetype tab = row.lastIndexOf('\t');
        if (tab <= 0) continue;
        std::vector<int> lines;
        for (const QString& part : row.mid(tab + 1).split(',', Qt::SkipEmptyParts)) {
            bool ok = false;
            int line = part.toInt(&ok);
            // A hand-edited or damaged list loses only its bad numbers.
            if (ok && line >= 0 && line <= kMaxBreakpointLine) lines.push_back(line);
        }
        if (!lines.empty()) m_lines[row.left(tab)] = std::move(lines);
    }
}

std::vector<int> BreakpointStore::linesFor(const QString& scriptPath) const
{
    auto it = m_lines.find(scriptPath);
    return it == m_lines.end() ? std::vector<int>() : it->second;
}

bool BreakpointStore::setLinesFor(const QString& scriptPath, const std::vector<int>& lines, QString* error)
{
    // A path the one-line-per-file list cannot hold keeps its marks for this session only.
    if (scriptPath.isEmpty() || scriptPath.contains('\n') || scriptPath.contains('\t') || scriptPath.contains('\r'))
        return true;
    if (lines.empty())
        m_lines.erase(scriptPath);
    else
        m_lines[scriptPath] = lines;
    while (m_lines.size() > kMaxRememberedFiles) m_lines.erase(m_lines.begin());
    QByteArray bytes;
    for (const auto& [path, marked] : m_lines) {
        bytes += path.toUtf8() + '\t';
        for (size_t i = 0; i < marked.size(); ++i) bytes += (i ? "," : "") + QByteArray::number(marked[i]);
        bytes += '\n';
    }
    std::string reason;
    if (writeFileAtomically(m_filePath.toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())),
                            &reason))
        return true;
    if (error) *error = QString("Não foi possível gravar os pontos de parada: %1").arg(QString::fromStdString(reason));
    return false;
}

}  // namespace ludomat
