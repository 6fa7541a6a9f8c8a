#pragma once
// Breakpoints of the script editor. They live on the editor's text blocks, so they move with
// their lines while the user edits above them, and are kept per script file in a list beside the
// settings file (never inside the script).

#include <QString>

#include <map>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace ludomat {

inline constexpr char kBreakpointFileName[] = "Ludomat-pontos.txt";

bool hasBreakpoint(const QTextBlock& block);
void setBreakpoint(QTextBlock block, bool on);
// The 0-based line indexes of the document's breakpoints, in order.
std::vector<int> breakpointLines(const QTextDocument* document);
void setBreakpointLines(QTextDocument* document, const std::vector<int>& lines);

// The breakpoints of every script file the user marked, one line per file: its path, a tab,
// then the line indexes separated by commas.
class BreakpointStore {
public:
    explicit BreakpointStore(QString filePath);

    std::vector<int> linesFor(const QString& scriptPath) const;
    // Replaces the lines of `scriptPath` (none: the file is forgotten) and rewrites the list.
    // False, with the reason in `error`, when it cannot be written.
    bool setLinesFor(const QString& scriptPath, const std::vector<int>& lines, QString* error = nullptr);

private:
    void read();

    QString m_filePath;
    std::map<QString, std::vector<int>> m_lines;
};

}  // namespace ludomat
