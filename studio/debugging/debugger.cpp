#include "studio/debugging/debugger.h"

#include "engine/engine.h"
#include "studio/editing/script_editor.h"
#include "studio/files/studio_files.h"
#include "studio/pages/register_pages.h"
#include "studio/pages/watch_panel.h"
#include "studio/window/page_context.h"

#include <QLabel>
#include <QListWidget>
#include <QTimer>

namespace ludomat {

namespace {

// Edits move breakpoints with their lines; the list follows once the typing pauses.
constexpr int kStoreDelayMs = 1000;
const QColor kChangedBack(0xff, 0xd8, 0xa8);
const QColor kChangedText(0x8a, 0x1c, 0x00);

}  // namespace

const char Debugger::kChangedStyle[] = "background: #ffd8a8; color: #8a1c00; font-weight: bold;";

Debugger::Debugger(const PageContext& context, RegisterPage& registers, StudioHost& host, QObject* parent)
    : QObject(parent), m_context(context), m_registers(registers)
{
    m_store = std::make_unique<BreakpointStore>(context.files->programFolder() + kBreakpointFileName);
    m_storeTimer = new QTimer(this);
    m_storeTimer->setSingleShot(true);
    m_storeTimer->setInterval(kStoreDelayMs);
    connect(m_storeTimer, &QTimer::timeout, this, &Debugger::storeBreakpoints);

    ScriptEditor& editor = *context.editor;
    connect(&editor, &ScriptEditor::breakpointsChanged, this, [this] {
        pushBreakpoints();
        m_storeTimer->start();
        storeBreakpoints();
    });
    connect(&editor, &ScriptEditor::userEdited, this, [this] {
        pushBreakpoints();
        m_storeTimer->start();
    });
    connect(context.files, &StudioFiles::linesReplaced, this, &Debugger::loadBreakpoints);
    host.setRunObserver([this](RunEvent event) { runEvent(event); });
    loadBreakpoints();
}

Debugger::~Debugger() = default;

QString Debugger::editorFile() const
{
    StudioFiles& files = *m_context.files;
    return files.showsOtherScript() ? QString() : files.scriptPath();
}

void Debugger::loadBreakpoints()
{
    // The lines the pending store was for are gone; what was stored last stands.
    m_storeTimer->stop();
    setBreakpointLines(m_context.editor->document(), m_store->linesFor(editorFile()));
    m_context.editor->gutter()->update();
    pushBreakpoints();
}

void Debugger::pushBreakpoints()
{
    m_context.engine->setBreakpoints(breakpointLines(m_context.editor->document()));
}

void Debugger::storeBreakpoints()
{
    if (!m_storeTimer->isActive()) return;
    m_storeTimer->stop();
    QString file = editorFile();
    if (file.isEmpty()) return;
    // A list that cannot be written costs only the remembered marks, never the script: say so in
    // the notice line instead of interrupting the user.
    QString error;
    if (!m_store->setLinesFor(file, breakpointLines(m_context.editor->document()), &error)) m_context.setStatus(error);
}

void Debugger::runToCaret()
{
    Engine& engine = *m_context.engine;
    int target = m_context.editor->caretLine();
    if (engine.state().isRunning) {
        // A run waiting inside a command goes on and stops there.
        engine.setRunToLine(target);
        return;
    }
    m_context.syncScript();
    pushBreakpoints();
    if (engine.state().stopCaption == StopCaption::Cont) {
        // Clicking the target line moved the resume point; the run goes on from where it stopped.
        if (m_pausedAt >= 0) engine.setCaretLine(m_pausedAt);
        engine.setRunToLine(target);
        m_context.stopOrContinue();
        return;
    }
    engine.setRunToLine(target);
    m_context.execute();
    // A run that never reached the line must not stop a later one there.
    engine.setRunToLine(-1);
}

void Debugger::runEvent(RunEvent event)
{
    const RegisterTable& registers = m_context.engine->state().registers;
    if (event == RunEvent::Started) {
        // Marks of the last pause do not describe a running game.
        markChanges(false);
        m_changed.clear();
        m_pausedAt = -1;
        for (int i = 0; i < kRegisterCount; ++i) m_lastSeen[size_t(i)] = registers[i];
        return;
    }
    m_pausedAt = m_context.engine->state().pausedLine;
    markChanges(false);
    m_changed.clear();
    for (int i = 0; i < kRegisterCount; ++i) {
        if (registers[i] == m_lastSeen[size_t(i)]) continue;
        m_changed.push_back(i);
        m_lastSeen[size_t(i)] = registers[i];
    }
    m_registers.refreshList();
    markChanges(true);
}

void Debugger::markChanges(bool show)
{
    const EngineState& state = m_context.engine->state();
    std::vector<bool> changed(kRegisterCount, false);
    for (int index : m_changed) changed[size_t(index)] = true;
    for (int k = 0; k < kWatchSlotCount; ++k) {
        QLabel* label = &m_registers.watches().valueLabel(k);
        int watched = state.watchSlots[size_t(k)];
        bool mark = show && watched >= 0 && watched < kRegisterCount && changed[size_t(watched)];
        label->setProperty("changed", mark);
        label->setStyleSheet(mark ? kChangedStyle : "");
        label->setToolTip(mark ? "Mudou desde a última pausa" : QString());
    }
    QListWidget* list = &m_registers.list();
    for (int index : m_changed) {
        QListWidgetItem* item = list->item(index);
        if (!item) continue;
        item->setData(Qt::UserRole, show);
        item->setBackground(show ? QBrush(kChangedBack) : QBrush());
        item->setForeground(show ? QBrush(kChangedText) : QBrush());
    }
}

}  // namespace ludomat
