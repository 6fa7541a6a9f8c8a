#pragma once
// The studio's debugging aids: breakpoints set in the editor's gutter (kept per script file),
// "run to the caret line" (Ctrl+F1), and the registers that changed since the last pause marked
// in the watch slots and in the list of the page "Regs".

#include "engine/registers.h"
#include "studio/debugging/breakpoints.h"
#include "studio/running/studio_host.h"
#include "studio/window/page_context.h"

#include <QObject>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace ludomat {

class RegisterPage;

class Debugger : public QObject {
    Q_OBJECT
public:
    // The colours of a changed register's watch label and list row.
    static const char kChangedStyle[];

    // `registers` is the page "Regs", where changed registers are marked.
    Debugger(const PageContext& context, RegisterPage& registers, StudioHost& host, QObject* parent = nullptr);
    ~Debugger() override;

    // Runs from where the run stands paused (or from the start when no run is paused) and pauses
    // before the caret's line.
    void runToCaret();
    // The registers that changed between the last two pauses or steps, in order.
    const std::vector<int>& changedRegisters() const { return m_changed; }
    // Rewrites the breakpoint list for the editor's file now when edits moved or changed marks
    // (otherwise done shortly after the edits).
    void storeBreakpoints();

private:
    void runEvent(RunEvent event);
    void markChanges(bool show);
    // The file the editor's lines belong to; empty while it shows a script a run loaded.
    QString editorFile() const;
    void loadBreakpoints();
    void pushBreakpoints();

    PageContext m_context;
    RegisterPage& m_registers;
    std::unique_ptr<BreakpointStore> m_store;
    QTimer* m_storeTimer = nullptr;
    std::array<std::string, kRegisterCount> m_lastSeen;
    std::vector<int> m_changed;
    int m_pausedAt = -1;
};

}  // namespace ludomat
